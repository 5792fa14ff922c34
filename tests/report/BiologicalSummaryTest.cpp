// The contigs the biological summary rests on, by -contig_usage, with every average and interval computed.
#include "ReportTestSupport.h"
#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"
#include "report/BiologicalSummary.h"

using namespace reporttest;

TEST(BiologicalSummary, ContigSelection) {
  struct Case { std::string usage; std::size_t stores; unsigned int selected; double piS; };
  // Stores of piS 0.001, 0.002, 0.004, 0.008 and 0.016, each of weight 100.
  const std::vector<Case> cases = {{"all", 5, 5, 0.031 / 5.0}, {"even", 5, 2, 0.010 / 2.0}, {"odd", 5, 3, 0.021 / 3.0},
                                   {"odd", 1, 1, 0.001},       {"even", 1, 0, NaN},         {"even", 2, 1, 0.002}};
  testsupport::TempDir dir;
  WorkingDirectory here(dir.path());
  dir.write("seqs.fas", ">x\nACG\n");
  mrv::Population population(dir.write("pop.txt", "P1;A\nP2;B\n"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.usage + " of " + std::to_string(c.stores));
    auto o = options({"-alignment_file=seqs.fas", "-ingroup=Sp1", "-contig_usage=" + c.usage, "-bs_replicates=20"});
    std::vector<std::unique_ptr<ResultsWarehouse>> owned;
    std::vector<ResultsWarehouse*> warehouses;
    for (std::size_t i = 0; i < c.stores; ++i) {
      owned.emplace_back(new ResultsWarehouse(&population, 8));
      SpeciesDataWarehouse* sd = new SpeciesDataWarehouse();
      sd->set_species_name("Sp1"), sd->set_number_of_complete_sites(100), sd->set_piS(0.001 * (1 << i));
      owned.back()->store_species_data(sd);
      warehouses.push_back(owned.back().get());
    }
    std::unique_ptr<Summary> s(biologicalSummary(warehouses, o.get(), &population));
    EXPECT_EQ(warehouses.size(), c.stores);
    EXPECT_EQ(s->get_nb_contig(), c.selected);
    EXPECT_TRUE(near(s->get_average_piS(), c.piS, 1e-15)) << s->get_average_piS();
    EXPECT_EQ(s->get_failed_fit(), c.selected);  // Fit was never computed: -999 everywhere
    EXPECT_NE(s->get_dS_threshold(), -1.0);
    EXPECT_EQ(s->get_NI02_standard_error().size(), 2u);
    if (c.selected == 1) EXPECT_EQ(s->get_piS_standard_error(), std::vector<double>(2, c.piS));
  }
}
