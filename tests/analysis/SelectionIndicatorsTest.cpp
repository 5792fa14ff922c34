#include <gtest/gtest.h>

#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>

#include <memory>

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

namespace {

// nN nS fixN fixS fixS/nS, the numbers of sequences, sites and complete sites.
std::vector<double> attributes(const mrv::SelectionIndicators& s) {
  return {s.get_nN(), s.get_nS(), s.get_fixN(), s.get_fixS(), s.get_fixSnS_ratio(),
          double(s.get_number_of_sequences()), double(s.get_number_of_sites()),
          double(s.get_number_of_complete_sites())};
}

}  // namespace

// What the constructors are given is copied: a caller that changes its sequences or containers
// after the construction, then destroys them, still gets the results of what it gave (a read of the
// freed sequences fails the sanitizer build).
TEST(SelectionIndicators, KeepsWhatItWasGivenWhenTheCallerChangesAndDestroysIt) {
  testsupport::Alphabets a;
  const bpp::BasicSequence in("Ingroup_consensus", "CTTCTTGATNNN", &a.codon),
      out("Outgroup_consensus", "CTCCCTGAT---", &a.codon);
  const testsupport::Records in_records{{"x1", "CTTCTTGAT"}, {"x2", "CTTCTTGAT"}, {"x3", "CTCCTTGAT"}},
      out_records{{"y1", "CTCCCTGAT"}};
  auto in_kept = testsupport::makeContainer(a.codon, in_records);
  auto out_kept = testsupport::makeContainer(a.codon, out_records);
  for (auto route : {Route::kOwnArithmetic, Route::kLibrary}) {
    SCOPED_TRACE(route == Route::kLibrary ? "library" : "own arithmetic");
    mrv::StatisticsEngine engine(a.code, route);
    mrv::SelectionIndicators pair_kept(&in, &out, &a.codon),
        two_kept(in_kept.get(), out_kept.get(), &a.codon, "Ingroup_consensus", "Outgroup_consensus"),
        one_kept(in_kept.get(), &a.codon, "Ingroup_consensus");

    auto first = std::make_unique<bpp::BasicSequence>(in), second = std::make_unique<bpp::BasicSequence>(out);
    auto in_given = testsupport::makeContainer(a.codon, in_records);
    auto out_given = testsupport::makeContainer(a.codon, out_records);
    mrv::SelectionIndicators pair(first.get(), second.get(), &a.codon),
        two(in_given.get(), out_given.get(), &a.codon, "Ingroup_consensus", "Outgroup_consensus"),
        one(in_given.get(), &a.codon, "Ingroup_consensus");
    // Same names and contents: nothing left to measure, nor could a container hold them.
    first->setContent(out.toString());
    second->setName("Ingroup_consensus");
    in_given->deleteSequence(size_t(2));
    out_given->addSequenceWithFrequency(bpp::BasicSequence("y2", "AAAAAAAAA", &a.codon), 3, true);
    first.reset();
    second.reset();
    in_given.reset();
    out_given.reset();

    for (auto* s : {&pair_kept, &two_kept, &one_kept, &pair, &two, &one}) s->determine_all_attributes(engine, 2.0);
    EXPECT_EQ(attributes(pair_kept), attributes(pair));
    EXPECT_EQ(attributes(two_kept), attributes(two));
    EXPECT_EQ(attributes(one_kept), attributes(one));
    EXPECT_EQ((std::vector<double>{6.5, 2.5, 1, 1, 0.4, 2, 4, 3}), attributes(pair));
  }
}

// The genetic-code forms give exactly what the engine forms give: one call for all, the operations
// one by one (another code object in between, so the object's engine is replaced), the counts asked
// before any statistic, and the store filled by collectSelectionIndicators.
TEST(SelectionIndicators, GeneticCodeFormsGiveWhatTheEngineFormsGive) {
  testsupport::Alphabets a;
  const bpp::StandardGeneticCode other_code(&a.nucleic);
  auto pop = testsupport::makePopulation("All;i1\n");
  auto single = testsupport::makeContainer(a.codon, {{"x1", "CTTCTTGAT"}, {"x2", "CTCCCTGAT"}});
  const struct {
    const char* label;
    const char *first, *second;  // one sequence, the consensus of `single`, without a second
  } cases[] = {
      {"consensus pair with an incomplete site", "CTTCTTGATNNN", "CTCCCTGAT---"},
      {"identical pair", "GATAAACTT", "GATAAACTT"},
      {"several changes per codon", "AAACTTTGGCAT", "GGCCTAAGGCAC"},
      {"one sequence", nullptr, nullptr},
  };
  for (const auto& c : cases)
    for (double kappa : {1.0, 2.0, 4.0}) {
      SCOPED_TRACE(std::string(c.label) + ", kappa " + std::to_string(kappa));
      std::unique_ptr<bpp::BasicSequence> in, out;
      if (c.first) {
        in.reset(new bpp::BasicSequence("Ingroup_consensus", c.first, &a.codon));
        out.reset(new bpp::BasicSequence("Outgroup_consensus", c.second, &a.codon));
      }
      auto make = [&] {
        return in ? std::make_unique<mrv::SelectionIndicators>(in.get(), out.get(), &a.codon)
                  : std::make_unique<mrv::SelectionIndicators>(single.get(), &a.codon, "Ingroup_consensus");
      };
      mrv::StatisticsEngine engine(a.code);
      auto by_engine = make(), all = make(), one_by_one = make(), counted = make();
      by_engine->determine_all_attributes(engine, kappa);
      all->determine_all_attributes(&a.code, kappa);
      one_by_one->determine_nN(&a.code, kappa);
      one_by_one->determine_nS(&other_code, kappa);
      one_by_one->determine_fixN(&a.code);
      one_by_one->determine_fixS(&other_code);
      one_by_one->determine_fixSnS_ratio();
      one_by_one->countSequencesAndSites();
      counted->countSequencesAndSites();
      const std::vector<double> expected = attributes(*by_engine);
      EXPECT_EQ(expected, attributes(*all));
      EXPECT_EQ(expected, attributes(*one_by_one));
      EXPECT_EQ((std::vector<double>{0, 0, 0, 0, 0, expected[5], expected[6], expected[7]}), attributes(*counted));
      if (!in) {  // fixN, fixS and their ratio not computed
        EXPECT_EQ((std::vector<double>{0, 0, 0}), std::vector<double>(expected.begin() + 2, expected.begin() + 5));
        continue;
      }
      ResultsWarehouse by_engine_store(pop.get(), 4), by_code_store(pop.get(), 4);
      collectSelectionIndicators(in.get(), out.get(), &a.codon, engine, &by_engine_store, kappa);
      collectSelectionIndicators(in.get(), out.get(), &a.codon, &a.code, &by_code_store, kappa);
      auto stored = [](const ResultsWarehouse& w) {
        return std::vector<double>{w.get_nN(), w.get_nS(), double(w.get_nb_sequences_in_consensus()),
                                   double(w.get_nb_sites_in_consensus())};
      };
      EXPECT_EQ(stored(by_engine_store), stored(by_code_store));
      EXPECT_EQ((std::vector<double>{expected[0], expected[1], 2, expected[7]}), stored(by_code_store));
    }
}
