#pragma once
// The populations of a run: each a name and the list of its individuals' names.
// Built once, from the population file or from the focal individuals of the alignment,
// then only read. Population ids are 0-based in file order.
#include <string>
#include <unordered_map>
#include <vector>

namespace bpp {
class PolymorphismSequenceContainer;
}

namespace mrv {

class Population {
 public:
  // Reads the population file: one population per line, "name;ind1;ind2...", "#" comments.
  // A file that cannot be opened or read throws a FatalError ("Cannot open/read file: " + path);
  // so does a population or individual name holding a tab or a carriage return (a Windows line
  // end), which the tab-separated output files cannot hold.
  explicit Population(std::string path);
  // The single population "All_individuals": every individual of `focal_species` found in the
  // sequence names ("contig|species|individual|allele") of the containers, in ascending byte order.
  Population(std::vector<bpp::PolymorphismSequenceContainer*>& containers, std::string focal_species);
  // The same from the sequence names of each contig.
  Population(const std::vector<std::vector<std::string> >& contig_names, const std::string& focal_species);
  virtual ~Population();

  // Every line of the file, line feeds removed (carriage returns kept); throws a FatalError when
  // the file cannot be opened or read.
  std::vector<std::string> convert_file_into_vector_of_string(std::string path);
  // Appends the populations the lines define.
  void build_population_list(std::vector<std::string> lines);

  // True when an individual name occurs more than once in all member lists; records every
  // repeated occurrence in the duplicates list.
  bool check_for_duplicates();
  void display_populations(bool from_data) const;
  void display_duplicates() const;

  // Id (resp. name) of the last population listing `individual`, always below
  // get_number_of_population(); throws bpp::Exception ("Individual NAME doesn't belong to any
  // population !") when none does. The one place that refuses an individual in no population.
  int get_population_id(std::string individual) const;
  std::string get_population_name(std::string individual) const;

  unsigned int get_number_of_population() const { return _number_of_population; }
  // Sum of the member list lengths (a name listed twice counts twice).
  unsigned int get_number_of_individuals() const;
  std::vector<std::string> get_population_names() const { return _population_names; }
  std::vector<std::vector<std::string> > get_population_list() const { return _population_list; }
  std::vector<std::string> get_duplicates() const { return _duplicates; }
  // All member lists concatenated in population order.
  std::vector<std::string> get_all_individuals() const;
  // Population pair keys name_i + "|" + name_j for every i < j.
  std::vector<std::string> get_all_couples() const;

 private:
  // Throws a FatalError naming the file and the line when a line that defines a population holds
  // a name that would break the tab-separated output files.
  static void _refuse_names_breaking_tables(const std::string& path, const std::vector<std::string>& lines);
  void _index_members();
  int _find_population(const std::string& individual) const;

  std::vector<std::string> _population_names;
  std::vector<std::vector<std::string> > _population_list;
  std::vector<std::string> _duplicates;
  unsigned int _number_of_population;

  // Individual name -> id of the last population that lists it (the lookup rule), built once.
  std::unordered_map<std::string, int> _last_population_of;
};

}  // namespace mrv
