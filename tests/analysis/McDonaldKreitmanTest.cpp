#include <gtest/gtest.h>

#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Sequence.h>

#include <random>
#include <string>
#include <vector>

#include "CodonContigSupport.h"
#include "TestSupport.h"
#include "analysis/McDonaldKreitman.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"

using analysistest::alphabets;
using analysistest::makeContainer;
using analysistest::Records;
using analysistest::seqName;

namespace {

using Table = std::vector<unsigned int>;

Records ingroupOf(std::initializer_list<const char*> texts) {
  Records r;
  int i = 0;
  for (const char* t : texts) r.emplace_back(seqName("ind" + std::to_string(i / 2), i % 2 + 1), t), ++i;
  return r;
}

std::unique_ptr<bpp::PolymorphismSequenceContainer> outgroupOf(const char* consensus) {
  return makeContainer({{"Outgroup_consensus", consensus}});
}

// Sites, one codon column each: ds a synonymous fixed difference (Leu CTT / CTC), dn a
// non-synonymous one (Leu CTT / Pro CCT); ps, pn polymorphisms of each kind; GAT (Asp) has 1/3
// synonymous site at kappa 1 and 2/3 at kappa 4, Leu and Pro codons one.
const Records kFourIngroup =
    ingroupOf({"CTTCTTCTTCTTGAT", "CTTCTTCTTCTTGAT", "CTTCTTCTTCTTGAT", "CTTCTTCTCCCTGAT"});
const char* const kFourOutgroup = "CTCCCTCTTCTTGAT";
// Six sequences: a synonymous polymorphism at 1/6 (below 0.2), a non-synonymous one at 2/6, a
// synonymous fixed difference (CTT / CTA) and two GAT sites.
const Records kSixIngroup = ingroupOf({"CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT", "CTTCTTCTTGATGAT",
                                       "CTTCCTCTTGATGAT", "CTCCCTCTTGATGAT"});
const char* const kSixOutgroup = "CTTCTTCTAGATGAT";

}  // namespace

TEST(McDonaldKreitman, TablesOfHandBuiltContigs) {
  struct Case {
    const char* label;
    Records ingroup;
    const char* outgroup;
    Table all, above02;  // {pn, ps, dn, ds}
  };
  const Case cases[] = {
      {"one fixed difference and one polymorphism of each kind", kFourIngroup, kFourOutgroup, {1, 1, 1, 1},
       {1, 1, 1, 1}},
      {"synonymous polymorphism at 1/6 only without a minimum frequency", kSixIngroup, kSixOutgroup, {1, 1, 0, 1},
       {1, 0, 0, 1}},
      // Consensus codons CTA / TTG differ at positions 1 and 3, position 1 polymorphic: no
      // non-synonymous fixed difference (not 4294967295).
      {"first and third positions differ, first polymorphic", ingroupOf({"CTA", "CTA", "TTA"}), "TTG", {0, 1, 0, 1},
       {0, 1, 0, 1}},
      // The library's per-site synonymous count falls below zero here: the site counts 0.
      {"smallest site whose count goes below zero", ingroupOf({"AAA", "AAC"}), "AGC", {1, 0, 1, 0}, {1, 0, 1, 0}},
      {"that site among two fixed differences", ingroupOf({"AAACTTCTT", "AACCTTCTT"}), "AGCCTCCCT", {1, 0, 2, 1},
       {1, 0, 2, 1}},
      // Sites with a gap or NNN anywhere are left out.
      {"incomplete sites left out", ingroupOf({"CTT---CTT", "CTTCTTNNN"}), "CTCCCTCCT", {0, 0, 0, 1}, {0, 0, 0, 1}},
      {"no complete site", ingroupOf({"NNNCTT", "CTT---"}), "CTCCCT", {0, 0, 0, 0}, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto in = makeContainer(c.ingroup);
    auto out = outgroupOf(c.outgroup);
    auto merged = mrv::mergeIngroupAndOutgroup(*in, *out);
    const auto tables = mrv::mcDonaldKreitmanTables(*merged, *alphabets().code, {0.0, 0.2});
    EXPECT_EQ(c.all, tables[0]);
    EXPECT_EQ(c.above02, tables[1]);
    EXPECT_EQ(c.above02, mrv::mcDonaldKreitmanTable(*in, *out, *alphabets().code, 0.2));
  }
}

// The library's own table wraps on the two contigs above; ours is one higher there.
TEST(McDonaldKreitman, LibraryTableWrapsWhereOursClamps) {
  auto in = makeContainer(ingroupOf({"AAA", "AAC"}));
  auto out = outgroupOf("AGC");
  EXPECT_EQ(4294967295u, bpp::SequenceStatistics::mkTable(*in, *out, *alphabets().code, 0.0)[3]);
  in = makeContainer(ingroupOf({"AAACTTCTT", "AACCTTCTT"}));
  out = outgroupOf("AGCCTCCCT");
  EXPECT_EQ((Table{1, 0, 2, 0}), bpp::SequenceStatistics::mkTable(*in, *out, *alphabets().code, 0.0));
}

// On random contigs the polymorphism counts equal the library's table and the fixed differences
// equal the sum over the sites of the library's one-site tables, a site below zero counting 0.
TEST(McDonaldKreitman, RandomContigsAgreeWithTheLibrarySiteBySite) {
  std::mt19937 rng(4242);
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto isStop = [](int c) { return c == 48 || c == 50 || c == 56; };
  auto randomCodon = [&] {
    int c;
    do c = uniform(0, 63);
    while (isStop(c));
    return c;
  };
  auto mutate = [&](int codon) {  // one or two positions changed, never a stop codon
    int c;
    do {
      c = codon;
      for (int m = uniform(1, 2); m > 0; --m) {
        const int pos = uniform(0, 2), weight = pos == 0 ? 16 : pos == 1 ? 4 : 1;
        c += (uniform(0, 3) - (c / weight) % 4) * weight;
      }
    } while (isStop(c));
    return c;
  };
  int wrapped_sites = 0;
  for (int trial = 0; trial < 150; ++trial) {
    const int nb_in = uniform(2, 7), nb_out = uniform(1, 2), nb_sites = uniform(1, 8);
    std::vector<std::vector<int> > in_codes(nb_in, std::vector<int>(nb_sites)), out_codes(nb_out, in_codes[0]);
    for (int s = 0; s < nb_sites; ++s) {
      const int base = randomCodon();
      const int variant = mutate(base), other = mutate(base);
      for (auto& row : in_codes) row[s] = uniform(0, 2) == 0 ? variant : base;
      for (auto& row : out_codes) row[s] = uniform(0, 1) == 0 ? other : variant;
      if (uniform(0, 9) == 0) in_codes[uniform(0, nb_in - 1)][s] = uniform(0, 1) == 0 ? -1 : 65;
    }
    auto build = [](const std::vector<std::vector<int> >& rows, const std::string& prefix, int site) {
      std::unique_ptr<bpp::PolymorphismSequenceContainer> c(new bpp::PolymorphismSequenceContainer(alphabets().codon));
      for (size_t i = 0; i < rows.size(); ++i) {
        std::vector<int> codes = site < 0 ? rows[i] : std::vector<int>{rows[i][site]};
        c->addSequenceWithFrequency(bpp::BasicSequence(prefix + std::to_string(i), codes, alphabets().codon), 1, true);
      }
      return c;
    };
    auto in = build(in_codes, "in", -1), out = build(out_codes, "out", -1);
    SCOPED_TRACE("trial " + std::to_string(trial));
    for (double f : {0.0, 0.2}) {
      const Table lib = bpp::SequenceStatistics::mkTable(*in, *out, *alphabets().code, f);
      const Table ours = mrv::mcDonaldKreitmanTable(*in, *out, *alphabets().code, f);
      EXPECT_EQ(lib[0], ours[0]);
      EXPECT_EQ(lib[1], ours[1]);
      unsigned int dn = 0, ds = 0;
      for (int s = 0; s < nb_sites; ++s) {
        auto in_s = build(in_codes, "in", s), out_s = build(out_codes, "out", s);
        const Table site = bpp::SequenceStatistics::mkTable(*in_s, *out_s, *alphabets().code, f);
        if (site[2] > 3 || site[3] > 3) ++wrapped_sites;
        dn += site[2] > 3 ? 0 : site[2];
        ds += site[3] > 3 ? 0 : site[3];
      }
      EXPECT_EQ(dn, ours[2]);
      EXPECT_EQ(ds, ours[3]);
    }
  }
  EXPECT_GT(wrapped_sites, 0);
}

TEST(McDonaldKreitman, AnalysisStoresTheEightCountsWithDebugLines) {
  struct Case {
    const char* label;
    Records ingroup;
    const char* outgroup;
    unsigned int kappa;
    std::vector<int> stored;  // fixN fixS polymN_0 polymS_0 polymN_02 polymS_02 MK_nN MK_nS
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      // nS = 4 + 1/3, nN = 15 - nS = 10.67: truncated, not rounded.
      {"four sequences, kappa 1", kFourIngroup, kFourOutgroup, 1, {1, 1, 1, 1, 1, 1, 10, 4},
       {"(DEBUG - mcDonaldKreitmanAnalysis) MK table (all SNPs): pn=1 ps=1 dn=1 ds=1",
        "(DEBUG - mcDonaldKreitmanAnalysis) MK table (freq<0.2): pn=1 ps=1 dn=1 ds=1"}},
      // nS = 3 + 2 x 4/6 = 4.33 (3.67 at kappa 1), nN = 10.67.
      {"six sequences, kappa 4", kSixIngroup, kSixOutgroup, 4, {0, 1, 1, 1, 1, 0, 10, 4},
       {"(DEBUG - mcDonaldKreitmanAnalysis) MK table (all SNPs): pn=1 ps=1 dn=0 ds=1",
        "(DEBUG - mcDonaldKreitmanAnalysis) MK table (freq<0.2): pn=1 ps=0 dn=0 ds=1"}},
  };
  testsupport::TempDir dir;
  mrv::Population pop(dir.write("pop.txt", "All;ind0;ind1;ind2\n"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto in = makeContainer(c.ingroup);
    auto out = outgroupOf(c.outgroup);
    ResultsWarehouse store(&pop, 4);
    testing::internal::CaptureStdout();
    mcDonaldKreitmanAnalysis(in.get(), out.get(), &store, c.kappa, alphabets().codon, alphabets().code, true);
    EXPECT_EQ(c.lines, testsupport::splitLines(testing::internal::GetCapturedStdout()));
    EXPECT_EQ(c.stored, (std::vector<int>{store.get_fixN(), store.get_fixS(), store.get_polymN_0(),
                                          store.get_polymS_0(), store.get_polymN_02(), store.get_polymS_02(),
                                          store.get_MK_nN(), store.get_MK_nS()}));
    // The containers handed in are left as they were.
    EXPECT_EQ(c.ingroup.size(), in->getNumberOfSequences());
    EXPECT_EQ(1u, out->getNumberOfSequences());

    testing::internal::CaptureStdout();
    ResultsWarehouse quiet(&pop, 4);
    mcDonaldKreitmanAnalysis(in.get(), out.get(), &quiet, c.kappa, alphabets().codon, alphabets().code, false);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
  }
}

TEST(McDonaldKreitman, SiteNumbersAreTruncatedTowardZero) {
  const std::pair<double, int> cases[] = {{12.9, 12}, {35.2, 35}, {0.99, 0}, {7.0, 7}, {0.0, 0}};
  for (const auto& c : cases) EXPECT_EQ(c.second, mrv::truncateSiteNumber(c.first)) << c.first;
}
