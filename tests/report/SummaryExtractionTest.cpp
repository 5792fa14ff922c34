// The values a summary copies out of the per-contig stores.
#include <gtest/gtest.h>

#include "SummaryTestSupport.h"
#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"

// Copied out of the stores: the ingroup's record (not another species'), the counts, and the
// heterozygosity and Fst (i < j) tables in the population's order. A store without record and
// without outgroup data adds its -1 markers to the divergence sums.
TEST(SummaryExtraction, ReadFromTheIngroupRecordOfEachStore) {
  testsupport::TempDir dir;
  mrv::Population population(dir.write("pop.txt", "P1;A;B\nP2;C\nP3;D\n"));
  ResultsWarehouse w1(&population, 8), w2(&population, 8);
  for (const char* species : {"Other", "Sp1"}) {
    SpeciesDataWarehouse* sd = new SpeciesDataWarehouse();
    const bool ingroup = species == std::string("Sp1");
    sd->set_species_name(species);
    sd->set_number_of_complete_sites(ingroup ? 100 : 999);
    sd->set_piS(ingroup ? 0.25 : 0.9);
    sd->set_piN(ingroup ? 0.0625 : 0.9);
    sd->set_Fit(ingroup ? 0.125 : 0.9);
    sd->set_WC84_total_B(ingroup ? 0.25 : 0.9);
    sd->set_WC84_total_C(ingroup ? 0.75 : 0.9);
    w1.store_species_data(sd);
  }
  w1.set_nb_bi_allelic_SNP(5), w1.set_nb_tri_allelic_SNP(1), w2.set_nb_bi_allelic_SNP(3), w2.set_nb_quadri_allelic_SNP(1);
  w1.set_nN(40.9), w1.set_nS(20.2), w1.set_fixN(4), w1.set_fixS(2), w1.set_polymN_0(3), w1.set_polymS_0(6);
  w1.set_specific_individual_heterozygosity("A", 0.1);
  w1.set_specific_individual_heterozygosity("C", 0.3);
  for (unsigned int i = 0; i < 3; ++i)
    for (unsigned int j = 0; j < 3; ++j) w1.set_specific_Fst(i, j, i < j ? 0.05 * (i + j) : 0.9);
  Summary s({&w1, &w2}, &population, "Sp1", 2, 10, 1000000, 0.95);
  s.compute_all_averages(&population, -0.1, -100.0, -900.0, -100.0, -100.0, 2.0, 1000);
  EXPECT_EQ(std::vector<double>({1.0 * s.get_total_SNP2(), 1.0 * s.get_total_SNP3(), 1.0 * s.get_total_SNP4(),
                                 s.get_average_piS(), s.get_average_piN(), 1.0 * s.get_failed_piNpiS(),
                                 1.0 * s.get_average_contig_length_piNpiS(), s.get_average_fit(),
                                 s.get_average_WC84_fit(), 1.0 * s.get_failed_WC84_fit()}),
            std::vector<double>({8, 1, 1, 0.25, 0.0625, 1, 100, 0.125, 0.25, 1}));
  // Sites truncated (40.9 -> 40, 20.2 -> 20) and the second store's -1 added.
  EXPECT_DOUBLE_EQ(s.get_average_dN(), 3.0 / 39.0);
  EXPECT_DOUBLE_EQ(s.get_average_dS(), 1.0 / 19.0);
  EXPECT_DOUBLE_EQ(s.get_NI(), (2.0 * 1.0) / (5.0 * 3.0));
  EXPECT_DOUBLE_EQ(s.get_specific_average_individual_heterozygosity("A"), 0.1);
  EXPECT_TRUE(std::isnan(s.get_specific_average_individual_heterozygosity("B")));
  EXPECT_DOUBLE_EQ(s.get_specific_average_individual_heterozygosity("C"), 0.3);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P1|P2"), 0.05);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P1|P3"), 0.1);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P2|P3"), 0.15);
}
