#pragma once
// The values of one contig that the summary reads.
#include <vector>

// The values of one contig that the summary reads, with the types and not-computed markers of the
// per-contig stores (ResultsWarehouse, and SpeciesDataWarehouse for the focal species): -1 for
// piN, piS, nN, nS and the McDonald-Kreitman counts, -999 for Fit and the Weir & Cockerham sums.
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
