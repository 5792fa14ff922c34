#include <gtest/gtest.h>

#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>

#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SelectionIndicators.h"
#include "analysis/StatisticsEngine.h"

using Route = mrv::StatisticsEngine::Route;

// CTT/CTC synonymous, CTT/CCT non-synonymous (one synonymous site each), GAT/GAT (1/3 synonymous
// site at kappa 1, 1/2 at kappa 2), then an incomplete site.
TEST(SelectionIndicators, AllAttributesOfTheConsensusPair) {
  testsupport::Alphabets a;
  const bpp::BasicSequence in("Ingroup_consensus", "CTTCTTGATNNN", &a.codon), out("Outgroup_consensus", "CTCCCTGAT---", &a.codon);
  const struct {
    double kappa, nN, nS, ratio;
  } cases[] = {{1.0, 9 - 7.0 / 3, 7.0 / 3, 3.0 / 7}, {2.0, 6.5, 2.5, 0.4}};
  for (const auto& c : cases)
    for (auto route : {Route::kOwnArithmetic, Route::kLibrary}) {
      mrv::StatisticsEngine engine(a.code, route);
      mrv::SelectionIndicators s(&in, &out, &a.codon);
      s.determine_all_attributes(engine, c.kappa);
      EXPECT_NEAR(c.nN, s.get_nN(), 1e-12);
      EXPECT_NEAR(c.nS, s.get_nS(), 1e-12);
      EXPECT_NEAR(c.ratio, s.get_fixSnS_ratio(), 1e-12);
      EXPECT_EQ((std::vector<double>{1, 1, 2, 4, 3}),
                (std::vector<double>{s.get_fixN(), s.get_fixS(), double(s.get_number_of_sequences()),
                                     double(s.get_number_of_sites()), double(s.get_number_of_complete_sites())}));
    }
  auto pop = testsupport::makePopulation("All;i1\n");
  ResultsWarehouse store(pop.get(), 4);
  mrv::StatisticsEngine engine(a.code);
  collectSelectionIndicators(&in, &out, &a.codon, engine, &store, 2.0);
  EXPECT_EQ((std::vector<double>{6.5, 2.5, 2, 3, -1}),
            (std::vector<double>{store.get_nN(), store.get_nS(), double(store.get_nb_sequences_in_consensus()),
                                 double(store.get_nb_sites_in_consensus()),  // complete sites, not the 4 sites
                                 double(store.get_fixN())}));                // the McDonald-Kreitman step's
}

// The consensus pair read as sequences gives what the library gives on the two-sequence container.
TEST(SelectionIndicators, ConsensusPairAgreesWithTheLibraryOnRandomPairs) {
  testsupport::Alphabets a;
  std::mt19937 rng(5);
  mrv::StatisticsEngine engine(a.code);
  auto pop = testsupport::makePopulation("All;i1\n");
  using Stats = bpp::SequenceStatistics;
  for (int trial = 0; trial < 60; ++trial) {
    const auto rows = testsupport::randomCodonRows(rng, 2, 1 + trial % 25, 0.6);
    const bpp::BasicSequence first("Ingroup_consensus", rows[0], &a.codon), second("Outgroup_consensus", rows[1], &a.codon);
    ResultsWarehouse store(pop.get(), 4);
    collectSelectionIndicators(&first, &second, &a.codon, engine, &store, 2.0);
    mrv::SelectionIndicators indicators(&first, &second, &a.codon);
    indicators.determine_all_attributes(engine, 2.0);
    auto pair = testsupport::makeCodeContainer(a.codon, rows);
    SCOPED_TRACE("trial " + std::to_string(trial));
    EXPECT_EQ(Stats::meanNumberOfNonSynonymousSites(*pair, a.code, 2.0), store.get_nN());
    EXPECT_EQ(Stats::meanNumberOfSynonymousSites(*pair, a.code, 2.0), store.get_nS());
    EXPECT_EQ(store.get_nN(), indicators.get_nN());
    EXPECT_EQ(store.get_nS(), indicators.get_nS());
    EXPECT_EQ(double(Stats::numberOfNonSynonymousSubstitutions(*pair, a.code, 0.0)), indicators.get_fixN());
    EXPECT_EQ(double(Stats::numberOfSynonymousSubstitutions(*pair, a.code, 0.0)), indicators.get_fixS());
    EXPECT_EQ(bpp::PolymorphismSequenceContainerTools::getNumberOfCompleteSites(*pair, false),
              store.get_nb_sites_in_consensus());
  }
}

// The container constructors measure the consensus of each container; sequences that no container
// can hold together are refused at construction, with the library's exception.
TEST(SelectionIndicators, ConsensusOfContainersAndRefusedPairs) {
  testsupport::Alphabets a;
  mrv::StatisticsEngine engine(a.code);
  auto in = testsupport::makeContainer(a.codon, {{"x1", "CTTCTTGAT"}, {"x2", "CTTCTTGAT"}, {"x3", "CTCCTTGAT"}});
  auto out = testsupport::makeContainer(a.codon, {{"y1", "CTCCCTGAT"}});
  const bpp::BasicSequence in_consensus("Ingroup_consensus", "CTTCTTGAT", &a.codon),
      out_consensus("Outgroup_consensus", "CTCCCTGAT", &a.codon);
  mrv::SelectionIndicators two(in.get(), out.get(), &a.codon, "Ingroup_consensus", "Outgroup_consensus"),
      pair(&in_consensus, &out_consensus, &a.codon), one(in.get(), &a.codon, "Ingroup_consensus");
  auto attributes = [&engine](mrv::SelectionIndicators& s) {
    s.determine_all_attributes(engine, 2.0);
    return std::vector<double>{s.get_nN(), s.get_nS(), s.get_fixN(), s.get_fixS(), s.get_fixSnS_ratio(),
                               double(s.get_number_of_sequences()), double(s.get_number_of_sites()),
                               double(s.get_number_of_complete_sites())};
  };
  EXPECT_EQ(attributes(two), attributes(pair));
  // One sequence: no substitution counted, the ratio left at 0.0.
  EXPECT_EQ(std::vector<double>({6.5, 2.5, 0, 0, 0, 1, 3, 3}), attributes(one));
  const bpp::BasicSequence shorter("Outgroup_consensus", "CTCCCT", &a.codon), dna("Outgroup_consensus", "CTC", &a.nucleic);
  EXPECT_THROW(mrv::SelectionIndicators(&in_consensus, &in_consensus, &a.codon), bpp::Exception);
  EXPECT_THROW(mrv::SelectionIndicators(&in_consensus, &shorter, &a.codon), bpp::Exception);
  EXPECT_THROW(mrv::SelectionIndicators(&in_consensus, &dna, &a.codon), bpp::Exception);
}
