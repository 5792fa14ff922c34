#pragma once
// Everything computed for one contig. Starting values mark a value as not computed:
// -1.0 (nN, nS, distances), -999.0 (Fst, heterozygosity), -1 (McDonald-Kreitman counts),
// 0 (unsigned counts), "No_name" / "Not_OK".
//
// Per-individual and per-pair values are kept in proportion to the contig: a population of n
// individuals costs neither n entries nor n x n distances per contig. The distances computed for
// the contig's k individuals form a k x k table; a population pair never computed reads as
// distance -1.0 over 0 positions, and a population individual never computed as heterozygosity
// -999.0, exactly as if an entry had been created for it; objects are created only when asked for.
#include <map>
#include <string>
#include <vector>

#include "analysis/DistanceBetweenIndividuals.h"
#include "analysis/SpeciesDataWarehouse.h"

class ParametersManagement;

namespace mrv {
class Population;
}

class ResultsWarehouse {
 public:
  // `population` (may be null: no individual) is not owned; the getters that tell population
  // individuals from other names read it, so it must outlive them.
  ResultsWarehouse(mrv::Population* population, unsigned int nb_gc_bin);
  // Destroys the species records and the distance objects it owns.
  virtual ~ResultsWarehouse();
  ResultsWarehouse(const ResultsWarehouse&) = delete;
  ResultsWarehouse& operator=(const ResultsWarehouse&) = delete;

  // Debug dump of one warehouse to standard output.
  static void warehouseInventory(ResultsWarehouse* warehouse, ParametersManagement* parameters,
                                 mrv::Population* population, std::vector<double>& class_bounds);

  void set_name(std::string value) { _name = value; }
  void set_status(std::string value) { _status = value; }
  std::string get_name() const { return _name; }
  std::string get_status() const { return _status; }

  void set_nb_bi_allelic_SNP(unsigned int value) { _nb_bi_allelic_SNP = value; }
  void set_nb_tri_allelic_SNP(unsigned int value) { _nb_tri_allelic_SNP = value; }
  void set_nb_quadri_allelic_SNP(unsigned int value) { _nb_quadri_allelic_SNP = value; }
  void set_nb_sequences_in_consensus(unsigned int value) { _nb_sequences_in_consensus = value; }
  void set_nb_sites_in_consensus(unsigned int value) { _nb_sites_in_consensus = value; }
  unsigned int get_nb_bi_allelic_SNP() const { return _nb_bi_allelic_SNP; }
  unsigned int get_nb_tri_allelic_SNP() const { return _nb_tri_allelic_SNP; }
  unsigned int get_nb_quadri_allelic_SNP() const { return _nb_quadri_allelic_SNP; }
  unsigned int get_nb_sequences_in_consensus() const { return _nb_sequences_in_consensus; }
  unsigned int get_nb_sites_in_consensus() const { return _nb_sites_in_consensus; }

  void set_nN(double value) { _nN = value; }
  void set_nS(double value) { _nS = value; }
  double get_nN() const { return _nN; }
  double get_nS() const { return _nS; }

  void set_fixN(int value) { _fixN = value; }
  void set_fixS(int value) { _fixS = value; }
  void set_polymN_0(int value) { _polymN_0 = value; }
  void set_polymS_0(int value) { _polymS_0 = value; }
  void set_polymN_02(int value) { _polymN_02 = value; }
  void set_polymS_02(int value) { _polymS_02 = value; }
  void set_MK_nN(int value) { _mk_nN = value; }
  void set_MK_nS(int value) { _mk_nS = value; }
  int get_fixN() const { return _fixN; }
  int get_fixS() const { return _fixS; }
  int get_polymN_0() const { return _polymN_0; }
  int get_polymS_0() const { return _polymS_0; }
  int get_polymN_02() const { return _polymN_02; }
  int get_polymS_02() const { return _polymS_02; }
  int get_MK_nN() const { return _mk_nN; }
  int get_MK_nS() const { return _mk_nS; }

  // Adds `amount` to GC allele-frequency class `index` (0 <= index < nb_gc_bin, else std::out_of_range).
  void increase_class(int index, int amount);
  std::vector<double> get_GC_allele_frequency_classes() const { return _gc_allele_frequency_classes; }

  // Fst between populations i and j (both below the number of populations, else std::out_of_range).
  void set_specific_Fst(unsigned int i, unsigned int j, double value);
  double get_specific_Fst(unsigned int i, unsigned int j) const;
  std::vector<std::vector<double> > get_all_Fst() const { return _fst; }

  void set_specific_individual_heterozygosity(std::string individual, double value);
  // -999.0 for a population individual never set; a name that is neither set nor a population
  // individual is entered with 0.0 and 0.0 is returned.
  double get_specific_individual_heterozygosity(std::string individual);
  // Every population individual and every name entered, in byte order of the names.
  std::map<std::string, double> get_all_individual_heterozygosity() const;

  // Stores a distance object under its key (first + "|" + second for a pair) and takes ownership
  // of it; an object stored before under the key is destroyed.
  void set_specific_distance_object(std::string key, mrv::DistanceBetweenIndividuals* object);
  // The same for every ordered pair (names[i], names[j]), in that order (a later pair of the same
  // key wins): distance and position count at i * names.size() + j of the two tables. Pairs of
  // names without "|" go to the contig's table, without any object.
  void set_distances(const std::vector<std::string>& names, const std::vector<double>& distances,
                     const std::vector<int>& positions);
  // The object under `key`, owned by the warehouse: the one stored, or one made on this first
  // request from the contig's table, or, for an ordered pair of population individuals (self-pairs
  // included) never computed, one with distance -1.0 and 0 positions. Any other absent key is
  // entered with a null pointer and null is returned.
  mrv::DistanceBetweenIndividuals* get_specific_distance_object(std::string key);
  // Every distance object: makes those of all population pairs and computed pairs first (costly;
  // for inspection).
  std::map<std::string, mrv::DistanceBetweenIndividuals*> get_all_distance_objects();

  // The distances as get_specific_distance_object reads them, without making any object, for the
  // distance file. The table: the individuals whose distances were computed together, each once in
  // byte order, and the pair of individuals i and j (false when not computed). The objects held
  // under their key (null entries included) take the place of the table's pair of the same key.
  const std::vector<std::string>& get_distance_individuals() const { return _distance_individuals; }
  bool get_table_distance(size_t i, size_t j, double& distance, int& nb_resolved_positions) const;
  const std::map<std::string, mrv::DistanceBetweenIndividuals*>& get_held_distance_objects() const {
    return _distance_objects;
  }

  // Takes ownership of the record.
  void store_species_data(SpeciesDataWarehouse* record);
  // The last record named `species`, or null.
  SpeciesDataWarehouse* get_specific_species_data(std::string species) const;
  std::vector<SpeciesDataWarehouse*> get_all_species_data() const { return _species_data; }


 private:
  bool _is_population_individual(const std::string& name) const;
  // Reads `key` as a pair of population individuals: the number of readings (names may hold "|");
  // with several, the pair that comes last in the order of the population's individuals.
  size_t _population_pair(const std::string& key, std::string& first, std::string& second) const;
  // Index of `name` in the table, or the table's size.
  size_t _table_index(const std::string& name) const;
  // The table cell of `key`, or false when the key is no pair of the table's individuals.
  bool _table_cell(const std::string& key, size_t& cell) const;
  // Adds the names to the table's individuals, keeping the values held.
  void _grow_table(const std::vector<std::string>& names);

  std::string _name;
  std::string _status;
  unsigned int _nb_bi_allelic_SNP;
  unsigned int _nb_tri_allelic_SNP;
  unsigned int _nb_quadri_allelic_SNP;
  unsigned int _nb_sequences_in_consensus;
  unsigned int _nb_sites_in_consensus;
  double _nN;
  double _nS;
  int _fixN;
  int _fixS;
  int _polymN_0;
  int _polymS_0;
  int _polymN_02;
  int _polymS_02;
  int _mk_nN;
  int _mk_nS;
  std::vector<double> _gc_allele_frequency_classes;
  std::vector<std::vector<double> > _fst;
  // Values set or entered; population individuals absent from it read -999.0.
  std::map<std::string, double> _individual_heterozygosity;
  // Objects held under their key: handed over, made on request, and null entries. A key held here
  // is read from here, not from the table.
  std::map<std::string, mrv::DistanceBetweenIndividuals*> _distance_objects;
  std::vector<SpeciesDataWarehouse*> _species_data;

  mrv::Population* _population;
  // The contig's table: its individuals (names without "|", byte order) and, at i * size + j, the
  // distance, position count and computed flag of the ordered pair (i, j).
  std::vector<std::string> _distance_individuals;
  std::vector<double> _pair_distance;
  std::vector<int> _pair_positions;
  std::vector<char> _pair_computed;
};
