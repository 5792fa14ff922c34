#include "report/Summary.h"

#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"

#include <Bpp/Numeric/Random/RandomFactory.h>
#include <Bpp/Numeric/Random/RandomTools.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// "Not below": the test threshold > value is false, so a value equal to the threshold and NaN pass.
inline bool notBelow(double value, double threshold) { return !(threshold > value); }

// Weights and counts are summed as 32-bit integers: unsigned sums wrap modulo 2^32, and the signed
// sums are read back from the same bits, so no sum ever overflows a signed type.
inline std::uint32_t bits(int value) { return static_cast<std::uint32_t>(value); }
inline std::int64_t signedSum(std::uint32_t sum) { return static_cast<std::int32_t>(sum); }

// Per-contig contributions of one statistic. A contig that fails the statistic's inclusion test
// contributes zeros, so a sum over any list of contig positions (all contigs in order for the
// average, a resample for a bootstrap replicate) runs without a test, and adds exactly what the
// used contigs add: x + 0.0 == x for every partial sum, which starts at +0.0.
struct PiTerm {
  std::uint32_t w;
  double w_piS;
  double w_piN;
};
struct FitTerm {
  std::uint32_t w;
  double w_fit;
};
struct WCTerm {
  double B;
  double C;
};
struct DivergenceTerm {
  std::uint32_t fixN, nN, fixS, nS;
};
struct MKTerm {
  std::uint32_t polymN_0, polymS_0, polymN_02, polymS_02, fixN, fixS;
};

struct PiStats {
  std::uint32_t W;
  double piS, piN, ratio;
};
struct DivergenceStats {
  double dN, dS, dNdS;
};
struct MKStats {
  double NI, NI02;
};

// Contig positions 0 .. n-1 in order.
struct AllContigs {
  std::size_t operator()(std::size_t k) const { return k; }
};
}  // namespace

// Contig positions of a resample, each drawn when the sum asks for it: position k is the k-th draw
// of the generator, as generate_boot_dataset would have stored it.
struct Summary::Draw {
  Draw(const bpp::RandomFactory& generator, std::size_t n)
      : generator(generator), n(n), size(static_cast<double>(n)) {}
  std::size_t operator()(std::size_t) const {
    // The library's giveRandomNumberBetweenZeroAndEntry(1.0, generator) is this draw times 1.0.
    const double u = generator.drawNumber();
    // u lies in [0, 1]; a draw of exactly 1.0 gives the last position, never n.
    if (!(u > 0.0)) return 0;
    const double scaled = u * size;
    return scaled >= size ? n - 1 : static_cast<std::size_t>(scaled);
  }
  const bpp::RandomFactory& generator;
  std::size_t n;
  double size;
};

namespace {

template <class Pick>
PiStats sumPi(const std::vector<PiTerm>& terms, std::size_t n, Pick pick) {
  std::uint32_t W = 0;
  double sum_piS = 0.0, sum_piN = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const PiTerm& t = terms[pick(k)];
    W += t.w;
    sum_piS += t.w_piS;
    sum_piN += t.w_piN;
  }
  PiStats s;
  s.W = W;
  s.piS = sum_piS / static_cast<double>(W);
  s.piN = sum_piN / static_cast<double>(W);
  s.ratio = s.piN / s.piS;
  return s;
}

template <class Pick>
double sumFit(const std::vector<FitTerm>& terms, std::size_t n, Pick pick) {
  std::uint32_t W = 0;
  double sum = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const FitTerm& t = terms[pick(k)];
    W += t.w;
    sum += t.w_fit;
  }
  return sum / static_cast<double>(W);
}

template <class Pick>
double sumWC(const std::vector<WCTerm>& terms, std::size_t n, Pick pick) {
  double B = 0.0, C = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const WCTerm& t = terms[pick(k)];
    B += t.B;
    C += t.C;
  }
  return B / (B + C);
}

template <class Pick>
DivergenceStats sumDivergence(const std::vector<DivergenceTerm>& terms, std::size_t n, Pick pick) {
  std::uint32_t fixN = 0, nN = 0, fixS = 0, nS = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const DivergenceTerm& t = terms[pick(k)];
    fixN += t.fixN;
    nN += t.nN;
    fixS += t.fixS;
    nS += t.nS;
  }
  DivergenceStats s;
  s.dN = static_cast<double>(signedSum(fixN)) / static_cast<double>(signedSum(nN));
  s.dS = static_cast<double>(signedSum(fixS)) / static_cast<double>(signedSum(nS));
  s.dNdS = s.dN / s.dS;
  return s;
}

template <class Pick>
MKStats sumMK(const std::vector<MKTerm>& terms, std::size_t n, Pick pick) {
  std::uint32_t pN0 = 0, pS0 = 0, pN02 = 0, pS02 = 0, fixN = 0, fixS = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const MKTerm& t = terms[pick(k)];
    pN0 += t.polymN_0;
    pS0 += t.polymS_0;
    pN02 += t.polymN_02;
    pS02 += t.polymS_02;
    fixN += t.fixN;
    fixS += t.fixS;
  }
  // Each product of two 32-bit sums is exact in 64 bits.
  const std::int64_t fS = signedSum(fixS), fN = signedSum(fixN);
  MKStats s;
  s.NI = static_cast<double>(signedSum(pN0) * fS) / static_cast<double>(signedSum(pS0) * fN);
  s.NI02 = static_cast<double>(signedSum(pN02) * fS) / static_cast<double>(signedSum(pS02) * fN);
  return s;
}

// A double truncated toward zero into a 32-bit int; out-of-range values are clamped and NaN reads
// as the not-computed marker -1.
int truncateToInt(double value) {
  if (std::isnan(value)) return -1;
  if (value >= 2147483647.0) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// A quantised replicate: P × v truncated toward zero, as a whole number held in a double (exact:
// through 64 bits, and a double beyond 2^63 is a whole number already), so that no finite value is
// clipped. Infinities stay infinite.
double quantise(double scaled) {
  if (std::fabs(scaled) < 9223372036854775808.0) return static_cast<double>(static_cast<std::int64_t>(scaled));
  return scaled;
}

// The value of a quantised replicate. An infinite one (a ratio over a zero sum) stays infinite: it
// sorts after (before) every finite value, and a bound that falls on it reads "inf" ("-inf"), not a
// number smaller than finite replicates ranked below it.
double reported(double quantised, double P) { return quantised / P; }

// Rank of a percentile among n sorted replicates: truncated toward zero, kept within 0 .. n-1.
std::size_t rankIndex(double position, std::size_t n) {
  if (!(position > 0.0)) return 0;
  if (position >= static_cast<double>(n - 1)) return n - 1;
  return static_cast<std::size_t>(position);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction

Summary::Summary(std::vector<ResultsWarehouse*> warehouses, mrv::Population* population,
                 std::string ingroup_species_name, unsigned int nb_contig, unsigned int bootstrap_replicates,
                 unsigned int bootstrap_sort_precision, double bootstrap_confidence)
    : nb_contig(nb_contig),
      bootstrap_replicates(bootstrap_replicates),
      bootstrap_sort_precision(bootstrap_sort_precision),
      bootstrap_confidence(bootstrap_confidence),
      _generator(bpp::RandomTools::DEFAULT_GENERATOR) {
  _set_starting_values(population->get_all_individuals(), population->get_all_couples());
  initial_data_extraction(warehouses, ingroup_species_name, population);
}

Summary::Summary(const std::vector<SummaryContigValues>& contigs, const std::vector<std::string>& individuals,
                 const std::vector<std::string>& couples, unsigned int bootstrap_replicates,
                 unsigned int bootstrap_sort_precision, double bootstrap_confidence)
    : nb_contig(static_cast<unsigned int>(contigs.size())),
      bootstrap_replicates(bootstrap_replicates),
      bootstrap_sort_precision(bootstrap_sort_precision),
      bootstrap_confidence(bootstrap_confidence),
      _generator(bpp::RandomTools::DEFAULT_GENERATOR) {
  _set_starting_values(individuals, couples);
  for (const SummaryContigValues& values : contigs) {
    _append_contig(values);
    contig_individual_heterozygosity.push_back(values.individual_heterozygosity);
    contig_population_fst.push_back(values.population_fst);
  }
}

Summary::~Summary() {}

void Summary::_set_starting_values(const std::vector<std::string>& individuals,
                                   const std::vector<std::string>& couples) {
  const std::vector<double> not_computed(nb_contig, -1.0);
  piN_standard_error = not_computed;
  piS_standard_error = not_computed;
  piNpiS_standard_error = not_computed;
  fit_standard_error = not_computed;
  WC84_fit_standard_error = not_computed;
  dN_standard_error = not_computed;
  dS_standard_error = not_computed;
  dNdS_standard_error = not_computed;
  NI_standard_error = not_computed;
  NI02_standard_error = not_computed;
  for (const std::string& name : individuals) average_individual_heterozygosity[name] = 0.0;
  _set_population_pairs(couples);
}

void Summary::_set_population_pairs(const std::vector<std::string>& couples) {
  _couple_keys = couples;
  average_population_fst.assign(couples.size(), 0.0);
  // m pairs i < j are those of the n populations with n (n - 1) / 2 = m.
  unsigned int n = 0;
  while (static_cast<std::size_t>(n) * (n + 1) / 2 < couples.size()) ++n;
  _nb_population = couples.empty() ? 0 : n + 1;
}

void Summary::initial_data_extraction(std::vector<ResultsWarehouse*> warehouses, std::string ingroup_species_name,
                                      mrv::Population* population) {
  total_SNP2 = 0;
  total_SNP3 = 0;
  total_SNP4 = 0;
  // A store without a record of the ingroup species reads as a fresh record: every value not computed.
  const SpeciesDataWarehouse not_computed;
  for (ResultsWarehouse* w : warehouses) {
    const SpeciesDataWarehouse* sd = w->get_specific_species_data(ingroup_species_name);
    if (sd == nullptr) sd = &not_computed;
    SummaryContigValues v;
    v.nb_bi_allelic_SNP = w->get_nb_bi_allelic_SNP();
    v.nb_tri_allelic_SNP = w->get_nb_tri_allelic_SNP();
    v.nb_quadri_allelic_SNP = w->get_nb_quadri_allelic_SNP();
    v.piS = sd->get_piS();
    v.piN = sd->get_piN();
    v.Fit = sd->get_Fit();
    v.number_of_complete_sites = sd->get_number_of_complete_sites();
    v.WC84_total_B = sd->get_WC84_total_B();
    v.WC84_total_C = sd->get_WC84_total_C();
    v.nN = w->get_nN();
    v.nS = w->get_nS();
    v.fixN = w->get_fixN();
    v.fixS = w->get_fixS();
    v.polymS_0 = w->get_polymS_0();
    v.polymN_0 = w->get_polymN_0();
    v.polymS_02 = w->get_polymS_02();
    v.polymN_02 = w->get_polymN_02();
    _append_contig(v);
    complex_data_extraction(w, population);
  }
}

void Summary::complex_data_extraction(ResultsWarehouse* warehouse, mrv::Population* population) {
  std::vector<double> heterozygosity;
  for (const std::string& name : population->get_all_individuals())
    heterozygosity.push_back(warehouse->get_specific_individual_heterozygosity(name));
  contig_individual_heterozygosity.push_back(heterozygosity);

  std::vector<double> fst;
  const unsigned int n = population->get_number_of_population();
  if (n >= 2) {
    for (unsigned int i = 0; i + 1 < n; ++i)
      for (unsigned int j = i + 1; j < n; ++j) fst.push_back(warehouse->get_specific_Fst(i, j));
  }
  contig_population_fst.push_back(fst);
}

void Summary::_append_contig(const SummaryContigValues& v) {
  total_SNP2 += v.nb_bi_allelic_SNP;
  total_SNP3 += v.nb_tri_allelic_SNP;
  total_SNP4 += v.nb_quadri_allelic_SNP;
  contig_piS.push_back(v.piS);
  contig_piN.push_back(v.piN);
  contig_Fit.push_back(v.Fit);
  contig_complete_sites.push_back(static_cast<int>(v.number_of_complete_sites));
  contig_WC84_total_B.push_back(v.WC84_total_B);
  contig_WC84_total_C.push_back(v.WC84_total_C);
  contig_nN.push_back(truncateToInt(v.nN));
  contig_nS.push_back(truncateToInt(v.nS));
  contig_fixN.push_back(v.fixN);
  contig_fixS.push_back(v.fixS);
  contig_polymS_0.push_back(v.polymS_0);
  contig_polymN_0.push_back(v.polymN_0);
  contig_polymS_02.push_back(v.polymS_02);
  contig_polymN_02.push_back(v.polymN_02);
}

void Summary::set_random_generator(bpp::RandomFactory* generator) {
  _generator = generator != nullptr ? generator : bpp::RandomTools::DEFAULT_GENERATOR;
}

// ---------------------------------------------------------------------------------------------
// Per-contig contributions

namespace {

std::vector<PiTerm> piTerms(const std::vector<int>& w, const std::vector<double>& piS,
                            const std::vector<double>& piN, double threshold, unsigned int* failed) {
  std::vector<PiTerm> terms(w.size(), PiTerm{0, 0.0, 0.0});
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (notBelow(piS[i], threshold)) {
      const double wi = static_cast<double>(w[i]);
      terms[i] = PiTerm{bits(w[i]), wi * piS[i], wi * piN[i]};
    } else if (failed != nullptr) {
      ++*failed;
    }
  }
  return terms;
}

std::vector<FitTerm> fitTerms(const std::vector<int>& w, const std::vector<double>& fit, double threshold,
                              unsigned int* failed) {
  std::vector<FitTerm> terms(w.size(), FitTerm{0, 0.0});
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (notBelow(fit[i], threshold)) {
      terms[i] = FitTerm{bits(w[i]), static_cast<double>(w[i]) * fit[i]};
    } else if (failed != nullptr) {
      ++*failed;
    }
  }
  return terms;
}

std::vector<WCTerm> wcTerms(const std::vector<double>& B, const std::vector<double>& C, double threshold,
                            unsigned int* failed) {
  std::vector<WCTerm> terms(B.size(), WCTerm{0.0, 0.0});
  for (std::size_t i = 0; i < B.size(); ++i) {
    if (notBelow(B[i], threshold) && notBelow(C[i], threshold)) {
      terms[i] = WCTerm{B[i], C[i]};
    } else if (failed != nullptr) {
      ++*failed;
    }
  }
  return terms;
}

// dS = fixS / nS; "not above" the threshold: the test dS > threshold is false (NaN passes, and every
// dS passes a NaN threshold).
inline bool dSNotAbove(int fixS, int nS, double threshold) {
  return !(static_cast<double>(fixS) / static_cast<double>(nS) > threshold);
}

// A contig whose fixN or fixS exceeds max_count counts as failed; one that fails only the dS test
// counts as failed and as above the threshold.
std::vector<DivergenceTerm> divergenceTerms(const std::vector<int>& fixN, const std::vector<int>& nN,
                                            const std::vector<int>& fixS, const std::vector<int>& nS, int max_count,
                                            double threshold, unsigned int* failed, unsigned int* above) {
  std::vector<DivergenceTerm> terms(fixN.size(), DivergenceTerm{0, 0, 0, 0});
  for (std::size_t i = 0; i < fixN.size(); ++i) {
    if (fixN[i] > max_count || fixS[i] > max_count) {
      if (failed != nullptr) ++*failed;
    } else if (!dSNotAbove(fixS[i], nS[i], threshold)) {
      if (failed != nullptr) ++*failed;
      if (above != nullptr) ++*above;
    } else {
      terms[i] = DivergenceTerm{bits(fixN[i]), bits(nN[i]), bits(fixS[i]), bits(nS[i])};
    }
  }
  return terms;
}

// The two polymorphism counts at frequency 0.2 are not tested.
std::vector<MKTerm> mkTerms(const std::vector<int>& fixN, const std::vector<int>& fixS,
                            const std::vector<int>& polymN_0, const std::vector<int>& polymS_0,
                            const std::vector<int>& polymN_02, const std::vector<int>& polymS_02,
                            const std::vector<int>& nS, int max_count, double threshold, unsigned int* failed) {
  std::vector<MKTerm> terms(fixN.size(), MKTerm{0, 0, 0, 0, 0, 0});
  for (std::size_t i = 0; i < fixN.size(); ++i) {
    if (fixN[i] <= max_count && fixS[i] <= max_count && polymN_0[i] <= max_count && polymS_0[i] <= max_count &&
        dSNotAbove(fixS[i], nS[i], threshold)) {
      terms[i] = MKTerm{bits(polymN_0[i]),  bits(polymS_0[i]), bits(polymN_02[i]),
                        bits(polymS_02[i]), bits(fixN[i]),     bits(fixS[i])};
    } else if (failed != nullptr) {
      ++*failed;
    }
  }
  return terms;
}

}  // namespace

double Summary::_contig_dS(std::size_t i) const {
  return static_cast<double>(contig_fixS[i]) / static_cast<double>(contig_nS[i]);
}

void Summary::_ensure_dS_threshold(double k) {
  if (dS_threshold == -1.0) compute_dS_threshold(k);
}

// ---------------------------------------------------------------------------------------------
// Averages

void Summary::compute_all_averages(mrv::Population* population, double piS_threshold, double fit_threshold,
                                   double WC84_threshold, double heterozygosity_threshold, double fst_threshold,
                                   double k, int max_count) {
  compute_average_piNpiS(piS_threshold);
  compute_average_fit(fit_threshold);
  compute_average_WC84_fit(WC84_threshold);
  compute_average_dNdS(max_count, k);
  compute_average_NI(max_count, k);
  compute_average_individual_heterozygosity(population, heterozygosity_threshold);
  compute_average_population_fst(population, fst_threshold);
}

void Summary::compute_average_piNpiS(double threshold) {
  average_piN = 0.0;
  average_piS = 0.0;
  average_piNpiS = 0.0;
  average_contig_length_piNpiS = 0;
  const std::vector<PiTerm> terms =
      piTerms(contig_complete_sites, contig_piS, contig_piN, threshold, &failed_piNpiS);
  const PiStats s = sumPi(terms, terms.size(), AllContigs());
  average_piS = s.piS;
  average_piN = s.piN;
  average_piNpiS = s.ratio;
  // With no contig used the length stays 0.
  const unsigned int used = nb_contig - failed_piNpiS;
  if (used != 0) average_contig_length_piNpiS = s.W / used;
}

void Summary::compute_average_fit(double threshold) {
  average_fit = 0.0;
  const std::vector<FitTerm> terms = fitTerms(contig_complete_sites, contig_Fit, threshold, &failed_fit);
  average_fit = sumFit(terms, terms.size(), AllContigs());
}

void Summary::compute_average_WC84_fit(double threshold) {
  const std::vector<WCTerm> terms = wcTerms(contig_WC84_total_B, contig_WC84_total_C, threshold, &failed_WC84_fit);
  average_WC84_fit = sumWC(terms, terms.size(), AllContigs());
}

void Summary::compute_average_dNdS(int max_count, double k) {
  _ensure_dS_threshold(k);
  const std::vector<DivergenceTerm> terms =
      divergenceTerms(contig_fixN, contig_nN, contig_fixS, contig_nS, max_count, dS_threshold, &failed_dNdS,
                      &contig_above_threshold);
  const DivergenceStats s = sumDivergence(terms, terms.size(), AllContigs());
  average_dN = s.dN;
  average_dS = s.dS;
  average_dNdS = s.dNdS;
}

void Summary::compute_average_NI(int max_count, double k) {
  _ensure_dS_threshold(k);
  const std::vector<MKTerm> terms = mkTerms(contig_fixN, contig_fixS, contig_polymN_0, contig_polymS_0,
                                            contig_polymN_02, contig_polymS_02, contig_nS, max_count, dS_threshold,
                                            &failed_NI);
  const MKStats s = sumMK(terms, terms.size(), AllContigs());
  NI = s.NI;
  NI02 = s.NI02;
}

void Summary::compute_average_individual_heterozygosity(const std::vector<std::string>& individuals,
                                                         double threshold) {
  const std::size_t m = individuals.size();
  std::vector<double*> entry(m);
  for (std::size_t j = 0; j < m; ++j) entry[j] = &average_individual_heterozygosity[individuals[j]];
  std::vector<std::uint32_t> weight(m, 0);
  for (std::size_t i = 0; i < contig_individual_heterozygosity.size(); ++i) {
    const std::vector<double>& row = contig_individual_heterozygosity[i];
    const double w = static_cast<double>(contig_complete_sites[i]);
    const std::size_t columns = std::min(m, row.size());
    for (std::size_t j = 0; j < columns; ++j) {
      if (row[j] > threshold) {
        *entry[j] += w * row[j];
        weight[j] += bits(contig_complete_sites[i]);
      }
    }
  }
  // An individual without any usable value gets 0 / 0.
  for (std::size_t j = 0; j < m; ++j) *entry[j] /= static_cast<double>(weight[j]);
}

void Summary::compute_average_individual_heterozygosity(mrv::Population* population, double threshold) {
  compute_average_individual_heterozygosity(population->get_all_individuals(), threshold);
}

void Summary::compute_average_population_fst(mrv::Population* population, double threshold) {
  compute_average_population_fst(population->get_all_couples(), threshold);
}

void Summary::compute_average_population_fst(const std::vector<std::string>& couples, double threshold) {
  // Column j of every contig's row is pair j, whatever its key.
  if (couples != _couple_keys) _set_population_pairs(couples);
  const std::size_t m = couples.size();
  std::vector<double*> entry(m);
  for (std::size_t j = 0; j < m; ++j) entry[j] = &average_population_fst[j];
  std::vector<std::uint32_t> weight(m, 0);
  for (std::size_t i = 0; i < contig_population_fst.size(); ++i) {
    const std::vector<double>& row = contig_population_fst[i];
    const double w = static_cast<double>(contig_complete_sites[i]);
    const std::size_t columns = std::min(m, row.size());
    for (std::size_t j = 0; j < columns; ++j) {
      if (row[j] > threshold) {
        *entry[j] += w * row[j];
        weight[j] += bits(contig_complete_sites[i]);
      }
    }
  }
  for (std::size_t j = 0; j < m; ++j) {
    if (weight[j] == 0) {
      *entry[j] = 0.0;
    } else {
      *entry[j] /= static_cast<double>(weight[j]);
    }
  }
}

void Summary::compute_dS_threshold(double k) {
  // A contig with fixS = nS = 0 has no dS (NaN): it takes no part in the median or the deviation.
  std::vector<double> values;
  values.reserve(_contig_count());
  for (std::size_t i = 0; i < _contig_count(); ++i) {
    const double dS = _contig_dS(i);
    if (!std::isnan(dS)) values.push_back(dS);
  }
  const std::size_t n = values.size();
  if (n == 0) {
    dS_threshold = kNaN;
    return;
  }
  std::sort(values.begin(), values.end());
  const double median = (n % 2 == 1) ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
  const double count = static_cast<double>(n);
  double sum = 0.0;
  for (double v : values) sum += v;
  const double mean = sum / count;
  double squares = 0.0;
  for (double v : values) squares += (v - mean) * (v - mean);
  const double s = squares / count;
  // One value: (1 × 0) / 0 is NaN, and so is the threshold.
  const double variance = (count * s) / (count - 1.0);
  dS_threshold = std::sqrt(variance) * k + median;
}

// ---------------------------------------------------------------------------------------------
// Getters

namespace {

// [1 - upper, 1 - lower]: every bound reflected, and their order reversed.
std::vector<double> reflectedInterval(const std::vector<double>& interval) {
  std::vector<double> alpha(interval.rbegin(), interval.rend());
  for (double& bound : alpha) bound = 1.0 - bound;
  return alpha;
}

}  // namespace

std::vector<double> Summary::get_alpha_standard_error() const { return reflectedInterval(NI_standard_error); }

std::vector<double> Summary::get_alpha02_standard_error() const { return reflectedInterval(NI02_standard_error); }

double Summary::get_specific_average_individual_heterozygosity(std::string name) {
  return average_individual_heterozygosity[name];
}

double Summary::get_average_population_fst(unsigned int i, unsigned int j) const {
  const std::size_t n = _nb_population;
  if (!(i < j && j < n)) return 0.0;
  // Pairs (0, 1) .. (0, n-1), (1, 2) ..: the pairs of i' < i come first.
  const std::size_t pair = static_cast<std::size_t>(i) * n - static_cast<std::size_t>(i) * (i + 1) / 2 + (j - i - 1);
  return pair < average_population_fst.size() ? average_population_fst[pair] : 0.0;
}

double Summary::get_specific_average_population_fst(std::string pair_key) const {
  for (std::size_t pair = 0; pair < _couple_keys.size(); ++pair)
    if (_couple_keys[pair] == pair_key) return average_population_fst[pair];
  return 0.0;
}

// ---------------------------------------------------------------------------------------------
// Bootstrap

void Summary::generate_boot_dataset(std::vector<unsigned int>& indices) {
  const Draw draw(*_generator, indices.size());
  for (std::size_t k = 0; k < indices.size(); ++k) indices[k] = static_cast<unsigned int>(draw(k));
}

std::vector<double> Summary::get_standard_error(std::vector<double>& replicates) {
  const std::size_t n = replicates.size();
  if (n == 0) return std::vector<double>(2, kNaN);
  const double P = static_cast<double>(bootstrap_sort_precision);

  // Values are quantised and sorted as whole numbers, infinities at the ends; NaN values go after
  // everything else.
  std::vector<double> quantised;
  quantised.reserve(n);
  std::size_t not_a_number = 0;
  for (double v : replicates) {
    if (std::isnan(v))
      ++not_a_number;
    else
      quantised.push_back(quantise(P * v));
  }
  std::sort(quantised.begin(), quantised.end());

  std::size_t i = 0;
  for (double q : quantised) replicates[i++] = reported(q, P);
  for (std::size_t c = 0; c < not_a_number; ++c) replicates[i++] = kNaN;

  const double q = 1.0 - (1.0 - bootstrap_confidence) * 0.5;
  const double count = static_cast<double>(n);
  std::vector<double> interval(2);
  interval[0] = replicates[rankIndex((1.0 - q) * count, n)];
  interval[1] = replicates[rankIndex(count * q, n)];
  return interval;
}

void Summary::bootstrap_everything(double piS_threshold, double fit_threshold, double WC84_threshold, double k,
                                   int max_count) {
  bootstrap_piNpiS(piS_threshold);
  bootstrap_fit(fit_threshold);
  bootstrap_WC84_fit(WC84_threshold);
  bootstrap_dNdS(max_count, k);
  bootstrap_NI(max_count, k);
}

// Hands each of `replicates` resamples of `n` contigs, with its replicate number, to `fill`, which
// sums over it: the sums read the contigs as they are drawn, nothing is stored or allocated.
template <class Fill>
void Summary::_for_each_resample(std::size_t n, unsigned int replicates, Fill fill) {
  const Draw draw(*_generator, n);
  for (unsigned int r = 0; r < replicates; ++r) fill(r, draw);
}

void Summary::bootstrap_piNpiS(double threshold) {
  const std::vector<PiTerm> terms = piTerms(contig_complete_sites, contig_piS, contig_piN, threshold, nullptr);
  const std::size_t n = terms.size();
  std::vector<double> piS(bootstrap_replicates, 0.0), piN(bootstrap_replicates, 0.0),
      ratio(bootstrap_replicates, 0.0);
  _for_each_resample(n, bootstrap_replicates, [&](unsigned int r, const Draw& pick) {
    const PiStats s = sumPi(terms, n, pick);
    piS[r] = s.piS;
    piN[r] = s.piN;
    ratio[r] = s.ratio;
  });
  piS_standard_error = get_standard_error(piS);
  piN_standard_error = get_standard_error(piN);
  piNpiS_standard_error = get_standard_error(ratio);
}

void Summary::bootstrap_fit(double threshold) {
  const std::vector<FitTerm> terms = fitTerms(contig_complete_sites, contig_Fit, threshold, nullptr);
  const std::size_t n = terms.size();
  std::vector<double> fit(bootstrap_replicates, 0.0);
  _for_each_resample(n, bootstrap_replicates, [&](unsigned int r, const Draw& pick) { fit[r] = sumFit(terms, n, pick); });
  fit_standard_error = get_standard_error(fit);
}

void Summary::bootstrap_WC84_fit(double threshold) {
  const std::vector<WCTerm> terms = wcTerms(contig_WC84_total_B, contig_WC84_total_C, threshold, nullptr);
  const std::size_t n = terms.size();
  std::vector<double> fit(bootstrap_replicates, 0.0);
  _for_each_resample(n, bootstrap_replicates, [&](unsigned int r, const Draw& pick) { fit[r] = sumWC(terms, n, pick); });
  WC84_fit_standard_error = get_standard_error(fit);
}

void Summary::bootstrap_dNdS(int max_count, double k) {
  _ensure_dS_threshold(k);
  const std::vector<DivergenceTerm> terms =
      divergenceTerms(contig_fixN, contig_nN, contig_fixS, contig_nS, max_count, dS_threshold, nullptr, nullptr);
  const std::size_t n = terms.size();
  std::vector<double> dN(bootstrap_replicates, 0.0), dS(bootstrap_replicates, 0.0),
      dNdS(bootstrap_replicates, 0.0);
  _for_each_resample(n, bootstrap_replicates, [&](unsigned int r, const Draw& pick) {
    const DivergenceStats s = sumDivergence(terms, n, pick);
    dN[r] = s.dN;
    dS[r] = s.dS;
    dNdS[r] = s.dNdS;
  });
  dN_standard_error = get_standard_error(dN);
  dS_standard_error = get_standard_error(dS);
  dNdS_standard_error = get_standard_error(dNdS);
}

void Summary::bootstrap_NI(int max_count, double k) {
  _ensure_dS_threshold(k);
  const std::vector<MKTerm> terms = mkTerms(contig_fixN, contig_fixS, contig_polymN_0, contig_polymS_0,
                                            contig_polymN_02, contig_polymS_02, contig_nS, max_count, dS_threshold,
                                            nullptr);
  const std::size_t n = terms.size();
  std::vector<double> ni(bootstrap_replicates, 0.0), ni02(bootstrap_replicates, 0.0);
  _for_each_resample(n, bootstrap_replicates, [&](unsigned int r, const Draw& pick) {
    const MKStats s = sumMK(terms, n, pick);
    ni[r] = s.NI;
    ni02[r] = s.NI02;
  });
  NI_standard_error = get_standard_error(ni);
  NI02_standard_error = get_standard_error(ni02);
}
