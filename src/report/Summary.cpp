#include "report/Summary.h"

#include "input/Population.h"

// ---------------------------------------------------------------------------------------------
// Construction

Summary::Summary(std::vector<ResultsWarehouse*> warehouses, mrv::Population* population,
                 std::string ingroup_species_name, unsigned int nb_contig, unsigned int bootstrap_replicates,
                 unsigned int bootstrap_sort_precision, double bootstrap_confidence)
    : _nb_contig(nb_contig),
      _bootstrap_replicates(bootstrap_replicates),
      _bootstrap_sort_precision(bootstrap_sort_precision),
      _bootstrap_confidence(bootstrap_confidence) {
  _set_starting_values(population->get_all_individuals(), population->get_all_couples());
  initial_data_extraction(warehouses, ingroup_species_name, population);
}

Summary::~Summary() {}

void Summary::_set_starting_values(const std::vector<std::string>& individuals,
                                   const std::vector<std::string>& couples) {
  const std::vector<double> not_computed(_nb_contig, -1.0);
  _piN_standard_error = not_computed;
  _piS_standard_error = not_computed;
  _piNpiS_standard_error = not_computed;
  _fit_standard_error = not_computed;
  _wc84_fit_standard_error = not_computed;
  _dN_standard_error = not_computed;
  _dS_standard_error = not_computed;
  _dNdS_standard_error = not_computed;
  _ni_standard_error = not_computed;
  _ni02_standard_error = not_computed;
  for (const std::string& name : individuals) _average_individual_heterozygosity[name] = 0.0;
  _set_population_pairs(couples);
}

void Summary::_set_population_pairs(const std::vector<std::string>& couples) {
  _couple_keys = couples;
  _average_population_fst.assign(couples.size(), 0.0);
  // m pairs i < j are those of the n populations with n (n - 1) / 2 = m.
  unsigned int n = 0;
  while (static_cast<std::size_t>(n) * (n + 1) / 2 < couples.size()) ++n;
  _nb_population = couples.empty() ? 0 : n + 1;
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

std::vector<double> Summary::get_alpha_standard_error() const { return reflectedInterval(_ni_standard_error); }

std::vector<double> Summary::get_alpha02_standard_error() const { return reflectedInterval(_ni02_standard_error); }

double Summary::get_specific_average_individual_heterozygosity(std::string name) {
  return _average_individual_heterozygosity[name];
}

double Summary::get_average_population_fst(unsigned int i, unsigned int j) const {
  const std::size_t n = _nb_population;
  if (!(i < j && j < n)) return 0.0;
  // Pairs (0, 1) .. (0, n-1), (1, 2) ..: the pairs of i' < i come first.
  const std::size_t pair = static_cast<std::size_t>(i) * n - static_cast<std::size_t>(i) * (i + 1) / 2 + (j - i - 1);
  return pair < _average_population_fst.size() ? _average_population_fst[pair] : 0.0;
}

double Summary::get_specific_average_population_fst(std::string pair_key) const {
  for (std::size_t pair = 0; pair < _couple_keys.size(); ++pair)
    if (_couple_keys[pair] == pair_key) return _average_population_fst[pair];
  return 0.0;
}
