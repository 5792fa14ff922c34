#include <gtest/gtest.h>

#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>

#include "TestSupport.h"
#include "analysis/ContigView.h"
#include "analysis/McDonaldKreitman.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"

using testsupport::CodeRows;
using testsupport::makeCodeContainer;
using testsupport::makeContainer;
using testsupport::paired;
using testsupport::Records;
using Table = std::vector<unsigned int>;
using Route = mrv::StatisticsEngine::Route;

namespace {

// fixN fixS polymN_0 polymS_0 polymN_02 polymS_02 MK_nN MK_nS as stored.
std::vector<int> stored(const ResultsWarehouse& w) {
  return {w.get_fixN(), w.get_fixS(), w.get_polymN_0(), w.get_polymS_0(),
          w.get_polymN_02(), w.get_polymS_02(), w.get_MK_nN(), w.get_MK_nS()};
}

// Leu CTT/CTC synonymous, Leu CTT / Pro CCT non-synonymous (one synonymous site each); Asp GAT has
// 1/3 synonymous site at kappa 1, 2/3 at kappa 4. Six sequences: a synonymous polymorphism at 1/6 (below 0.2), a non-synonymous one at 2/6, a
// synonymous fixed difference (CTT / CTA), two GAT sites.
const Records kSix = paired({"CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT",
                             "CTTCCTCTTGATGAT", "CTCCCTCTTGATGAT"});
const char* const kSixOut = "CTTCTTCTAGATGAT";

}  // namespace

TEST(McDonaldKreitman, TablesOfHandBuiltContigs) {
  testsupport::Alphabets a;
  auto population = testsupport::makePopulation("All;ind0;ind1;ind2\n");
  const struct {
    const char* label;
    Records ingroup;
    const char* outgroup;
    Table all, above02;  // {pn, ps, dn, ds}
  } cases[] = {
      {"a fixed difference and a polymorphism of each kind at 1/4",
       paired({"CTTCTTCTTCTTGAT", "CTTCTTCTTCTTGAT", "CTTCTTCTTCTTGAT", "CTTCTTCTCCCTGAT"}), "CTCCCTCTTCTTGAT",
       {1, 1, 1, 1}, {1, 1, 1, 1}},
      {"synonymous polymorphism at 1/6", kSix, kSixOut, {1, 1, 0, 1}, {1, 0, 0, 1}},
      // Consensus CTA / TTG differ at positions 1 and 3, position 1 polymorphic: dn 0, not 4294967295.
      {"positions 1 and 3 differ, 1 polymorphic", paired({"CTA", "CTA", "TTA"}), "TTG", {0, 1, 0, 1}, {0, 1, 0, 1}},
      // The library's synonymous count of this site falls below zero (4294967295): it counts 0.
      {"smallest site going below zero", paired({"AAA", "AAC"}), "AGC", {1, 0, 1, 0}, {1, 0, 1, 0}},
      {"that site among two fixed differences", paired({"AAACTTCTT", "AACCTTCTT"}), "AGCCTCCCT", {1, 0, 2, 1},
       {1, 0, 2, 1}},
      {"sites with a gap or NNN left out", paired({"CTT---CTT", "CTTCTTNNN"}), "CTCCCTCCT", {0, 0, 0, 1}, {0, 0, 0, 1}},
      {"no complete site", paired({"NNNCTT", "CTT---"}), "CTCCCT", {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const auto& c : cases)
    for (auto route : {Route::kOwnArithmetic, Route::kLibrary}) {
      SCOPED_TRACE(std::string(c.label) + (route == Route::kLibrary ? " (library)" : ""));
      mrv::StatisticsEngine engine(a.code, route);
      auto in = makeContainer(a.codon, c.ingroup);
      auto out = makeContainer(a.codon, Records{{"Outgroup_consensus", c.outgroup}});
      const mrv::ContigView view(*in, &a.codon, &a.nucleic, &engine, false);
      ResultsWarehouse fromContainers(population.get(), 4), fromView(population.get(), 4);
      mcDonaldKreitmanAnalysis(in.get(), out.get(), &fromContainers, 1, &a.codon, engine, false);
      mcDonaldKreitmanAnalysis(view, &out->getSequence(0), &fromView, 1, engine, false);
      // fixN fixS polymN_0 polymS_0 polymN_02 polymS_02
      const std::vector<int> expected{int(c.all[2]),     int(c.all[3]),     int(c.all[0]),
                                      int(c.all[1]),     int(c.above02[0]), int(c.above02[1])};
      for (const ResultsWarehouse* store : {&fromContainers, &fromView}) {
        const std::vector<int> counts = stored(*store);
        EXPECT_EQ(expected, std::vector<int>(counts.begin(), counts.begin() + 6));
      }
      EXPECT_EQ(stored(fromContainers), stored(fromView));
    }
}

// The program's arithmetic gives the library's counts (the outgroup site read as far as the
// ingroup's, its consensus past its own end) with several outgroup sequences, ingroup sequences
// flagged outgroup and polymorphic outgroups, and the library's site numbers of the merged container;
// so does the run's form, the ingroup's view against the outgroup's consensus.
TEST(McDonaldKreitman, OutgroupReadAsItsConsensusPastItsEnd) {
  testsupport::Alphabets a;
  std::mt19937 rng(99);
  mrv::StatisticsEngine own(a.code, Route::kOwnArithmetic), library(a.code, Route::kLibrary);
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto population = testsupport::makePopulation("All;i0;i1\n");
  for (int trial = 0; trial < 200; ++trial) {
    const size_t nin = static_cast<size_t>(uniform(1, 12)), nout = static_cast<size_t>(uniform(1, 3));
    const size_t sites = static_cast<size_t>(uniform(1, 30));
    CodeRows rows = testsupport::randomCodonRows(rng, nin + nout, sites, 0.5);
    // The outgroup mostly one other codon at the polymorphic and some other sites.
    for (size_t s = 0; s < sites; ++s)
      if (uniform(0, 2) == 0)
        for (size_t q = nin; q < nin + nout; ++q) rows[q][s] = rows[uniform(0, static_cast<int>(nin) - 1)][s];
    auto in = makeCodeContainer(a.codon, CodeRows(rows.begin(), rows.begin() + nin), "in");
    auto out = makeCodeContainer(a.codon, CodeRows(rows.begin() + nin, rows.end()), "out");
    if (nin > 2 && uniform(0, 3) == 0) in->setAsOutgroupMember(static_cast<size_t>(uniform(0, 1)));
    SCOPED_TRACE("trial " + std::to_string(trial));
    const unsigned int kappa = static_cast<unsigned int>(uniform(1, 4));
    ResultsWarehouse expected(population.get(), 4), actual(population.get(), 4);
    mcDonaldKreitmanAnalysis(in.get(), out.get(), &expected, kappa, &a.codon, library, false);
    mcDonaldKreitmanAnalysis(in.get(), out.get(), &actual, kappa, &a.codon, own, false);
    EXPECT_EQ(stored(expected), stored(actual));
    auto merged = mrv::mergeIngroupAndOutgroup(*in, *out);
    EXPECT_EQ(expected.get_MK_nN(), mrv::truncateSiteNumber(bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(
                                        *merged, a.code, kappa)));
    EXPECT_EQ(expected.get_MK_nS(), mrv::truncateSiteNumber(bpp::SequenceStatistics::meanNumberOfSynonymousSites(
                                        *merged, a.code, kappa)));

    std::unique_ptr<bpp::Sequence> consensus(bpp::SiteContainerTools::getConsensus(*out, "Outgroup_consensus"));
    auto single = makeContainer(a.codon, Records{});
    single->addSequenceWithFrequency(*consensus, 1, true);
    const mrv::ContigView view(*in, &a.codon, &a.nucleic, &own, false);
    ResultsWarehouse fromContainer(population.get(), 4), fromView(population.get(), 4);
    mcDonaldKreitmanAnalysis(in.get(), single.get(), &fromContainer, kappa, &a.codon, library, false);
    mcDonaldKreitmanAnalysis(view, consensus.get(), &fromView, kappa, own, false);
    EXPECT_EQ(stored(fromContainer), stored(fromView));
  }
}

// nS = 3 + 2 x 2/3 = 4.33 at kappa 4, nN = 10.67: truncated, not rounded.
TEST(McDonaldKreitman, AnalysisStoresTheEightCountsWithDebugLines) {
  testsupport::Alphabets a;
  auto pop = testsupport::makePopulation("All;ind0;ind1;ind2\n");
  mrv::StatisticsEngine engine(a.code);
  auto in = makeContainer(a.codon, kSix);
  auto out = makeContainer(a.codon, Records{{"Outgroup_consensus", kSixOut}});
  for (bool debug : {true, false}) {
    ResultsWarehouse store(pop.get(), 4);
    const auto lines =
        testsupport::coutLines([&] { mcDonaldKreitmanAnalysis(in.get(), out.get(), &store, 4, &a.codon, engine, debug); });
    const testsupport::Lines expected = {"(DEBUG - mcDonaldKreitmanAnalysis) MK table (all SNPs): pn=1 ps=1 dn=0 ds=1",
                                         "(DEBUG - mcDonaldKreitmanAnalysis) MK table (freq<0.2): pn=1 ps=0 dn=0 ds=1"};
    EXPECT_EQ(debug ? expected : testsupport::Lines(), lines);
    EXPECT_EQ((std::vector<int>{0, 1, 1, 1, 1, 0, 10, 4}), stored(store));
  }
  EXPECT_EQ(kSix.size(), in->getNumberOfSequences());  // the containers given are left unchanged
  EXPECT_EQ(1u, out->getNumberOfSequences());
  // An outgroup named as an ingroup sequence, or of another length, cannot be merged: the library refuses.
  const mrv::ContigView view(*in, &a.codon, &a.nucleic, &engine, false);
  for (const Records& outgroup : {Records{{in->getName(0), kSixOut}}, Records{{"Outgroup_consensus", "CTT"}}}) {
    auto bad = makeContainer(a.codon, outgroup);
    ResultsWarehouse store(pop.get(), 4);
    EXPECT_THROW(mcDonaldKreitmanAnalysis(in.get(), bad.get(), &store, 4, &a.codon, engine, false), bpp::Exception);
    EXPECT_THROW(mcDonaldKreitmanAnalysis(view, &bad->getSequence(0), &store, 4, engine, false), bpp::Exception);
    EXPECT_EQ(-1, store.get_fixN());
  }
  for (const auto& c : std::vector<std::pair<double, int>>{{12.9, 12}, {35.2, 35}, {0.99, 0}, {7.0, 7}})
    EXPECT_EQ(c.second, mrv::truncateSiteNumber(c.first));
}

// The genetic-code form stores and prints exactly what the engine form does, over a few contigs
// (one ingroup sequence, several outgroup sequences) and kappas.
TEST(McDonaldKreitman, GeneticCodeFormGivesWhatTheEngineFormGives) {
  testsupport::Alphabets a;
  auto pop = testsupport::makePopulation("All;ind0;ind1;ind2\n");
  const struct {
    const char* label;
    Records ingroup, outgroup;
  } cases[] = {
      {"six sequences against a consensus", kSix, {{"Outgroup_consensus", kSixOut}}},
      {"one ingroup sequence", paired({"CTTGATAAA"}), {{"Outgroup_consensus", "CTCGACAGC"}}},
      {"two outgroup sequences", paired({"CTTCTTGAT", "CTCCTTGAT", "CTTCCTGAT"}),
       {{"o1", "CTACTTGAC"}, {"o2", "CTACTTGAT"}}},
  };
  for (const auto& c : cases)
    for (unsigned int kappa : {1u, 2u, 4u}) {
      SCOPED_TRACE(std::string(c.label) + ", kappa " + std::to_string(kappa));
      auto in = makeContainer(a.codon, c.ingroup), out = makeContainer(a.codon, c.outgroup);
      mrv::StatisticsEngine engine(a.code);
      ResultsWarehouse by_engine(pop.get(), 4), by_code(pop.get(), 4);
      const auto engine_lines = testsupport::coutLines(
          [&] { mcDonaldKreitmanAnalysis(in.get(), out.get(), &by_engine, kappa, &a.codon, engine, true); });
      const auto code_lines = testsupport::coutLines(
          [&] { mcDonaldKreitmanAnalysis(in.get(), out.get(), &by_code, kappa, &a.codon, &a.code, true); });
      EXPECT_EQ(stored(by_engine), stored(by_code));
      EXPECT_EQ(engine_lines, code_lines);
      EXPECT_EQ(2u, code_lines.size());
      EXPECT_NE(-1, by_code.get_fixN());  // stored, not the starting value
    }
}
