#include "report/BiologicalSummary.h"

#include <memory>
#include <string>

#include "report/Summary.h"
#include "core/ParametersManagement.h"

Summary* biologicalSummary(std::vector<ResultsWarehouse*>& warehouses, ParametersManagement* options,
                           mrv::Population* population) {
  const std::string usage = options->get_contig_usage();
  std::vector<ResultsWarehouse*> selection;
  if (usage == "even") {
    for (std::size_t i = 1; i < warehouses.size(); i += 2) selection.push_back(warehouses[i]);
  } else if (usage == "odd") {
    for (std::size_t i = 0; i < warehouses.size(); i += 2) selection.push_back(warehouses[i]);
  } else {
    selection = warehouses;
  }

  // Owned here until returned, so that a failing step releases it.
  std::unique_ptr<Summary> summary(
      new Summary(selection, population, options->get_ingroup_species_name(),
                  static_cast<unsigned int>(selection.size()), options->get_bootstrap_replicates(),
                  options->get_bootstrap_sort_precision(), options->get_bootstrap_confidence()));
  // Thresholds that leave every not-computed marker out: piS -1 below -0.1; Fit, heterozygosity
  // and Fst -999 below -100; the Weir & Cockerham sums -999 below -900. A dS above the median plus
  // two standard deviations, or a McDonald-Kreitman count above 1000, leaves a contig out of
  // dN/dS and NI.
  summary->compute_all_averages(population, -0.1, -100.0, -900.0, -100.0, -100.0, 2.0, 1000);
  summary->bootstrap_everything(-0.1, -100.0, -900.0, 2.0, 1000);
  return summary.release();
}
