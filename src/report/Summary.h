#pragma once
// The biological summary of a run: averages of the focal species' statistics over the contigs
// chosen for the summary, with their failure counts and bootstrap percentile intervals.
#include <array>
#include <map>
#include <string>
#include <vector>

#include "report/SummaryContigValues.h"

namespace mrv {
class Population;
}
class ResultsWarehouse;

/**
 * @brief Averages over contigs of the focal (ingroup) species' statistics, with bootstrap
 * percentile intervals.
 *
 * The summary copies the values it needs out of the per-contig stores at construction
 * (SummaryContigValues) and keeps no pointer to them. Contig i weighs w_i, its number of complete
 * codon sites of the focal species. Each average leaves out the contigs that fail its inclusion
 * test and counts them in its failure counter. Two forms of test are used:
 * - "not below t": the test t > x is false, so a value equal to t, and NaN, pass;
 * - "strictly above t": x > t must hold, so a value equal to t, and NaN, fail.
 *
 * Every average over several contigs pools the contigs first and divides once (a ratio of sums,
 * never a mean of per-contig ratios):
 * - piN and piS: sum of w_i × pi_i over sum of w_i, over the contigs whose piS is not below the
 *   threshold; piN/piS is the ratio of these two averages; the average contig length is the
 *   summed weight divided by the number of contigs used (integer division).
 * - Fit: sum of w_i × Fit_i over sum of w_i, over the contigs whose Fit is not below the threshold.
 * - Weir & Cockerham Fit: sum(B) / (sum(B) + sum(C)), unweighted, over the contigs whose B and C
 *   are both not below the threshold.
 * - dN = sum(fixN) / sum(nN), dS = sum(fixS) / sum(nS) and dN/dS = dN / dS, over the contigs whose
 *   fixN and fixS are at most max_count and whose dS_i = fixS_i / nS_i is not above the dS
 *   threshold (nN and nS are truncated toward zero to integers when copied).
 * - NI = (sum(polymN_0) × sum(fixS)) / (sum(polymS_0) × sum(fixN)), the McDonald-Kreitman
 *   neutrality index (Pn/Ps)/(Dn/Ds) of the pooled counts, and NI0.2 the same with the
 *   polymorphisms at frequency 0.2; over the contigs whose fixN, fixS, polymN_0 and polymS_0 are at
 *   most max_count and whose dS_i is not above the dS threshold. alpha = 1 - NI.
 * - Heterozygosity of an individual and Fst of a population pair: sum of w_i × value_i over sum
 *   of w_i, over the contigs whose value is strictly above the threshold.
 * Count and weight sums are 32-bit integers (unsigned sums wrap; the count sums are read as
 * signed), converted to double for the division; the NI products are exact 64-bit integers.
 *
 * Not-computed values (nothing is printed or thrown by this class for them):
 * - before compute_all_averages: averages -1.0 (both Fit averages -100.0), the average contig
 *   length 4294967295, the dS threshold -1.0;
 * - before bootstrap_everything: every interval holds nb_contig values -1.0;
 * - a zero denominator follows floating-point arithmetic: 0 / 0 is NaN (an average without any
 *   contig used, every average of a summary over no contig), a non-zero sum over 0 is infinite;
 * - the average contig length is 0 when no contig is used for piN/piS;
 * - an individual without any usable heterozygosity averages NaN (0 / 0), while a population pair
 *   without any usable Fst averages 0.0.
 */
class Summary {
 public:
  /**
   * @brief Builds the summary of the given stores (in order), with the focal species'
   * record of each and one heterozygosity per individual and one Fst per population pair of the
   * population.
   *
   * @param nb_contig The number of stores given.
   * @param bootstrap_replicates The number of resamples of every bootstrap.
   * @param bootstrap_sort_precision P: the replicates are cut toward zero to multiples of 1 / P.
   * @param bootstrap_confidence c: the confidence level of the intervals.
   */
  Summary(std::vector<ResultsWarehouse*> warehouses, mrv::Population* population,
          std::string ingroup_species_name, unsigned int nb_contig, unsigned int bootstrap_replicates,
          unsigned int bootstrap_sort_precision, double bootstrap_confidence);
  virtual ~Summary();

  /**
   * @brief The extraction steps of the constructor: the SNP totals and the values of every store,
   * read from its record of the ingroup species (a store without one reads as a fresh record:
   * every value not computed).
   */
  void initial_data_extraction(std::vector<ResultsWarehouse*> warehouses, std::string ingroup_species_name,
                               mrv::Population* population);
  /** @brief The heterozygosity of every individual and the Fst of every population pair of one store. */
  void complex_data_extraction(ResultsWarehouse* warehouse, mrv::Population* population);

  /**
   * @brief Runs the seven averages in order: piN/piS, Fit, Weir & Cockerham Fit, dN/dS, NI,
   * heterozygosity, Fst.
   *
   * @param piS_threshold The piS of a contig used for piN/piS is not below it.
   * @param fit_threshold The Fit of a contig used for the Fit average is not below it.
   * @param WC84_threshold Both Weir & Cockerham sums of a contig used are not below it.
   * @param heterozygosity_threshold A heterozygosity used lies strictly above it.
   * @param fst_threshold An Fst used lies strictly above it.
   * @param k The factor of the standard deviation in the dS threshold.
   * @param max_count The largest McDonald-Kreitman count of a contig used for dN/dS and NI.
   */
  void compute_all_averages(mrv::Population* population, double piS_threshold, double fit_threshold,
                            double WC84_threshold, double heterozygosity_threshold, double fst_threshold,
                            double k, int max_count);
  void compute_average_piNpiS(double threshold);
  void compute_average_fit(double threshold);
  void compute_average_WC84_fit(double threshold);
  /** @brief dN, dS and dN/dS; computes the dS threshold first when it is not yet computed. */
  void compute_average_dNdS(int max_count, double k);
  /** @brief NI and NI0.2; computes the dS threshold first when it is not yet computed. */
  void compute_average_NI(int max_count, double k);
  void compute_average_individual_heterozygosity(mrv::Population* population, double threshold);
  void compute_average_individual_heterozygosity(const std::vector<std::string>& individuals, double threshold);
  void compute_average_population_fst(mrv::Population* population, double threshold);
  void compute_average_population_fst(const std::vector<std::string>& couples, double threshold);
  /**
   * @brief The dS outlier threshold: median plus k sample standard deviations of the contigs'
   * dS = fixS / nS (no inclusion test; a NaN dS, fixS = nS = 0, takes no part). NaN with fewer
   * than two values, and a NaN threshold leaves out no contig. The averages and the bootstraps
   * compute it only while it is still -1.0 (not computed), so that all of them use one threshold.
   */
  void compute_dS_threshold(double k);

  /**
   * @brief Bootstrap percentile intervals of every average, in the order piN/piS, Fit,
   * Weir & Cockerham Fit, dN/dS, NI.
   *
   * Each of the five operations draws its own bootstrap_replicates resamples of nb_contig contigs
   * with replacement (a contig drawn twice counts twice), recomputes its statistics on each with
   * the inclusion tests, weights and formulas of their averages (and the dS threshold of all
   * contigs), and replaces their intervals by get_standard_error of the replicates. The failure
   * counters are not touched. The parameters are those of compute_all_averages.
   */
  void bootstrap_everything(double piS_threshold, double fit_threshold, double WC84_threshold, double k,
                            int max_count);
  void bootstrap_piNpiS(double threshold);
  void bootstrap_fit(double threshold);
  void bootstrap_WC84_fit(double threshold);
  void bootstrap_dNdS(int max_count, double k);
  void bootstrap_NI(int max_count, double k);
  /**
   * @brief Fills `indices`, in order, with contig positions 0 .. n-1 (n = its size) drawn uniformly
   * with replacement: one draw u of the library's default generator (seeded from the clock at
   * start-up) per position, u × n truncated, u = 1.0 giving n - 1. Every resample of the bootstraps
   * is drawn here.
   */
  void generate_boot_dataset(std::vector<unsigned int>& indices);
  /**
   * @brief Percentile interval [lower, upper] of the replicates.
   *
   * The replicates are cut toward zero to multiples of 1 / bootstrap_sort_precision and sorted
   * (infinities at the ends, NaN values last), and `replicates` is left so. With n replicates and
   * q = 1 - (1 - bootstrap_confidence) / 2, lower is the value of rank (1 - q) × n and upper that of
   * rank q × n, each rank truncated toward zero and kept within 0 .. n - 1 (95% of 10000 replicates:
   * ranks 250 and 9750). An empty list gives [NaN, NaN].
   */
  std::vector<double> get_standard_error(std::vector<double>& replicates);

  unsigned int get_total_SNP2() const { return _total_SNP2; }
  unsigned int get_total_SNP3() const { return _total_SNP3; }
  unsigned int get_total_SNP4() const { return _total_SNP4; }
  unsigned int get_total_number_of_SNP() const { return _total_SNP2 + _total_SNP3 + _total_SNP4; }
  unsigned int get_nb_contig() const { return _nb_contig; }
  double get_average_piN() const { return _average_piN; }
  double get_average_piS() const { return _average_piS; }
  double get_average_piNpiS() const { return _average_piNpiS; }
  std::vector<double> get_piN_standard_error() const { return _piN_standard_error; }
  std::vector<double> get_piS_standard_error() const { return _piS_standard_error; }
  std::vector<double> get_piNpiS_standard_error() const { return _piNpiS_standard_error; }
  unsigned int get_average_contig_length_piNpiS() const { return _average_contig_length_piNpiS; }
  unsigned int get_failed_piNpiS() const { return _failed_piNpiS; }
  double get_average_fit() const { return _average_fit; }
  std::vector<double> get_fit_standard_error() const { return _fit_standard_error; }
  unsigned int get_failed_fit() const { return _failed_fit; }
  double get_average_WC84_fit() const { return _average_wc84_fit; }
  std::vector<double> get_WC84_fit_standard_error() const { return _wc84_fit_standard_error; }
  unsigned int get_failed_WC84_fit() const { return _failed_wc84_fit; }
  double get_average_dN() const { return _average_dN; }
  std::vector<double> get_dN_standard_error() const { return _dN_standard_error; }
  double get_average_dS() const { return _average_dS; }
  std::vector<double> get_dS_standard_error() const { return _dS_standard_error; }
  double get_average_dNdS() const { return _average_dNdS; }
  std::vector<double> get_dNdS_standard_error() const { return _dNdS_standard_error; }
  /** @brief Contigs left out of dN/dS only for a dS above the threshold (also counted as failed). */
  unsigned int get_contig_above_threshold() const { return _contig_above_threshold; }
  unsigned int get_failed_dNdS() const { return _failed_dNdS; }
  double get_NI() const { return _ni; }
  double get_NI02() const { return _ni02; }
  std::vector<double> get_NI_standard_error() const { return _ni_standard_error; }
  std::vector<double> get_NI02_standard_error() const { return _ni02_standard_error; }
  unsigned int get_failed_NI() const { return _failed_ni; }
  double get_dS_threshold() const { return _dS_threshold; }
  double get_alpha() const { return 1.0 - _ni; }
  double get_alpha02() const { return 1.0 - _ni02; }
  /** @brief [1 - upper, 1 - lower] of the NI interval: the bounds swap places. */
  std::vector<double> get_alpha_standard_error() const;
  std::vector<double> get_alpha02_standard_error() const;
  /** @brief An absent name is entered with 0.0. */
  double get_specific_average_individual_heterozygosity(std::string name);
  /**
   * @brief Average Fst of populations i < j (0.0 for a pair that does not exist). Pairs are known
   * by their indices: population names may hold "|", so that two pairs can share one joined key.
   */
  double get_average_population_fst(unsigned int i, unsigned int j) const;
  /** @brief Average Fst of the first pair whose key (name_i + "|" + name_j) is `pair_key`; 0.0 for none. */
  double get_specific_average_population_fst(std::string pair_key) const;

 private:
  void _set_starting_values(const std::vector<std::string>& individuals, const std::vector<std::string>& couples);
  void _set_population_pairs(const std::vector<std::string>& couples);
  void _append_contig(const SummaryContigValues& values);
  std::size_t _contig_count() const { return _contig_complete_sites.size(); }
  double _contig_dS(std::size_t i) const;
  void _ensure_dS_threshold(double k);

  // One entry per contig, in the order of the stores given.
  std::vector<double> _contig_piN;
  std::vector<double> _contig_piS;
  std::vector<double> _contig_Fit;
  std::vector<double> _contig_WC84_total_B;
  std::vector<double> _contig_WC84_total_C;
  std::vector<int> _contig_complete_sites;  // the contig's weight
  std::vector<int> _contig_nS;
  std::vector<int> _contig_nN;
  std::vector<int> _contig_fixS;
  std::vector<int> _contig_fixN;
  std::vector<int> _contig_polymS_0;
  std::vector<int> _contig_polymN_0;
  std::vector<int> _contig_polymS_02;
  std::vector<int> _contig_polymN_02;
  std::vector<std::vector<double> > _contig_individual_heterozygosity;
  std::vector<std::vector<double> > _contig_population_fst;

  unsigned int _total_SNP2 = 0;
  unsigned int _total_SNP3 = 0;
  unsigned int _total_SNP4 = 0;
  unsigned int _nb_contig;
  double _average_piN = -1.0;
  double _average_piS = -1.0;
  double _average_piNpiS = -1.0;
  unsigned int _average_contig_length_piNpiS = 4294967295u;
  double _average_fit = -100.0;
  double _average_wc84_fit = -100.0;
  double _average_dN = -1.0;
  double _average_dS = -1.0;
  double _average_dNdS = -1.0;
  unsigned int _contig_above_threshold = 0;
  double _ni = -1.0;
  double _ni02 = -1.0;
  unsigned int _failed_piNpiS = 0;
  unsigned int _failed_fit = 0;
  unsigned int _failed_wc84_fit = 0;
  unsigned int _failed_dNdS = 0;
  unsigned int _failed_ni = 0;
  std::vector<double> _piN_standard_error;
  std::vector<double> _piS_standard_error;
  std::vector<double> _piNpiS_standard_error;
  std::vector<double> _fit_standard_error;
  std::vector<double> _wc84_fit_standard_error;
  std::vector<double> _dN_standard_error;
  std::vector<double> _dS_standard_error;
  std::vector<double> _dNdS_standard_error;
  std::vector<double> _ni_standard_error;
  std::vector<double> _ni02_standard_error;
  unsigned int _bootstrap_replicates;
  unsigned int _bootstrap_sort_precision;
  double _bootstrap_confidence;
  double _dS_threshold = -1.0;
  std::map<std::string, double> _average_individual_heterozygosity;
  // One average per population pair i < j, i ascending then j ascending; `_couple_keys` holds their
  // joined keys and `_nb_population` the number of populations they pair.
  std::vector<double> _average_population_fst;
  std::vector<std::string> _couple_keys;
  unsigned int _nb_population = 0;

  // The intervals of the K statistics `sum` computes over each of the bootstrap_replicates
  // resamples of n contigs.
  template <std::size_t K, class Sum>
  std::array<std::vector<double>, K> _resampled_intervals(std::size_t n, Sum sum);
};
