// The bootstrap percentile intervals of the averages.
#include <Bpp/Numeric/Random/RandomFactory.h>
#include <Bpp/Numeric/Random/RandomTools.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "report/Summary.h"
#include "report/SummaryTerms.h"

using namespace summary_terms;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

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

void Summary::generate_boot_dataset(std::vector<unsigned int>& indices) {
  const bpp::RandomFactory& generator = *bpp::RandomTools::DEFAULT_GENERATOR;
  const std::size_t n = indices.size();
  const double size = static_cast<double>(n);
  for (std::size_t k = 0; k < n; ++k) {
    // The library's giveRandomNumberBetweenZeroAndEntry(1.0, generator) is this draw times 1.0.
    const double u = generator.drawNumber();
    // u lies in [0, 1]; a draw of exactly 1.0 gives the last position, never n.
    const double scaled = u > 0.0 ? u * size : 0.0;
    indices[k] = static_cast<unsigned int>(scaled >= size ? n - 1 : static_cast<std::size_t>(scaled));
  }
}

std::vector<double> Summary::get_standard_error(std::vector<double>& replicates) {
  const std::size_t n = replicates.size();
  if (n == 0) return std::vector<double>(2, kNaN);
  const double P = static_cast<double>(_bootstrap_sort_precision);

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

  const double q = 1.0 - (1.0 - _bootstrap_confidence) * 0.5;
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

// The intervals of the K values `sum` gives for each resample of `n` contigs, drawn by
// generate_boot_dataset one resample after the other into one index vector.
template <std::size_t K, class Sum>
std::array<std::vector<double>, K> Summary::_resampled_intervals(std::size_t n, Sum sum) {
  std::vector<unsigned int> indices(n, 0);
  const Resample resample{indices};
  std::array<std::vector<double>, K> replicates;
  for (std::vector<double>& values : replicates) values.assign(_bootstrap_replicates, 0.0);
  for (unsigned int r = 0; r < _bootstrap_replicates; ++r) {
    generate_boot_dataset(indices);
    const std::array<double, K> values = sum(resample);
    for (std::size_t v = 0; v < K; ++v) replicates[v][r] = values[v];
  }
  std::array<std::vector<double>, K> intervals;
  for (std::size_t v = 0; v < K; ++v) intervals[v] = get_standard_error(replicates[v]);
  return intervals;
}

void Summary::bootstrap_piNpiS(double threshold) {
  const std::vector<PiTerm> terms = piTerms(_contig_complete_sites, _contig_piS, _contig_piN, threshold, nullptr);
  const auto intervals = _resampled_intervals<3>(terms.size(), [&](const Resample& pick) {
    const PiStats s = sumPi(terms, terms.size(), pick);
    return std::array<double, 3>{s.piS, s.piN, s.ratio};
  });
  _piS_standard_error = intervals[0];
  _piN_standard_error = intervals[1];
  _piNpiS_standard_error = intervals[2];
}

void Summary::bootstrap_fit(double threshold) {
  const std::vector<FitTerm> terms = fitTerms(_contig_complete_sites, _contig_Fit, threshold, nullptr);
  _fit_standard_error = _resampled_intervals<1>(terms.size(), [&](const Resample& pick) {
    return std::array<double, 1>{sumFit(terms, terms.size(), pick)};
  })[0];
}

void Summary::bootstrap_WC84_fit(double threshold) {
  const std::vector<WCTerm> terms = wcTerms(_contig_WC84_total_B, _contig_WC84_total_C, threshold, nullptr);
  _wc84_fit_standard_error = _resampled_intervals<1>(terms.size(), [&](const Resample& pick) {
    return std::array<double, 1>{sumWC(terms, terms.size(), pick)};
  })[0];
}

void Summary::bootstrap_dNdS(int max_count, double k) {
  _ensure_dS_threshold(k);
  const std::vector<DivergenceTerm> terms =
      divergenceTerms(_contig_fixN, _contig_nN, _contig_fixS, _contig_nS, max_count, _dS_threshold, nullptr, nullptr);
  const auto intervals = _resampled_intervals<3>(terms.size(), [&](const Resample& pick) {
    const DivergenceStats s = sumDivergence(terms, terms.size(), pick);
    return std::array<double, 3>{s.dN, s.dS, s.dNdS};
  });
  _dN_standard_error = intervals[0];
  _dS_standard_error = intervals[1];
  _dNdS_standard_error = intervals[2];
}

void Summary::bootstrap_NI(int max_count, double k) {
  _ensure_dS_threshold(k);
  const std::vector<MKTerm> terms = mkTerms(_contig_fixN, _contig_fixS, _contig_polymN_0, _contig_polymS_0,
                                            _contig_polymN_02, _contig_polymS_02, _contig_nS, max_count, _dS_threshold,
                                            nullptr);
  const auto intervals = _resampled_intervals<2>(terms.size(), [&](const Resample& pick) {
    const MKStats s = sumMK(terms, terms.size(), pick);
    return std::array<double, 2>{s.NI, s.NI02};
  });
  _ni_standard_error = intervals[0];
  _ni02_standard_error = intervals[1];
}
