#include "analysis/AlleleFrequencyClasses.h"

#include "core/ParametersManagement.h"

std::vector<double> setAlleleFrequencyClass(ParametersManagement* options) {
  const unsigned int n = options->get_nb_gc_bin();
  const double r = 1.0 / n;
  std::vector<double> bounds(n);
  for (unsigned int k = 1; k <= n; ++k) bounds[k - 1] = static_cast<double>(k) * r;
  return bounds;
}
