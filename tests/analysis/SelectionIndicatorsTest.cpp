#include <gtest/gtest.h>

#include "CodonContigSupport.h"
#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SelectionIndicators.h"
#include "analysis/StatisticsEngine.h"
#include "input/Population.h"

using analysistest::alphabets;
using analysistest::makeContainer;

namespace {

// CTT/CTC synonymous, CTT/CCT non-synonymous (one synonymous site each), GAT/GAT (1/3 synonymous
// site at kappa 1, 1/2 at kappa 2), then an incomplete site.
const bpp::BasicSequence kIn("Ingroup_consensus", "CTTCTTGATNNN", alphabets().codon);
const bpp::BasicSequence kOut("Outgroup_consensus", "CTCCCTGAT---", alphabets().codon);

}  // namespace

TEST(SelectionIndicators, AllAttributesOfEachConstruction) {
  auto three = makeContainer({{"a", "CTTCTT"}, {"b", "CTTCTT"}, {"c", "CTCCTT"}});
  auto one = makeContainer({{"d", "CTTCCT"}});
  using Make = mrv::SelectionIndicators* (*)(bpp::PolymorphismSequenceContainer*, bpp::PolymorphismSequenceContainer*);
  struct Case {
    Make make;
    double kappa, nN, nS, fixN, fixS, ratio;
    int sequences, sites, complete;
  };
  const Case cases[] = {
      {[](auto, auto) { return new mrv::SelectionIndicators(&kIn, &kOut, alphabets().codon); }, 1.0, 9 - 7.0 / 3,
       7.0 / 3, 1, 1, 3.0 / 7, 2, 4, 3},
      {[](auto, auto) { return new mrv::SelectionIndicators(&kIn, &kOut, alphabets().codon); }, 2.0, 6.5, 2.5, 1, 1,
       0.4, 2, 4, 3},
      // Consensus CTTCTT against CTTCCT: no synonymous difference, the ratio stays 0.
      {[](auto a, auto b) { return new mrv::SelectionIndicators(a, b, alphabets().codon, "first", "second"); }, 1.0,
       4.0, 2.0, 1, 0, 0.0, 2, 2, 2},
      // One sequence: no substitution is counted.
      {[](auto a, auto) { return new mrv::SelectionIndicators(a, alphabets().codon, "only"); }, 1.0, 4.0, 2.0, 0, 0,
       0.0, 1, 2, 2},
  };
  for (const Case& c : cases)
    for (auto route : {mrv::StatisticsEngine::Route::kOwnArithmetic, mrv::StatisticsEngine::Route::kLibrary}) {
      mrv::StatisticsEngine engine(*alphabets().code, route);
      std::unique_ptr<mrv::SelectionIndicators> s(c.make(three.get(), one.get()));
      s->determine_all_attributes(engine, c.kappa);
      EXPECT_NEAR(c.nN, s->get_nN(), 1e-12);
      EXPECT_NEAR(c.nS, s->get_nS(), 1e-12);
      EXPECT_EQ(c.fixN, s->get_fixN());
      EXPECT_EQ(c.fixS, s->get_fixS());
      EXPECT_NEAR(c.ratio, s->get_fixSnS_ratio(), 1e-12);
      EXPECT_EQ(c.sequences, s->get_number_of_sequences());
      EXPECT_EQ(c.sites, s->get_number_of_sites());
      EXPECT_EQ(c.complete, s->get_number_of_complete_sites());
    }
}

TEST(SelectionIndicators, CollectStoresSiteNumbersAndCompleteSitesOfThePair) {
  testsupport::TempDir dir;
  mrv::Population pop(dir.write("pop.txt", "All;i1\n"));
  ResultsWarehouse store(&pop, 4);
  mrv::StatisticsEngine engine(*alphabets().code);
  collectSelectionIndicators(&kIn, &kOut, alphabets().codon, engine, &store, 2.0);
  EXPECT_DOUBLE_EQ(6.5, store.get_nN());
  EXPECT_DOUBLE_EQ(2.5, store.get_nS());
  EXPECT_EQ(2u, store.get_nb_sequences_in_consensus());
  EXPECT_EQ(3u, store.get_nb_sites_in_consensus());  // complete sites, not the 4 sites
  EXPECT_EQ(-1, store.get_fixN());                  // the McDonald-Kreitman step's, not this one's
}
