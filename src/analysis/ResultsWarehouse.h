#pragma once
// Everything computed for one contig. Starting values mark a value as not computed:
// -1.0 (nN, nS, distances), -999.0 (Fst, heterozygosity), -1 (McDonald-Kreitman counts),
// 0 (unsigned counts), "No_name" / "Not_OK".
//
// Per-individual and per-pair values are kept compactly: a population of n individuals does not
// cost n x n objects per contig. A population pair never computed reads as distance -1.0 over
// 0 positions, and a population individual never computed as heterozygosity -999.0, exactly as
// if an entry had been created for it; objects are created only when asked for.
#include <map>
#include <memory>
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
  // `population` is read during construction only.
  ResultsWarehouse(mrv::Population* population, unsigned int nb_gc_bin);
  // Destroys the species records and the distance objects it owns.
  virtual ~ResultsWarehouse();
  ResultsWarehouse(const ResultsWarehouse&) = delete;
  ResultsWarehouse& operator=(const ResultsWarehouse&) = delete;

  // Debug dump of one warehouse to standard output.
  static void warehouseInventory(ResultsWarehouse* warehouse, ParametersManagement* parameters,
                                 mrv::Population* population, std::vector<double>& class_bounds);

  void set_name(std::string value) { name = value; }
  void set_status(std::string value) { status = value; }
  std::string get_name() const { return name; }
  std::string get_status() const { return status; }

  void set_nb_bi_allelic_SNP(unsigned int value) { nb_bi_allelic_SNP = value; }
  void set_nb_tri_allelic_SNP(unsigned int value) { nb_tri_allelic_SNP = value; }
  void set_nb_quadri_allelic_SNP(unsigned int value) { nb_quadri_allelic_SNP = value; }
  void set_nb_sequences_in_consensus(unsigned int value) { nb_sequences_in_consensus = value; }
  void set_nb_sites_in_consensus(unsigned int value) { nb_sites_in_consensus = value; }
  unsigned int get_nb_bi_allelic_SNP() const { return nb_bi_allelic_SNP; }
  unsigned int get_nb_tri_allelic_SNP() const { return nb_tri_allelic_SNP; }
  unsigned int get_nb_quadri_allelic_SNP() const { return nb_quadri_allelic_SNP; }
  unsigned int get_nb_sequences_in_consensus() const { return nb_sequences_in_consensus; }
  unsigned int get_nb_sites_in_consensus() const { return nb_sites_in_consensus; }

  void set_nN(double value) { nN = value; }
  void set_nS(double value) { nS = value; }
  double get_nN() const { return nN; }
  double get_nS() const { return nS; }

  void set_fixN(int value) { fixN = value; }
  void set_fixS(int value) { fixS = value; }
  void set_polymN_0(int value) { polymN_0 = value; }
  void set_polymS_0(int value) { polymS_0 = value; }
  void set_polymN_02(int value) { polymN_02 = value; }
  void set_polymS_02(int value) { polymS_02 = value; }
  void set_MK_nN(int value) { MK_nN = value; }
  void set_MK_nS(int value) { MK_nS = value; }
  int get_fixN() const { return fixN; }
  int get_fixS() const { return fixS; }
  int get_polymN_0() const { return polymN_0; }
  int get_polymS_0() const { return polymS_0; }
  int get_polymN_02() const { return polymN_02; }
  int get_polymS_02() const { return polymS_02; }
  int get_MK_nN() const { return MK_nN; }
  int get_MK_nS() const { return MK_nS; }

  // Adds `amount` to GC allele-frequency class `index` (0 <= index < nb_gc_bin, else std::out_of_range).
  void increase_class(int index, int amount);
  std::vector<double> get_GC_allele_frequency_classes() const { return GC_allele_frequency_classes; }

  // Fst between populations i and j (both below the number of populations, else std::out_of_range).
  void set_specific_Fst(unsigned int i, unsigned int j, double value);
  double get_specific_Fst(unsigned int i, unsigned int j) const;
  std::vector<std::vector<double> > get_all_Fst() const { return Fst; }

  void set_specific_individual_heterozygosity(std::string individual, double value);
  // -999.0 for a population individual never set; a name that is neither set nor a population
  // individual is entered with 0.0 and 0.0 is returned.
  double get_specific_individual_heterozygosity(std::string individual);
  // Every population individual and every name entered, in byte order of the names.
  std::map<std::string, double> get_all_individual_heterozygosity() const;

  // Stores a computed distance under its pair key (first + "|" + second). The warehouse takes
  // ownership AT ONCE: it may keep the object or keep its values and destroy it, so the pointer
  // must not be used after this call. An object stored before under the key is destroyed.
  void set_specific_distance_object(std::string key, mrv::DistanceBetweenIndividuals* object);
  // The same for every ordered pair (names[i], names[j]), in that order: distance and position count
  // at i * names.size() + j of the two tables. Pairs of population individuals are stored without
  // creating any object.
  void set_distances(const std::vector<std::string>& names, const std::vector<double>& distances,
                     const std::vector<int>& positions);
  // The object under `key`, owned by the warehouse. For an ordered pair of population individuals
  // (self-pairs included) never computed: an object with distance -1.0 and 0 positions, created on
  // this first request. Any other absent key is entered with a null pointer and null is returned.
  mrv::DistanceBetweenIndividuals* get_specific_distance_object(std::string key);
  // Every distance object: creates those of all population pairs first (costly; for inspection).
  std::map<std::string, mrv::DistanceBetweenIndividuals*> get_all_distance_objects();
  // Reads the distance under `key` without creating anything. Returns true when a distance or an
  // object is held under the key; otherwise sets distance -1.0 and 0 positions and returns false.
  bool find_distance(const std::string& key, double& distance, int& nb_resolved_positions) const;

  // Takes ownership of the record.
  void store_species_data(SpeciesDataWarehouse* record);
  // The last record named `species`, or null.
  SpeciesDataWarehouse* get_specific_species_data(std::string species) const;
  std::vector<SpeciesDataWarehouse*> get_all_species_data() const { return species_data; }


 private:
  // Individuals of the population the warehouse was built from, shared between warehouses.
  struct _PopulationIndividuals;
  static std::shared_ptr<const _PopulationIndividuals> _shared_individuals(mrv::Population* population);

  enum _PairKind { _NOT_A_PAIR, _ONE_PAIR, _SEVERAL_PAIRS };
  // Reads `key` as a pair of population individuals; for one reading gives the two name slots.
  _PairKind _resolve_pair(const std::string& key, size_t& first, size_t& second) const;
  // The object the warehouse gives for a population pair `key` (kind _ONE_PAIR or _SEVERAL_PAIRS).
  mrv::DistanceBetweenIndividuals* _make_pair_object(const std::string& key, _PairKind kind, size_t first,
                                                     size_t second) const;

  std::string name;
  std::string status;
  unsigned int nb_bi_allelic_SNP;
  unsigned int nb_tri_allelic_SNP;
  unsigned int nb_quadri_allelic_SNP;
  unsigned int nb_sequences_in_consensus;
  unsigned int nb_sites_in_consensus;
  double nN;
  double nS;
  int fixN;
  int fixS;
  int polymN_0;
  int polymS_0;
  int polymN_02;
  int polymS_02;
  int MK_nN;
  int MK_nS;
  std::vector<double> GC_allele_frequency_classes;
  std::vector<std::vector<double> > Fst;
  // Values set or entered; population individuals absent from it read -999.0.
  std::map<std::string, double> individual_heterozygosity;
  // Objects held under their key: objects handed over for keys that are not a single population
  // pair, objects created on request, and null entries.
  std::map<std::string, mrv::DistanceBetweenIndividuals*> distance_objects;
  std::vector<SpeciesDataWarehouse*> species_data;

  std::shared_ptr<const _PopulationIndividuals> _individuals;
  // Computed distances of population pairs, slot(first) * n + slot(second); allocated on the
  // first one. A key also present in distance_objects is read from there.
  std::vector<double> _pair_distance;
  std::vector<int> _pair_positions;
  std::vector<bool> _pair_computed;
};
