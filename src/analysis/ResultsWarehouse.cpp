#include "analysis/ResultsWarehouse.h"

#include <Bpp/Exceptions.h>

#include <algorithm>
#include <iostream>
#include <utility>

#include "input/Population.h"
#include "core/ParametersManagement.h"

ResultsWarehouse::ResultsWarehouse(mrv::Population* population, unsigned int nb_gc_bin)
    : _name("No_name"),
      _status("Not_OK"),
      _nb_bi_allelic_SNP(0),
      _nb_tri_allelic_SNP(0),
      _nb_quadri_allelic_SNP(0),
      _nb_sequences_in_consensus(0),
      _nb_sites_in_consensus(0),
      _nN(-1.0),
      _nS(-1.0),
      _fixN(-1),
      _fixS(-1),
      _polymN_0(-1),
      _polymS_0(-1),
      _polymN_02(-1),
      _polymS_02(-1),
      _mk_nN(-1),
      _mk_nS(-1),
      _gc_allele_frequency_classes(nb_gc_bin, 0.0),
      _population(population) {
  const size_t nb_population = population ? population->get_number_of_population() : 0;
  _fst.assign(nb_population, std::vector<double>(nb_population, -999.0));
}

ResultsWarehouse::~ResultsWarehouse() {
  for (SpeciesDataWarehouse* record : _species_data) delete record;
  for (auto& entry : _distance_objects) delete entry.second;
}

void ResultsWarehouse::increase_class(int index, int amount) {
  _gc_allele_frequency_classes.at(static_cast<size_t>(index)) += static_cast<double>(amount);
}

void ResultsWarehouse::set_specific_Fst(unsigned int i, unsigned int j, double value) { _fst.at(i).at(j) = value; }

double ResultsWarehouse::get_specific_Fst(unsigned int i, unsigned int j) const { return _fst.at(i).at(j); }

bool ResultsWarehouse::_is_population_individual(const std::string& individual) const {
  if (!_population) return false;
  // The population's own index: its lookup raises an exception for a name it does not list.
  try {
    _population->get_population_id(individual);
    return true;
  } catch (const bpp::Exception&) {
    return false;
  }
}

void ResultsWarehouse::set_specific_individual_heterozygosity(std::string individual, double value) {
  _individual_heterozygosity[individual] = value;
}

double ResultsWarehouse::get_specific_individual_heterozygosity(std::string individual) {
  auto it = _individual_heterozygosity.find(individual);
  if (it != _individual_heterozygosity.end()) return it->second;
  if (_is_population_individual(individual)) return -999.0;
  _individual_heterozygosity.emplace(individual, 0.0);
  return 0.0;
}

std::map<std::string, double> ResultsWarehouse::get_all_individual_heterozygosity() const {
  std::map<std::string, double> all = _individual_heterozygosity;
  if (_population)
    for (const std::string& individual : _population->get_all_individuals())
      all.emplace(individual, -999.0);  // keeps set values
  return all;
}

// ---- Distances ----

size_t ResultsWarehouse::_population_pair(const std::string& key, std::string& first, std::string& second) const {
  std::vector<std::pair<std::string, std::string> > readings;
  for (size_t cut = key.find('|'); cut != std::string::npos; cut = key.find('|', cut + 1)) {
    std::string a = key.substr(0, cut);
    std::string b = key.substr(cut + 1);
    if (_is_population_individual(a) && _is_population_individual(b)) readings.emplace_back(a, b);
  }
  if (readings.empty()) return 0;
  size_t chosen = 0;
  if (readings.size() > 1) {
    const std::vector<std::string> all = _population->get_all_individuals();
    auto last_position = [&all](const std::string& individual) {
      size_t found = 0;
      for (size_t p = 0; p < all.size(); ++p)
        if (all[p] == individual) found = p;
      return found;
    };
    auto rank = [&](size_t r) {
      return std::make_pair(last_position(readings[r].first), last_position(readings[r].second));
    };
    for (size_t r = 1; r < readings.size(); ++r)
      if (rank(r) > rank(chosen)) chosen = r;
  }
  first = readings[chosen].first;
  second = readings[chosen].second;
  return readings.size();
}

size_t ResultsWarehouse::_table_index(const std::string& individual) const {
  auto it = std::lower_bound(_distance_individuals.begin(), _distance_individuals.end(), individual);
  if (it == _distance_individuals.end() || *it != individual) return _distance_individuals.size();
  return static_cast<size_t>(it - _distance_individuals.begin());
}

bool ResultsWarehouse::_table_cell(const std::string& key, size_t& cell) const {
  if (_distance_individuals.empty()) return false;
  // The table's names hold no "|": its keys have exactly one.
  const size_t cut = key.find('|');
  if (cut == std::string::npos || key.find('|', cut + 1) != std::string::npos) return false;
  const size_t k = _distance_individuals.size();
  const size_t i = _table_index(key.substr(0, cut));
  const size_t j = _table_index(key.substr(cut + 1));
  if (i == k || j == k) return false;
  cell = i * k + j;
  return _pair_computed[cell] != 0;
}

bool ResultsWarehouse::get_table_distance(size_t i, size_t j, double& distance, int& nb_resolved_positions) const {
  const size_t cell = i * _distance_individuals.size() + j;
  if (!_pair_computed.at(cell)) return false;
  distance = _pair_distance[cell];
  nb_resolved_positions = _pair_positions[cell];
  return true;
}

void ResultsWarehouse::_grow_table(const std::vector<std::string>& names) {
  std::vector<std::string> grown = _distance_individuals;
  for (const std::string& individual : names)
    if (individual.find('|') == std::string::npos) grown.push_back(individual);
  std::sort(grown.begin(), grown.end());
  grown.erase(std::unique(grown.begin(), grown.end()), grown.end());
  if (grown.size() == _distance_individuals.size()) return;
  const size_t k = grown.size();
  std::vector<double> distances(k * k, -1.0);
  std::vector<int> positions(k * k, 0);
  std::vector<char> computed(k * k, 0);
  const size_t old_k = _distance_individuals.size();
  std::vector<size_t> moved(old_k);
  for (size_t i = 0; i < old_k; ++i)
    moved[i] = static_cast<size_t>(std::lower_bound(grown.begin(), grown.end(), _distance_individuals[i]) -
                                   grown.begin());
  for (size_t i = 0; i < old_k; ++i)
    for (size_t j = 0; j < old_k; ++j) {
      const size_t from = i * old_k + j;
      const size_t to = moved[i] * k + moved[j];
      distances[to] = _pair_distance[from];
      positions[to] = _pair_positions[from];
      computed[to] = _pair_computed[from];
    }
  _distance_individuals.swap(grown);
  _pair_distance.swap(distances);
  _pair_positions.swap(positions);
  _pair_computed.swap(computed);
}

void ResultsWarehouse::set_specific_distance_object(std::string key, mrv::DistanceBetweenIndividuals* object) {
  auto held = _distance_objects.find(key);
  if (held == _distance_objects.end()) {
    _distance_objects.emplace(key, object);
    return;
  }
  if (held->second != object) delete held->second;
  held->second = object;
}

void ResultsWarehouse::set_distances(const std::vector<std::string>& names, const std::vector<double>& distances,
                                     const std::vector<int>& positions) {
  _grow_table(names);
  const size_t m = names.size();
  const size_t k = _distance_individuals.size();
  std::vector<size_t> at(m);
  for (size_t i = 0; i < m; ++i) at[i] = _table_index(names[i]);  // k for a name holding "|"
  for (size_t i = 0; i < m; ++i) {
    for (size_t j = 0; j < m; ++j) {
      const size_t from = i * m + j;
      if (at[i] == k || at[j] == k) {
        auto* object = new mrv::DistanceBetweenIndividuals(names[i], names[j]);
        object->set_distance(distances[from]);
        object->set_nb_resolved_positions(positions[from]);
        set_specific_distance_object(object->get_pair_name(), object);
        continue;
      }
      const size_t cell = at[i] * k + at[j];
      _pair_distance[cell] = distances[from];
      _pair_positions[cell] = positions[from];
      _pair_computed[cell] = 1;
      if (!_distance_objects.empty()) {  // the table's value now replaces an object of the key
        auto held = _distance_objects.find(names[i] + "|" + names[j]);
        if (held != _distance_objects.end()) {
          delete held->second;
          _distance_objects.erase(held);
        }
      }
    }
  }
}

mrv::DistanceBetweenIndividuals* ResultsWarehouse::get_specific_distance_object(std::string key) {
  auto held = _distance_objects.find(key);
  if (held != _distance_objects.end()) return held->second;
  mrv::DistanceBetweenIndividuals* object = nullptr;
  size_t cell = 0;
  std::string first, second;
  if (_table_cell(key, cell)) {
    const size_t cut = key.find('|');
    object = new mrv::DistanceBetweenIndividuals(key.substr(0, cut), key.substr(cut + 1));
    object->set_distance(_pair_distance[cell]);
    object->set_nb_resolved_positions(_pair_positions[cell]);
  } else if (_population_pair(key, first, second) > 0) {
    object = new mrv::DistanceBetweenIndividuals(first, second);
  }
  _distance_objects.emplace(key, object);
  return object;
}

std::map<std::string, mrv::DistanceBetweenIndividuals*> ResultsWarehouse::get_all_distance_objects() {
  std::vector<std::string> individuals = _distance_individuals;
  if (_population) {
    const std::vector<std::string> members = _population->get_all_individuals();
    individuals.insert(individuals.end(), members.begin(), members.end());
  }
  std::sort(individuals.begin(), individuals.end());
  individuals.erase(std::unique(individuals.begin(), individuals.end()), individuals.end());
  // Pairs of a table individual with a population individual that is neither: no object.
  for (const std::string& a : individuals)
    for (const std::string& b : individuals) {
      const std::string key = a + "|" + b;
      size_t cell = 0;
      std::string first, second;
      if (_table_cell(key, cell) || _population_pair(key, first, second) > 0) get_specific_distance_object(key);
    }
  return _distance_objects;
}

void ResultsWarehouse::store_species_data(SpeciesDataWarehouse* record) { _species_data.push_back(record); }

SpeciesDataWarehouse* ResultsWarehouse::get_specific_species_data(std::string species) const {
  SpeciesDataWarehouse* found = nullptr;
  for (SpeciesDataWarehouse* record : _species_data)
    if (record->get_species_name() == species) found = record;
  return found;
}

// ---- Debug inventory ----

void ResultsWarehouse::warehouseInventory(ResultsWarehouse* warehouse, ParametersManagement* parameters,
                                          mrv::Population* population, std::vector<double>& class_bounds) {
  std::ostream& out = std::cout;
  const std::string hashes(81, '#');
  // A warehouse without a record of the focal species shows the values of an empty record.
  const SpeciesDataWarehouse empty_record;
  const SpeciesDataWarehouse* focal = warehouse->get_specific_species_data(parameters->get_ingroup_species_name());
  if (!focal) focal = &empty_record;
  const std::map<std::string, double> heterozygosity = warehouse->get_all_individual_heterozygosity();
  const unsigned int nb_population = population->get_number_of_population();
  const std::vector<std::string> population_names = population->get_population_names();
  const std::vector<double> classes = warehouse->get_GC_allele_frequency_classes();

  out << std::endl;
  out << hashes << std::endl;
  out << "#                              Warehouse Inventory                              #" << std::endl;
  out << hashes << std::endl;
  out << std::endl;
  out << "Content of the warehouse for dataset " << warehouse->_name << " (Status: " << warehouse->_status << "):"
      << std::endl;
  out << std::endl;
  out << " -- 1 species analysis -- " << std::endl;
  out << std::endl;
  out << " -> Focal species Data:" << std::endl;
  out << std::endl;
  out << "  --> Name: " << focal->get_species_name() << std::endl;
  out << "  --> Number of sequence: " << focal->get_number_of_sequences() << std::endl;
  out << "  --> Number of site: " << focal->get_number_of_sites() << std::endl;
  out << "  --> Number of complete site: " << focal->get_number_of_complete_sites() << std::endl;
  out << "  --> piN: " << focal->get_piN() << std::endl;
  out << "  --> piS: " << focal->get_piS() << std::endl;
  out << "  --> Fit: " << focal->get_Fit() << std::endl;
  out << "  --> WC84 Fit: " << focal->get_WC84_Fit() << std::endl;
  out << "  --> GC3: " << focal->get_GC3() << std::endl;
  out << std::endl;
  out << " -> Individual Heterozygosity:" << std::endl;
  out << std::endl;
  for (const auto& entry : heterozygosity) out << "  --> H(" << entry.first << ") = " << entry.second << std::endl;
  if (nb_population >= 2) {
    out << std::endl;
    out << " -> Fst:" << std::endl;
    out << std::endl;
    for (unsigned int i = 0; i < nb_population; ++i)
      for (unsigned int j = i + 1; j < nb_population; ++j)
        out << "  --> Fst(" << population_names.at(i) << "," << population_names.at(j)
            << "): " << warehouse->_fst.at(i).at(j) << std::endl;
  }
  out << std::endl;
  out << " -> GC frequencies:" << std::endl;
  out << std::endl;
  // One line per class; a class without bound (or a run without class) prints nothing.
  for (size_t k = 0; k < classes.size() && k < class_bounds.size(); ++k) {
    out << "  --> Range [";
    if (k == 0)
      out << "0";
    else
      out << class_bounds[k - 1];
    out << " - " << class_bounds[k] << "]: " << classes[k] << std::endl;
  }
  out << std::endl;
  out << " -> SNP data:" << std::endl;
  out << std::endl;
  out << "  --> Bi-allelic SNP: " << warehouse->_nb_bi_allelic_SNP << std::endl;
  out << "  --> Tri-allelic SNP: " << warehouse->_nb_tri_allelic_SNP << std::endl;
  out << "  --> Quadri-allelic SNP: " << warehouse->_nb_quadri_allelic_SNP << std::endl;
  out << std::endl;
  out << " -- 2 species analysis -- " << std::endl;
  out << std::endl;
  out << " -> Selection indicators:" << std::endl;
  out << std::endl;
  out << "  --> nN: " << warehouse->_nN << std::endl;
  out << "  --> nS: " << warehouse->_nS << std::endl;
  out << "  --> nbseq_div: " << warehouse->_nb_sequences_in_consensus << std::endl;
  out << "  --> nbsite_div: " << warehouse->_nb_sites_in_consensus << std::endl;
  out << std::endl;
  out << " -> mcDonald-Kreitman Analysis:" << std::endl;
  out << std::endl;
  out << "  --> FixN: " << warehouse->_fixN << std::endl;
  out << "  --> FixS: " << warehouse->_fixS << std::endl;
  out << "  --> PolymN 0.0: " << warehouse->_polymN_0 << std::endl;
  out << "  --> PolymS 0.0: " << warehouse->_polymS_0 << std::endl;
  out << "  --> PolymN 0.2: " << warehouse->_polymN_02 << std::endl;
  out << "  --> PolymS 0.2: " << warehouse->_polymS_02 << std::endl;
  out << "  --> MK_nN: " << warehouse->_mk_nN << std::endl;
  out << "  --> MK_nS: " << warehouse->_mk_nS << std::endl;
  out << std::endl;
  out << hashes << std::endl;
  out << "#                           Warehouse Inventory - END                           #" << std::endl;
  out << hashes << std::endl;
  out << std::endl;
}
