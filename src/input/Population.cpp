#include "input/Population.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Text/StringTokenizer.h>

#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <utility>

#include "input/NameSafety.h"
#include "core/FatalError.h"

namespace mrv {

Population::Population(std::string path) : _number_of_population(0) {
  std::vector<std::string> lines = convert_file_into_vector_of_string(path);
  _refuse_names_breaking_tables(path, lines);
  build_population_list(std::move(lines));
  _number_of_population = static_cast<unsigned int>(_population_list.size());
  _index_members();
}

namespace {

// The names of every container's sequences, one list per container (read without building the
// sequence objects).
std::vector<std::vector<std::string> > namesOf(const std::vector<bpp::PolymorphismSequenceContainer*>& containers) {
  std::vector<std::vector<std::string> > names;
  names.reserve(containers.size());
  for (const bpp::PolymorphismSequenceContainer* container : containers)
    names.push_back(container->getSequencesNames());
  return names;
}

}  // namespace

Population::Population(std::vector<bpp::PolymorphismSequenceContainer*>& containers,
                       std::string focal_species)
    : Population(namesOf(containers), focal_species) {}

Population::Population(const std::vector<std::vector<std::string> >& contig_names, const std::string& focal_species)
    : _number_of_population(1) {
  std::set<std::string> individuals;
  for (size_t k = 0; k < contig_names.size(); ++k) {
    for (const std::string& name : contig_names[k]) {
      // Fields: contig, species, individual, allele (only the first four are looked at).
      std::vector<std::string> fields;
      bpp::StringTokenizer tokens(name, "|", false, false);
      while (tokens.hasMoreToken() && fields.size() < 4) fields.push_back(tokens.nextToken());
      if (fields.size() < 3) {
        bpp::ApplicationTools::displayError(
            "The name of dataset " + std::to_string(k) +
            " contains less than 3 elements separated by a | (pipe) character !\n"
            "Global population can't be generated !");
        // Such a name names no individual: the sequence is left out.
        continue;
      }
      if (fields[1] == focal_species) individuals.insert(fields[2]);
    }
  }
  if (!individuals.empty()) {
    _population_list.push_back(std::vector<std::string>(individuals.begin(), individuals.end()));
    _population_names.push_back("All_individuals");
  } else {
    bpp::ApplicationTools::displayError("There is no focal individuals in the selected PolymorphismSequenceContainer");
  }
  _number_of_population = 1;
  _index_members();
}

Population::~Population() {}

std::vector<std::string> Population::convert_file_into_vector_of_string(std::string path) {
  std::ifstream in(path.c_str());
  if (!in.is_open()) throw FatalError::error("Cannot open/read file: " + path);
  std::vector<std::string> lines;
  std::string line;
  // getline drops the line feed only; a carriage return stays in the line.
  while (std::getline(in, line)) lines.push_back(line);
  // Opened but not readable (a directory, an I/O error).
  if (in.bad()) throw FatalError::error("Cannot open/read file: " + path);
  return lines;
}

void Population::_refuse_names_breaking_tables(const std::string& path, const std::vector<std::string>& lines) {
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (line.empty() || line[0] == '#') continue;
    bpp::StringTokenizer tokens(line, ";", false, false);
    std::vector<std::string> names;
    while (tokens.hasMoreToken()) names.push_back(tokens.nextToken());
    if (names.size() < 2) continue;  // defines no population: its text is never used
    for (size_t k = 0; k < names.size(); ++k) {
      const std::string problem = nameBreakingTables(names[k], k + 1 == names.size() && endsWith(line, names[k]));
      if (problem.empty()) continue;
      throw FatalError::error("Population file " + path + ", line " + std::to_string(n + 1) + " (" +
                              visibleName(line) + "): the " + (k == 0 ? "population" : "individual") +
                              " name \"" + visibleName(names[k]) + "\" " + problem + kTableNamesRule);
    }
  }
}

void Population::build_population_list(std::vector<std::string> lines) {
  for (const std::string& line : lines) {
    if (line.empty() || line[0] == '#') continue;
    bpp::StringTokenizer tokens(line, ";", false, false);
    std::string name;
    if (tokens.hasMoreToken()) name = tokens.nextToken();
    std::vector<std::string> members;
    while (tokens.hasMoreToken()) members.push_back(tokens.nextToken());
    if (members.empty()) continue;  // a line naming no individual defines no population
    _population_list.push_back(members);
    _population_names.push_back(name);
  }
}

bool Population::check_for_duplicates() {
  std::map<std::string, unsigned int> counts;
  bool found = false;
  for (const auto& members : _population_list) {
    for (const std::string& member : members) {
      if (++counts[member] > 1) {
        _duplicates.push_back(member);
        found = true;
      }
    }
  }
  return found;
}

void Population::display_populations(bool from_data) const {
  if (from_data)
    std::cout << "The following population has been extracted from your data:" << std::endl;
  else
    std::cout << "The selected population file contains " << _number_of_population << " population(s):" << std::endl;
  std::cout << std::endl;
  for (size_t i = 0; i < _population_list.size(); ++i) {
    std::cout << " -> Population " << (i + 1) << ":";
    for (const std::string& member : _population_list[i]) std::cout << " " << member;
    std::cout << std::endl;
  }
  std::cout << std::endl;
}

void Population::display_duplicates() const {
  bpp::ApplicationTools::displayWarning("Duplicates has been detected in the selected population file !");
  std::cout << std::endl;
  std::cout << "Here is the list of individual that exists in at least 2 populations:";
  for (const std::string& name : _duplicates) std::cout << " " << name;
  std::cout << std::endl;
  std::cout << std::endl;
}

void Population::_index_members() {
  _last_population_of.clear();
  for (size_t i = 0; i < _population_list.size(); ++i)
    for (const std::string& member : _population_list[i]) _last_population_of[member] = static_cast<int>(i);
}

int Population::_find_population(const std::string& individual) const {
  // An id past the populations counted would name none of them.
  auto it = _last_population_of.find(individual);
  if (it == _last_population_of.end() || static_cast<unsigned int>(it->second) >= _number_of_population)
    throw bpp::Exception("Individual " + individual + " doesn't belong to any population !");
  return it->second;
}

int Population::get_population_id(std::string individual) const { return _find_population(individual); }

std::string Population::get_population_name(std::string individual) const {
  return _population_names[static_cast<size_t>(_find_population(individual))];
}

unsigned int Population::get_number_of_individuals() const {
  size_t n = 0;
  for (const auto& members : _population_list) n += members.size();
  return static_cast<unsigned int>(n);
}

std::vector<std::string> Population::get_all_individuals() const {
  std::vector<std::string> all;
  all.reserve(get_number_of_individuals());
  for (const auto& members : _population_list) all.insert(all.end(), members.begin(), members.end());
  return all;
}

std::vector<std::string> Population::get_all_couples() const {
  std::vector<std::string> couples;
  // Walks the names actually held: the default population without individuals has none.
  const size_t n = _population_names.size();
  for (size_t i = 0; i + 1 < n; ++i)
    for (size_t j = i + 1; j < n; ++j) couples.push_back(_population_names[i] + "|" + _population_names[j]);
  return couples;
}

}  // namespace mrv
