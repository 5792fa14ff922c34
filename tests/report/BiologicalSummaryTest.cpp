#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "WriterTestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"
#include "report/BiologicalSummary.h"
#include "report/Summary.h"

namespace {

// A store of one contig holding a record of `species` with the given weight and piS.
std::unique_ptr<ResultsWarehouse> store(mrv::Population& population, const std::string& species,
                                        unsigned int weight, double piS) {
  std::unique_ptr<ResultsWarehouse> w(new ResultsWarehouse(&population, 8));
  SpeciesDataWarehouse* sd = new SpeciesDataWarehouse();
  sd->set_species_name(species);
  sd->set_number_of_complete_sites(weight);
  sd->set_piS(piS);
  sd->set_piN(piS / 2.0);
  w->store_species_data(sd);
  w->set_status("OK");
  return w;
}

}  // namespace

TEST(SummaryExtraction, ReadsTheIngroupRecordAndThePopulationOrder) {
  testsupport::TempDir dir;
  mrv::Population population(dir.write("pop.txt", "P1;A;B\nP2;C\nP3;D\n"));

  // Contig 1: an "Other" species record, then the ingroup record; Fst set only at (i, j), i < j.
  std::unique_ptr<ResultsWarehouse> w1 = store(population, "Other", 999, 0.9);
  SpeciesDataWarehouse* sd = new SpeciesDataWarehouse();
  sd->set_species_name("Sp1");
  sd->set_number_of_complete_sites(100);
  sd->set_piS(0.25);
  sd->set_piN(0.0625);
  sd->set_Fit(0.125);
  sd->set_WC84_total_B(0.25);
  sd->set_WC84_total_C(0.75);
  w1->store_species_data(sd);
  w1->set_nb_bi_allelic_SNP(5);
  w1->set_nb_tri_allelic_SNP(1);
  w1->set_nN(40.9);
  w1->set_nS(20.2);
  w1->set_fixN(4);
  w1->set_fixS(2);
  w1->set_polymN_0(3);
  w1->set_polymS_0(6);
  w1->set_specific_individual_heterozygosity("A", 0.1);
  w1->set_specific_individual_heterozygosity("C", 0.3);
  w1->set_specific_Fst(0, 1, 0.05);
  w1->set_specific_Fst(0, 2, 0.1);
  w1->set_specific_Fst(1, 2, 0.2);
  w1->set_specific_Fst(1, 0, 0.9);
  w1->set_specific_Fst(2, 0, 0.9);
  w1->set_specific_Fst(2, 1, 0.9);
  // Contig 2: no record of the ingroup species and no outgroup data.
  std::unique_ptr<ResultsWarehouse> w2(new ResultsWarehouse(&population, 8));
  w2->set_nb_bi_allelic_SNP(3);
  w2->set_nb_quadri_allelic_SNP(1);

  Summary s({w1.get(), w2.get()}, &population, "Sp1", 2, 10, 1000000, 0.95);
  s.compute_all_averages(&population, -0.1, -100.0, -900.0, -100.0, -100.0, 2.0, 1000);
  EXPECT_EQ(s.get_total_SNP2(), 8u);
  EXPECT_EQ(s.get_total_SNP3(), 1u);
  EXPECT_EQ(s.get_total_SNP4(), 1u);
  EXPECT_EQ(s.get_average_piS(), 0.25);
  EXPECT_EQ(s.get_average_piN(), 0.0625);
  EXPECT_EQ(s.get_failed_piNpiS(), 1u);
  EXPECT_EQ(s.get_average_contig_length_piNpiS(), 100u);
  EXPECT_EQ(s.get_average_fit(), 0.125);
  EXPECT_EQ(s.get_average_WC84_fit(), 0.25);
  EXPECT_EQ(s.get_failed_WC84_fit(), 1u);
  // Sites truncated (40.9 -> 40, 20.2 -> 20); the second contig adds its -1 markers.
  EXPECT_DOUBLE_EQ(s.get_average_dN(), 3.0 / 39.0);
  EXPECT_DOUBLE_EQ(s.get_average_dS(), 1.0 / 19.0);
  EXPECT_DOUBLE_EQ(s.get_NI(), (2.0 * 1.0) / (5.0 * 3.0));
  EXPECT_DOUBLE_EQ(s.get_specific_average_individual_heterozygosity("A"), 0.1);
  EXPECT_TRUE(std::isnan(s.get_specific_average_individual_heterozygosity("B")));
  EXPECT_DOUBLE_EQ(s.get_specific_average_individual_heterozygosity("C"), 0.3);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P1|P2"), 0.05);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P1|P3"), 0.1);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P2|P3"), 0.2);
}

TEST(BiologicalSummary, ContigSelection) {
  struct Case {
    std::string usage;
    std::size_t stores;
    unsigned int selected;
    double piS;  // NaN: no contig
  };
  // Five stores of piS 0.001, 0.002, 0.004, 0.008 and 0.016, each of weight 100.
  const std::vector<Case> cases = {
      {"all", 5, 5, 0.031 / 5.0}, {"even", 5, 2, 0.010 / 2.0}, {"odd", 5, 3, 0.021 / 3.0},
      {"odd", 1, 1, 0.001},       {"all", 1, 1, 0.001},        {"even", 1, 0, NAN},
      {"even", 2, 1, 0.002},
  };
  for (const Case& c : cases) {
    testsupport::TempDir dir;
    writertest::WorkingDirectory here(dir.path());
    dir.write("seqs.fas", ">x\nACG\n");
    mrv::Population population(dir.write("pop.txt", "P1;A\nP2;B\n"));
    auto options = writertest::options(
        {"-alignment_file=seqs.fas", "-ingroup=Sp1", "-contig_usage=" + c.usage, "-bs_replicates=20"});
    std::vector<std::unique_ptr<ResultsWarehouse>> owned;
    std::vector<ResultsWarehouse*> warehouses;
    for (std::size_t i = 0; i < c.stores; ++i) {
      owned.push_back(store(population, "Sp1", 100, 0.001 * (1 << i)));
      warehouses.push_back(owned.back().get());
    }
    std::unique_ptr<Summary> s(biologicalSummary(warehouses, options.get(), &population));
    const std::string what = c.usage + " of " + std::to_string(c.stores);
    EXPECT_EQ(warehouses.size(), c.stores) << what;
    EXPECT_EQ(s->get_nb_contig(), c.selected) << what;
    if (std::isnan(c.piS)) {
      EXPECT_TRUE(std::isnan(s->get_average_piS())) << what;
    } else {
      EXPECT_NEAR(s->get_average_piS(), c.piS, 1e-15) << what;
    }
    // Every average and interval has been computed.
    EXPECT_EQ(s->get_piS_standard_error().size(), 2u) << what;
    EXPECT_EQ(s->get_NI02_standard_error().size(), 2u) << what;
    EXPECT_NE(s->get_dS_threshold(), -1.0) << what;
    EXPECT_EQ(s->get_failed_fit(), c.selected) << what;  // Fit was never computed: -999 everywhere
    if (c.selected == 1) {
      EXPECT_EQ(s->get_piS_standard_error(), std::vector<double>(2, c.piS)) << what;
    }
  }
}
