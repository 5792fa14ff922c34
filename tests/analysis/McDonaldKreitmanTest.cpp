#include <gtest/gtest.h>

#include <Bpp/PopGen/SequenceStatistics.h>

#include <random>

#include "CodonContigSupport.h"
#include "TestSupport.h"
#include "analysis/McDonaldKreitman.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/Population.h"

using analysistest::alphabets;
using analysistest::makeContainer;
using analysistest::pairedSequences;
using analysistest::Records;
using Table = std::vector<unsigned int>;

namespace {

std::unique_ptr<bpp::PolymorphismSequenceContainer> outgroupOf(const char* consensus) {
  return makeContainer({{"Outgroup_consensus", consensus}});
}

// Leu CTT/CTC synonymous, Leu CTT / Pro CCT non-synonymous (one synonymous site each); Asp GAT has
// 1/3 synonymous site at kappa 1, 2/3 at kappa 4. Four sequences: a synonymous and a non-synonymous
// fixed difference, then a polymorphism of each kind at 1/4.
const Records kFour = pairedSequences({"CTTCTTCTTCTTGAT", "CTTCTTCTTCTTGAT", "CTTCTTCTTCTTGAT", "CTTCTTCTCCCTGAT"});
const char* const kFourOut = "CTCCCTCTTCTTGAT";
// Six sequences: a synonymous polymorphism at 1/6 (below 0.2), a non-synonymous one at 2/6, a
// synonymous fixed difference (CTT / CTA), two GAT sites.
const Records kSix = pairedSequences({"CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT",
                                      "CTTCCTCTTGATGAT", "CTCCCTCTTGATGAT"});
const char* const kSixOut = "CTTCTTCTAGATGAT";

}  // namespace

TEST(McDonaldKreitman, TablesOfHandBuiltContigs) {
  struct Case {
    const char* label;
    Records ingroup;
    const char* outgroup;
    Table all, above02;  // {pn, ps, dn, ds}
  };
  const Case cases[] = {
      {"a fixed difference and a polymorphism of each kind", kFour, kFourOut, {1, 1, 1, 1}, {1, 1, 1, 1}},
      {"synonymous polymorphism at 1/6", kSix, kSixOut, {1, 1, 0, 1}, {1, 0, 0, 1}},
      // Consensus CTA / TTG differ at positions 1 and 3, position 1 polymorphic: dn 0, not 4294967295.
      {"positions 1 and 3 differ, 1 polymorphic", pairedSequences({"CTA", "CTA", "TTA"}), "TTG", {0, 1, 0, 1},
       {0, 1, 0, 1}},
      // The library's synonymous count of this site falls below zero (4294967295): it counts 0.
      {"smallest site going below zero", pairedSequences({"AAA", "AAC"}), "AGC", {1, 0, 1, 0}, {1, 0, 1, 0}},
      {"that site among two fixed differences", pairedSequences({"AAACTTCTT", "AACCTTCTT"}), "AGCCTCCCT",
       {1, 0, 2, 1}, {1, 0, 2, 1}},
      {"sites with a gap or NNN left out", pairedSequences({"CTT---CTT", "CTTCTTNNN"}), "CTCCCTCCT", {0, 0, 0, 1},
       {0, 0, 0, 1}},
      {"no complete site", pairedSequences({"NNNCTT", "CTT---"}), "CTCCCT", {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases)
    for (auto route : {mrv::StatisticsEngine::Route::kOwnArithmetic, mrv::StatisticsEngine::Route::kLibrary}) {
      SCOPED_TRACE(std::string(c.label) + (route == mrv::StatisticsEngine::Route::kLibrary ? " (library)" : ""));
      mrv::StatisticsEngine engine(*alphabets().code, route);
      auto in = makeContainer(c.ingroup);
      auto out = outgroupOf(c.outgroup);
      const auto tables = mrv::mcDonaldKreitmanTables(*mrv::mergeIngroupAndOutgroup(*in, *out), engine, {0.0, 0.2});
      EXPECT_EQ(c.all, tables[0]);
      EXPECT_EQ(c.above02, tables[1]);
      EXPECT_EQ(c.above02, mrv::mcDonaldKreitmanTable(*in, *out, engine, 0.2));
    }
  // The library itself loses the synonymous difference of the last-but-two contig.
  auto in = makeContainer(pairedSequences({"AAACTTCTT", "AACCTTCTT"}));
  EXPECT_EQ((Table{1, 0, 2, 0}), bpp::SequenceStatistics::mkTable(*in, *outgroupOf("AGCCTCCCT"), *alphabets().code));
}

// Polymorphisms equal the library's table; fixed differences equal the sum of the library's
// one-site tables, a site below zero counting 0.
TEST(McDonaldKreitman, RandomContigsAgreeWithTheLibrarySiteBySite) {
  std::mt19937 rng(4242);
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto noStop = [&](std::function<int()> draw) {
    int c;
    do c = draw();
    while (c == 48 || c == 50 || c == 56);
    return c;
  };
  auto mutate = [&](int codon) {  // one or two positions changed
    return noStop([&] {
      int c = codon;
      for (int m = uniform(1, 2); m > 0; --m) {
        const int weight = std::vector<int>{16, 4, 1}[uniform(0, 2)];
        c += (uniform(0, 3) - (c / weight) % 4) * weight;
      }
      return c;
    });
  };
  auto build = [](const std::vector<std::vector<int> >& rows, const std::string& prefix, int site) {
    std::unique_ptr<bpp::PolymorphismSequenceContainer> c(new bpp::PolymorphismSequenceContainer(alphabets().codon));
    for (size_t i = 0; i < rows.size(); ++i)
      c->addSequenceWithFrequency(bpp::BasicSequence(prefix + std::to_string(i),
                                                     site < 0 ? rows[i] : std::vector<int>{rows[i][site]},
                                                     alphabets().codon), 1);
    return c;
  };
  int wrapped = 0;
  mrv::StatisticsEngine engine(*alphabets().code);
  for (int trial = 0; trial < 150; ++trial) {
    const int nb_in = uniform(2, 7), nb_sites = uniform(1, 8);
    std::vector<std::vector<int> > in_codes(nb_in, std::vector<int>(nb_sites)), out_codes(uniform(1, 2), in_codes[0]);
    for (int s = 0; s < nb_sites; ++s) {
      const int base = noStop([&] { return uniform(0, 63); }), variant = mutate(base), other = mutate(base);
      for (auto& row : in_codes) row[s] = uniform(0, 2) == 0 ? variant : base;
      for (auto& row : out_codes) row[s] = uniform(0, 1) == 0 ? other : variant;
      if (uniform(0, 9) == 0) in_codes[uniform(0, nb_in - 1)][s] = uniform(0, 1) == 0 ? -1 : 65;
    }
    auto in = build(in_codes, "in", -1), out = build(out_codes, "out", -1);
    SCOPED_TRACE("trial " + std::to_string(trial));
    for (double f : {0.0, 0.2}) {
      const Table lib = bpp::SequenceStatistics::mkTable(*in, *out, *alphabets().code, f);
      Table expected{lib[0], lib[1], 0, 0};
      for (int s = 0; s < nb_sites; ++s) {
        const Table site = bpp::SequenceStatistics::mkTable(*build(in_codes, "in", s), *build(out_codes, "out", s),
                                                            *alphabets().code, f);
        wrapped += site[2] > 3 || site[3] > 3;
        expected[2] += site[2] > 3 ? 0 : site[2];
        expected[3] += site[3] > 3 ? 0 : site[3];
      }
      EXPECT_EQ(expected, mrv::mcDonaldKreitmanTable(*in, *out, engine, f));
    }
  }
  EXPECT_GT(wrapped, 0);
}

TEST(McDonaldKreitman, AnalysisStoresTheEightCountsWithDebugLines) {
  struct Case {
    Records ingroup;
    const char* outgroup;
    unsigned int kappa;
    std::vector<int> stored;  // fixN fixS polymN_0 polymS_0 polymN_02 polymS_02 MK_nN MK_nS
    std::string all, above02;
  };
  const Case cases[] = {
      // nS = 4 + 1/3, nN = 15 - nS = 10.67: truncated, not rounded.
      {kFour, kFourOut, 1, {1, 1, 1, 1, 1, 1, 10, 4}, "pn=1 ps=1 dn=1 ds=1", "pn=1 ps=1 dn=1 ds=1"},
      // nS = 3 + 2 x 2/3 = 4.33 (3.67 at kappa 1), nN = 10.67.
      {kSix, kSixOut, 4, {0, 1, 1, 1, 1, 0, 10, 4}, "pn=1 ps=1 dn=0 ds=1", "pn=1 ps=0 dn=0 ds=1"},
  };
  testsupport::TempDir dir;
  mrv::Population pop(dir.write("pop.txt", "All;ind0;ind1;ind2\n"));
  mrv::StatisticsEngine engine(*alphabets().code);
  for (const Case& c : cases) {
    auto in = makeContainer(c.ingroup);
    auto out = outgroupOf(c.outgroup);
    for (bool debug : {true, false}) {
      ResultsWarehouse store(&pop, 4);
      testing::internal::CaptureStdout();
      mcDonaldKreitmanAnalysis(in.get(), out.get(), &store, c.kappa, alphabets().codon, engine, debug);
      const std::string text = testing::internal::GetCapturedStdout();
      std::vector<std::string> lines;
      if (debug)
        lines = {"(DEBUG - mcDonaldKreitmanAnalysis) MK table (all SNPs): " + c.all,
                 "(DEBUG - mcDonaldKreitmanAnalysis) MK table (freq<0.2): " + c.above02};
      EXPECT_EQ(lines, testsupport::splitLines(text));
      EXPECT_EQ(c.stored, (std::vector<int>{store.get_fixN(), store.get_fixS(), store.get_polymN_0(),
                                            store.get_polymS_0(), store.get_polymN_02(), store.get_polymS_02(),
                                            store.get_MK_nN(), store.get_MK_nS()}));
    }
    EXPECT_EQ(c.ingroup.size(), in->getNumberOfSequences());  // the containers given are left unchanged
    EXPECT_EQ(1u, out->getNumberOfSequences());
  }
  for (const auto& c : std::vector<std::pair<double, int> >{{12.9, 12}, {35.2, 35}, {0.99, 0}, {7.0, 7}})
    EXPECT_EQ(c.second, mrv::truncateSiteNumber(c.first));
}
