#include <gtest/gtest.h>

#include <Bpp/Seq/Sequence.h>

#include <functional>
#include <memory>
#include <string>

#include "CodonContigSupport.h"
#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SelectionIndicators.h"
#include "input/Population.h"

using analysistest::alphabets;
using analysistest::makeContainer;

namespace {

bpp::BasicSequence codons(const std::string& name, const std::string& text) {
  return bpp::BasicSequence(name, text, alphabets().codon);
}

// Ingroup / outgroup consensus pair: CTT/CTC synonymous (1 synonymous site each), CTT/CCT
// non-synonymous (1 each), GAT/GAT (1/3 at kappa 1, 1/2 at kappa 2), then an incomplete site.
const bpp::BasicSequence kIngroupConsensus = codons("Ingroup_consensus", "CTTCTTGATNNN");
const bpp::BasicSequence kOutgroupConsensus = codons("Outgroup_consensus", "CTCCCTGAT---");

}  // namespace

TEST(SelectionIndicators, AllAttributesOfEachConstruction) {
  auto three = makeContainer({{"a", "CTTCTT"}, {"b", "CTTCTT"}, {"c", "CTCCTT"}});
  auto one = makeContainer({{"d", "CTTCCT"}});
  struct Case {
    const char* label;
    std::function<std::unique_ptr<mrv::SelectionIndicators>()> make;
    double kappa;
    double nN, nS, fixN, fixS, ratio;
    int sequences, sites, complete;
  };
  const Case cases[] = {
      {"consensus pair, kappa 1",
       [] {
         return std::unique_ptr<mrv::SelectionIndicators>(
             new mrv::SelectionIndicators(&kIngroupConsensus, &kOutgroupConsensus, alphabets().codon));
       },
       1.0, 9.0 - 7.0 / 3.0, 7.0 / 3.0, 1.0, 1.0, 3.0 / 7.0, 2, 4, 3},
      {"consensus pair, kappa 2",
       [] {
         return std::unique_ptr<mrv::SelectionIndicators>(
             new mrv::SelectionIndicators(&kIngroupConsensus, &kOutgroupConsensus, alphabets().codon));
       },
       2.0, 6.5, 2.5, 1.0, 1.0, 0.4, 2, 4, 3},
      // Consensus CTTCTT against CTTCCT: no synonymous difference, so the ratio stays 0.
      {"consensus of two containers",
       [&] {
         return std::unique_ptr<mrv::SelectionIndicators>(
             new mrv::SelectionIndicators(three.get(), one.get(), alphabets().codon, "first", "second"));
       },
       1.0, 4.0, 2.0, 1.0, 0.0, 0.0, 2, 2, 2},
      // One sequence: no substitution counted, the values stay 0.
      {"consensus of one container",
       [&] {
         return std::unique_ptr<mrv::SelectionIndicators>(
             new mrv::SelectionIndicators(three.get(), alphabets().codon, "only"));
       },
       1.0, 4.0, 2.0, 0.0, 0.0, 0.0, 1, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto s = c.make();
    s->determine_all_attributes(alphabets().code, c.kappa);
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
  collectSelectionIndicators(&kIngroupConsensus, &kOutgroupConsensus, alphabets().codon, alphabets().code, &store,
                             2.0);
  EXPECT_DOUBLE_EQ(6.5, store.get_nN());
  EXPECT_DOUBLE_EQ(2.5, store.get_nS());
  EXPECT_EQ(2u, store.get_nb_sequences_in_consensus());
  EXPECT_EQ(3u, store.get_nb_sites_in_consensus());  // complete sites, not the 4 sites
  // The McDonald-Kreitman counts are not this step's.
  EXPECT_EQ(-1, store.get_fixN());
  EXPECT_EQ(-1, store.get_fixS());
}
