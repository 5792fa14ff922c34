// The averages over all contigs, and the dS threshold.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "input/Population.h"
#include "report/Summary.h"
#include "report/SummaryTerms.h"

using namespace summary_terms;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Adds w × value to *entry[j] for the value of column j of every contig's row that is above the
// threshold (w the contig's complete sites); returns the weight each column took.
std::vector<std::uint32_t> addWeightedColumns(const std::vector<std::vector<double> >& rows,
                                              const std::vector<int>& sites, const std::vector<double*>& entry,
                                              double threshold) {
  const std::size_t m = entry.size();
  std::vector<std::uint32_t> weight(m, 0);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::vector<double>& row = rows[i];
    const double w = static_cast<double>(sites[i]);
    const std::size_t columns = std::min(m, row.size());
    for (std::size_t j = 0; j < columns; ++j) {
      if (row[j] > threshold) {
        *entry[j] += w * row[j];
        weight[j] += bits(sites[i]);
      }
    }
  }
  return weight;
}

}  // namespace

double Summary::_contig_dS(std::size_t i) const {
  return static_cast<double>(_contig_fixS[i]) / static_cast<double>(_contig_nS[i]);
}

void Summary::_ensure_dS_threshold(double k) {
  if (_dS_threshold == -1.0) compute_dS_threshold(k);
}

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
  _average_piN = 0.0;
  _average_piS = 0.0;
  _average_piNpiS = 0.0;
  _average_contig_length_piNpiS = 0;
  const std::vector<PiTerm> terms =
      piTerms(_contig_complete_sites, _contig_piS, _contig_piN, threshold, &_failed_piNpiS);
  const PiStats s = sumPi(terms, terms.size(), AllContigs());
  _average_piS = s.piS;
  _average_piN = s.piN;
  _average_piNpiS = s.ratio;
  // With no contig used the length stays 0.
  const unsigned int used = _nb_contig - _failed_piNpiS;
  if (used != 0) _average_contig_length_piNpiS = s.W / used;
}

void Summary::compute_average_fit(double threshold) {
  _average_fit = 0.0;
  const std::vector<FitTerm> terms = fitTerms(_contig_complete_sites, _contig_Fit, threshold, &_failed_fit);
  _average_fit = sumFit(terms, terms.size(), AllContigs());
}

void Summary::compute_average_WC84_fit(double threshold) {
  const std::vector<WCTerm> terms = wcTerms(_contig_WC84_total_B, _contig_WC84_total_C, threshold, &_failed_wc84_fit);
  _average_wc84_fit = sumWC(terms, terms.size(), AllContigs());
}

void Summary::compute_average_dNdS(int max_count, double k) {
  _ensure_dS_threshold(k);
  const std::vector<DivergenceTerm> terms =
      divergenceTerms(_contig_fixN, _contig_nN, _contig_fixS, _contig_nS, max_count, _dS_threshold, &_failed_dNdS,
                      &_contig_above_threshold);
  const DivergenceStats s = sumDivergence(terms, terms.size(), AllContigs());
  _average_dN = s.dN;
  _average_dS = s.dS;
  _average_dNdS = s.dNdS;
}

void Summary::compute_average_NI(int max_count, double k) {
  _ensure_dS_threshold(k);
  const std::vector<MKTerm> terms = mkTerms(_contig_fixN, _contig_fixS, _contig_polymN_0, _contig_polymS_0,
                                            _contig_polymN_02, _contig_polymS_02, _contig_nS, max_count, _dS_threshold,
                                            &_failed_ni);
  const MKStats s = sumMK(terms, terms.size(), AllContigs());
  _ni = s.NI;
  _ni02 = s.NI02;
}

void Summary::compute_average_individual_heterozygosity(const std::vector<std::string>& individuals,
                                                         double threshold) {
  const std::size_t m = individuals.size();
  std::vector<double*> entry(m);
  for (std::size_t j = 0; j < m; ++j) entry[j] = &_average_individual_heterozygosity[individuals[j]];
  const std::vector<std::uint32_t> weight =
      addWeightedColumns(_contig_individual_heterozygosity, _contig_complete_sites, entry, threshold);
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
  for (std::size_t j = 0; j < m; ++j) entry[j] = &_average_population_fst[j];
  const std::vector<std::uint32_t> weight =
      addWeightedColumns(_contig_population_fst, _contig_complete_sites, entry, threshold);
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
    _dS_threshold = kNaN;
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
  _dS_threshold = std::sqrt(variance) * k + median;
}
