#pragma once
// Averages of the focal species' statistics over the contigs chosen for the summary, with their
// failure counts and bootstrap percentile intervals.
#include <map>
#include <string>
#include <vector>

namespace bpp {
class RandomFactory;
}
namespace mrv {
class Population;
}
class ResultsWarehouse;

// The values of one contig that the summary reads, with the types and not-computed markers of the
// per-contig stores.
struct SummaryContigValues {
  unsigned int nb_bi_allelic_SNP = 0;
  unsigned int nb_tri_allelic_SNP = 0;
  unsigned int nb_quadri_allelic_SNP = 0;
  double piN = -1.0;
  double piS = -1.0;
  double Fit = -999.0;
  double WC84_total_B = -999.0;
  double WC84_total_C = -999.0;
  unsigned int number_of_complete_sites = 0;
  double nN = -1.0;
  double nS = -1.0;
  int fixN = -1;
  int fixS = -1;
  int polymS_0 = -1;
  int polymN_0 = -1;
  int polymS_02 = -1;
  int polymN_02 = -1;
  // One value per individual, in the order of the individual names given to the summary.
  std::vector<double> individual_heterozygosity;
  // One value per population pair i < j, in the order of the pair keys given to the summary.
  std::vector<double> population_fst;
};

class Summary {
 public:
  // Copies what it needs out of the stores; `nb_contig` is the number of stores given.
  Summary(std::vector<ResultsWarehouse*> warehouses, mrv::Population* population,
          std::string ingroup_species_name, unsigned int nb_contig, unsigned int bootstrap_replicates,
          unsigned int bootstrap_sort_precision, double bootstrap_confidence);
  // A summary over values already copied out of the stores: `individuals` names the heterozygosity
  // columns and `couples` the Fst columns of every contig (the pairs i < j of some number of
  // populations, in their order).
  Summary(const std::vector<SummaryContigValues>& contigs, const std::vector<std::string>& individuals,
          const std::vector<std::string>& couples, unsigned int bootstrap_replicates,
          unsigned int bootstrap_sort_precision, double bootstrap_confidence);
  virtual ~Summary();

  void initial_data_extraction(std::vector<ResultsWarehouse*> warehouses, std::string ingroup_species_name,
                               mrv::Population* population);
  void complex_data_extraction(ResultsWarehouse* warehouse, mrv::Population* population);

  // Runs the seven averages in order. Values not below their threshold pass the piS, Fit and
  // Weir & Cockerham tests (NaN passes); heterozygosity and Fst must lie strictly above theirs.
  void compute_all_averages(mrv::Population* population, double piS_threshold, double fit_threshold,
                            double WC84_threshold, double heterozygosity_threshold, double fst_threshold,
                            double k, int max_count);
  void compute_average_piNpiS(double threshold);
  void compute_average_fit(double threshold);
  void compute_average_WC84_fit(double threshold);
  void compute_average_dNdS(int max_count, double k);
  void compute_average_NI(int max_count, double k);
  void compute_average_individual_heterozygosity(mrv::Population* population, double threshold);
  void compute_average_individual_heterozygosity(const std::vector<std::string>& individuals, double threshold);
  void compute_average_population_fst(mrv::Population* population, double threshold);
  void compute_average_population_fst(const std::vector<std::string>& couples, double threshold);
  // dS outlier threshold: median plus k sample standard deviations of the contigs' dS.
  void compute_dS_threshold(double k);

  // Bootstrap percentile intervals of every average, in the order piN/piS, Fit, Weir & Cockerham
  // Fit, dN/dS, NI; each operation draws its own resamples.
  void bootstrap_everything(double piS_threshold, double fit_threshold, double WC84_threshold, double k,
                            int max_count);
  void bootstrap_piNpiS(double threshold);
  void bootstrap_fit(double threshold);
  void bootstrap_WC84_fit(double threshold);
  void bootstrap_dNdS(int max_count, double k);
  void bootstrap_NI(int max_count, double k);
  // Fills `indices` with contig positions drawn uniformly with replacement.
  void generate_boot_dataset(std::vector<unsigned int>& indices);
  // Percentile interval [lower, upper] of the replicates; leaves `replicates` sorted and cut toward
  // zero to multiples of 1 / bootstrap_sort_precision (NaN values last).
  std::vector<double> get_standard_error(std::vector<double>& replicates);
  // Random source of the resamples; null restores the library's default generator. Not owned.
  void set_random_generator(bpp::RandomFactory* generator);

  unsigned int get_total_SNP2() const { return total_SNP2; }
  unsigned int get_total_SNP3() const { return total_SNP3; }
  unsigned int get_total_SNP4() const { return total_SNP4; }
  unsigned int get_total_number_of_SNP() const { return total_SNP2 + total_SNP3 + total_SNP4; }
  unsigned int get_nb_contig() const { return nb_contig; }
  double get_average_piN() const { return average_piN; }
  double get_average_piS() const { return average_piS; }
  double get_average_piNpiS() const { return average_piNpiS; }
  std::vector<double> get_piN_standard_error() const { return piN_standard_error; }
  std::vector<double> get_piS_standard_error() const { return piS_standard_error; }
  std::vector<double> get_piNpiS_standard_error() const { return piNpiS_standard_error; }
  unsigned int get_average_contig_length_piNpiS() const { return average_contig_length_piNpiS; }
  unsigned int get_failed_piNpiS() const { return failed_piNpiS; }
  double get_average_fit() const { return average_fit; }
  std::vector<double> get_fit_standard_error() const { return fit_standard_error; }
  unsigned int get_failed_fit() const { return failed_fit; }
  double get_average_WC84_fit() const { return average_WC84_fit; }
  std::vector<double> get_WC84_fit_standard_error() const { return WC84_fit_standard_error; }
  unsigned int get_failed_WC84_fit() const { return failed_WC84_fit; }
  double get_average_dN() const { return average_dN; }
  std::vector<double> get_dN_standard_error() const { return dN_standard_error; }
  double get_average_dS() const { return average_dS; }
  std::vector<double> get_dS_standard_error() const { return dS_standard_error; }
  double get_average_dNdS() const { return average_dNdS; }
  std::vector<double> get_dNdS_standard_error() const { return dNdS_standard_error; }
  unsigned int get_contig_above_threshold() const { return contig_above_threshold; }
  unsigned int get_failed_dNdS() const { return failed_dNdS; }
  double get_NI() const { return NI; }
  double get_NI02() const { return NI02; }
  std::vector<double> get_NI_standard_error() const { return NI_standard_error; }
  std::vector<double> get_NI02_standard_error() const { return NI02_standard_error; }
  unsigned int get_failed_NI() const { return failed_NI; }
  double get_dS_threshold() const { return dS_threshold; }
  double get_alpha() const { return 1.0 - NI; }
  double get_alpha02() const { return 1.0 - NI02; }
  // [1 - upper, 1 - lower] of the NI interval: the bounds swap places.
  std::vector<double> get_alpha_standard_error() const;
  std::vector<double> get_alpha02_standard_error() const;
  // An absent name is entered with 0.0.
  double get_specific_average_individual_heterozygosity(std::string name);
  // Average Fst of populations i < j (0.0 for a pair that does not exist). Pairs are known by
  // their indices: population names may hold "|", so that two pairs can share one joined key.
  double get_average_population_fst(unsigned int i, unsigned int j) const;
  // Average Fst of the first pair whose key (name_i + "|" + name_j) is `pair_key`; 0.0 for none.
  double get_specific_average_population_fst(std::string pair_key) const;

 private:
  void _set_starting_values(const std::vector<std::string>& individuals, const std::vector<std::string>& couples);
  void _set_population_pairs(const std::vector<std::string>& couples);
  void _append_contig(const SummaryContigValues& values);
  std::size_t _contig_count() const { return contig_complete_sites.size(); }
  double _contig_dS(std::size_t i) const;
  void _ensure_dS_threshold(double k);

  std::vector<double> contig_piN;
  std::vector<double> contig_piS;
  std::vector<double> contig_Fit;
  std::vector<double> contig_WC84_total_B;
  std::vector<double> contig_WC84_total_C;
  std::vector<int> contig_complete_sites;
  std::vector<int> contig_nS;
  std::vector<int> contig_nN;
  std::vector<int> contig_fixS;
  std::vector<int> contig_fixN;
  std::vector<int> contig_polymS_0;
  std::vector<int> contig_polymN_0;
  std::vector<int> contig_polymS_02;
  std::vector<int> contig_polymN_02;
  std::vector<std::vector<double> > contig_individual_heterozygosity;
  std::vector<std::vector<double> > contig_population_fst;
  unsigned int total_SNP2 = 0;
  unsigned int total_SNP3 = 0;
  unsigned int total_SNP4 = 0;
  unsigned int nb_contig;
  double average_piN = -1.0;
  double average_piS = -1.0;
  double average_piNpiS = -1.0;
  unsigned int average_contig_length_piNpiS = 4294967295u;
  double average_fit = -100.0;
  double average_WC84_fit = -100.0;
  double average_dN = -1.0;
  double average_dS = -1.0;
  double average_dNdS = -1.0;
  unsigned int contig_above_threshold = 0;
  double NI = -1.0;
  double NI02 = -1.0;
  unsigned int failed_piNpiS = 0;
  unsigned int failed_fit = 0;
  unsigned int failed_WC84_fit = 0;
  unsigned int failed_dNdS = 0;
  unsigned int failed_NI = 0;
  std::vector<double> piN_standard_error;
  std::vector<double> piS_standard_error;
  std::vector<double> piNpiS_standard_error;
  std::vector<double> fit_standard_error;
  std::vector<double> WC84_fit_standard_error;
  std::vector<double> dN_standard_error;
  std::vector<double> dS_standard_error;
  std::vector<double> dNdS_standard_error;
  std::vector<double> NI_standard_error;
  std::vector<double> NI02_standard_error;
  unsigned int bootstrap_replicates;
  unsigned int bootstrap_sort_precision;
  double bootstrap_confidence;
  double dS_threshold = -1.0;
  std::map<std::string, double> average_individual_heterozygosity;
  // One average per population pair i < j, i ascending then j ascending; `_couple_keys` holds their
  // joined keys and `_nb_population` the number of populations they pair.
  std::vector<double> average_population_fst;
  std::vector<std::string> _couple_keys;
  unsigned int _nb_population = 0;

  bpp::RandomFactory* _generator;

  // One contig position of a resample per call, drawn from the generator.
  struct Draw;
  template <class Fill>
  void _for_each_resample(std::size_t n, unsigned int replicates, Fill fill);
};
