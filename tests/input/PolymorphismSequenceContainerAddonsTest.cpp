#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ContainerTestSupport.h"
#include "TestSupport.h"
#include "input/PolymorphismSequenceContainerAddons.h"

namespace {

using Addons = mrv::PolymorphismSequenceContainerAddons;
using inputtest::Alphabets;
using inputtest::CoutCapture;
using inputtest::makeContainer;
using inputtest::Records;
using testsupport::splitLines;

TEST(ContainerAddons, NameFields) {
  Alphabets a;
  auto c = makeContainer({{"C1|SpA|Ind1|1", "AAA"},
                          {"C1", "AAA"},
                          {"C1|SpA", "AAA"},
                          {"C1||SpA|Ind1", "AAA"},
                          {"|C2|SpB|", "AAA"},
                          {"|", "AAA"}},
                         &a.codon);
  const struct { unsigned int index; const char* contig; const char* species; const char* ind; }
  rows[] = {{0, "C1", "SpA", "Ind1"},
            {1, "C1", "C1", "C1"},
            {2, "C1", "SpA", "C1"},
            {3, "C1", "SpA", "Ind1"},
            {4, "C2", "SpB", "C2"}};
  for (const auto& r : rows) {
    EXPECT_EQ(Addons::getContigNameFromContainer(c.get(), r.index), r.contig) << r.index;
    EXPECT_EQ(Addons::getSpeciesNameFromContainer(c.get(), r.index), r.species) << r.index;
    EXPECT_EQ(Addons::getIndividualNameFromContainer(c.get(), r.index), r.ind) << r.index;
  }
  using V = std::vector<std::string>;
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "|", 2, 4), (V{"C1", "SpA"}));
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "|", 0, 3), (V{"C1", "SpA", "Ind1"}));
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "|", 0, 0), V{});
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "_", 0, 4), (V{"C1|SpA|Ind1|1"}));
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "|", 5, 4), V{});
  for (int which = 0; which < 3; ++which) {
    try {
      if (which == 0) Addons::getContigNameFromContainer(c.get(), 5);
      if (which == 1) Addons::getSpeciesNameFromContainer(c.get(), 5);
      if (which == 2) Addons::getIndividualNameFromContainer(c.get(), 5);
      ADD_FAILURE() << "a name without field was read";
    } catch (const bpp::Exception& e) {
      EXPECT_EQ(std::string(e.what()), "No more token in tokenizer.");
    }
  }
}

// Runs `f` with standard output sent to standard error, so that a death test sees warnings too.
template <class F>
void withCoutOnCerr(F f) {
  std::cout.rdbuf(std::cerr.rdbuf());
  f();
}

TEST(ContainerAddonsDeathTest, NameGettersEndTheProcessOnBadIndexOrEmptyContainer) {
  Alphabets a;
  auto five = makeContainer(
      {{"a|S|1|1", "AAA"}, {"b|S|1|2", "AAA"}, {"c|S|2|1", "AAA"}, {"d|S|2|2", "AAA"}, {"e", "AAA"}},
      &a.codon);
  auto empty = makeContainer({}, &a.codon);
  const std::string bad = "^ERROR!!! Selected index does not exists in the container !!\n$";
  EXPECT_EXIT(Addons::getIndividualNameFromContainer(five.get(), 5), testing::ExitedWithCode(1), bad);
  EXPECT_EXIT(Addons::getContigNameFromContainer(five.get(), 7), testing::ExitedWithCode(1), bad);
  EXPECT_EXIT(Addons::getSpeciesNameFromContainer(five.get(), 5), testing::ExitedWithCode(1), bad);
  EXPECT_EXIT(Addons::getNameElementsFromContainer(five.get(), "|", 5, 2),
              testing::ExitedWithCode(1), bad);
  EXPECT_EXIT(Addons::getContigNameFromContainer(empty.get(), 0), testing::ExitedWithCode(1),
              "^ERROR!!! Selected container is empty ! Contig name can't be extracted !\n$");
  EXPECT_EXIT(Addons::getSpeciesNameFromContainer(empty.get(), 0), testing::ExitedWithCode(1),
              "^ERROR!!! Selected container is empty ! Species name can't be extracted !\n$");
  EXPECT_EXIT(withCoutOnCerr([&] { Addons::getIndividualNameFromContainer(empty.get(), 0); }),
              testing::ExitedWithCode(1),
              "^WARNING!!! Selected container is empty ! Individual name can't be extracted !\n$");
  EXPECT_EXIT(
      withCoutOnCerr([&] { Addons::getNameElementsFromContainer(empty.get(), "|", 0, 3); }),
      testing::ExitedWithCode(1),
      "^WARNING!!! Selected container is empty ! Individual name can't be extracted !\n$");
}

TEST(ContainerAddons, TaggingAndGroupCounts) {
  Alphabets a;
  auto c = makeContainer({{"C1|SpA|i1|1", "AAA"},
                          {"C1|SpB|o1|1", "AAA"},
                          {"C1|none|n1|1", "AAA"},
                          {"C1|SpA|i1|2", "AAA"},
                          {"C1|SpC|x1|1", "AAA"}},
                         &a.codon);
  std::string out;
  {
    CoutCapture cap;
    Addons::tagAllSequences(c.get(), "SpA", true, "none");
    out = cap.text();
  }
  EXPECT_EQ(splitLines(out),
            (std::vector<std::string>{
                "(DEBUG - tagAllSequences) Sequence: C1|SpA|i1|1 is part of the ingroup",
                "(DEBUG - tagAllSequences) Sequence: C1|SpB|o1|1 is part of the outgroup (other species)",
                "(DEBUG - tagAllSequences) Sequence: C1|none|n1|1 is part of the outgroup (main outgroup species)",
                "(DEBUG - tagAllSequences) Sequence: C1|SpA|i1|2 is part of the ingroup",
                "(DEBUG - tagAllSequences) Sequence: C1|SpC|x1|1 is part of the outgroup (other species)"}));
  const size_t groups[] = {0, 2, 1, 0, 2};
  const bool ingroup[] = {true, false, false, true, false};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(c->getGroupId(i), groups[i]) << i;
    EXPECT_EQ(c->isIngroupMember(i), ingroup[i]) << i;
  }
  // The focal test comes first: a species named both ways is the focal one.
  Addons::tagAllSequences(c.get(), "SpB", false, "SpB");
  EXPECT_EQ(c->getGroupId(1), 0u);
  EXPECT_TRUE(c->isIngroupMember(1));
  EXPECT_FALSE(c->isIngroupMember(0));
  EXPECT_EQ(c->getGroupId(2), 2u);

  Addons::tagAllSequences(c.get(), "SpA", false, "SpX");
  {
    CoutCapture cap;
    std::map<unsigned int, unsigned int> counts = Addons::getNumberOfMembers(c.get(), true);
    EXPECT_EQ(counts, (std::map<unsigned int, unsigned int>{{0, 2}, {2, 3}}));
    EXPECT_EQ(counts[1], 0u);
    EXPECT_EQ(splitLines(cap.text()),
              (std::vector<std::string>{
                  "(DEBUG - getNumberOfMembers) Sequence C1|SpA|i1|1 is a member of group 0",
                  "(DEBUG - getNumberOfMembers) Sequence C1|SpB|o1|1 is a member of group 2",
                  "(DEBUG - getNumberOfMembers) Sequence C1|none|n1|1 is a member of group 2",
                  "(DEBUG - getNumberOfMembers) Sequence C1|SpA|i1|2 is a member of group 0",
                  "(DEBUG - getNumberOfMembers) Sequence C1|SpC|x1|1 is a member of group 2",
                  "(DEBUG - getNumberOfMembers) Number of groups: 2",
                  "(DEBUG - getNumberOfMembers) Group 0: 2 member(s)",
                  "(DEBUG - getNumberOfMembers) Group 2: 3 member(s)"}));
  }
  auto empty = makeContainer({}, &a.codon);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Addons::getNumberOfMembers(empty.get(), false).empty());
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR!!! There is no group associated to your container !\n");
}

// Bad codons: three sequences of N codons; column p holds codon (p - 1) % 48 (never a stop), but
// where a case puts a stop or frameshift codon.
struct BadCodonCase {
  const char* label;
  int n;
  unsigned int zone;
  bool allow;
  std::vector<std::vector<int>> bad;  // {sequence, position from 1, code}
  bool reject;
  int first, last;           // original columns kept, from first to last (none when first > last)
  std::set<int> unresolved;  // kept columns turned into "NNN"
};

TEST(ContainerAddons, BadCodonZones) {
  Alphabets a;
  const std::vector<BadCodonCase> cases = {
      {"left zone", 30, 10, false, {{0, 10, 48}}, false, 11, 30, {}},
      {"right zone", 30, 10, false, {{1, 21, 50}}, false, 1, 20, {}},
      {"core rejected", 30, 10, false, {{2, 11, 56}}, true, 1, 30, {}},
      {"core replaced", 30, 10, true, {{2, 11, 56}}, false, 1, 30, {11}},
      {"zones overlap", 30, 20, false, {{0, 20, 48}, {1, 21, 48}}, false, 1, 0, {}},
      {"zone wider than alignment", 5, 20, false, {{0, 5, 64}}, false, 1, 0, {}},
      {"no zone", 30, 0, true, {{0, 1, 48}, {1, 30, 64}}, false, 1, 30, {1, 30}},
      {"first right-zone codon counts", 30, 5, false, {{0, 27, 48}, {0, 29, 48}}, false, 1, 26, {}},
      {"just before the right zone", 30, 5, true, {{0, 25, 48}}, false, 1, 30, {25}},
      {"reject keeps zone codons", 30, 10, false, {{0, 2, 48}, {1, 11, 48}, {2, 29, 48}}, true, 1,
       30, {}},
      {"negative zone", 30, 4294967295u, true, {{0, 1, 48}}, false, 1, 30, {1}},
      {"replaced column seen by later sequences", 30, 10, true, {{0, 11, 48}, {1, 11, 64}}, false,
       1, 30, {11}},
      {"both zones and core", 30, 10, true,
       {{0, 3, 48}, {1, 7, 64}, {2, 25, 48}, {0, 22, 56}, {2, 15, 48}, {2, 28, 64}}, false, 8, 21,
       {15}},
  };
  for (const BadCodonCase& k : cases) {
    std::vector<std::vector<int>> values(3, std::vector<int>(k.n));
    for (auto& row : values)
      for (int p = 1; p <= k.n; ++p) row[p - 1] = (p - 1) % 48;
    for (const auto& b : k.bad) values[b[0]][b[1] - 1] = b[2];
    Records records;
    for (size_t s = 0; s < 3; ++s) {
      std::string text;
      for (int v : values[s]) text += a.codon.intToChar(v);
      records.push_back({"C|S|i" + std::to_string(s) + "|1", text});
    }
    auto c = makeContainer(records, &a.codon);
    EXPECT_EQ(Addons::dealWithBadCodons(c.get(), &a.codon, k.zone, k.allow, false), k.reject)
        << k.label;
    const int kept = k.first > k.last ? 0 : k.last - k.first + 1;
    ASSERT_EQ(c->getNumberOfSites(), static_cast<size_t>(kept)) << k.label;
    for (int j = 0; j < kept; ++j)
      for (size_t s = 0; s < 3; ++s) {
        const int column = k.first + j;
        const int expected = k.unresolved.count(column) ? 65 : values[s][column - 1];
        EXPECT_EQ(c->valueAt(s, static_cast<size_t>(j)), expected)
            << k.label << " column " << column << " sequence " << s;
      }
  }
}

TEST(ContainerAddons, BadCodonDebugLines) {
  Alphabets a;
  auto run = [&](const Records& r, unsigned int zone, bool allow) {
    auto c = makeContainer(r, &a.codon);
    CoutCapture cap;
    Addons::dealWithBadCodons(c.get(), &a.codon, zone, allow, true);
    return splitLines(cap.text());
  };
  const std::string filler(24 * 3, 'A');  // 24 codons AAA
  // 30 codons: 24 AAA, then codons 25 to 30 written out.
  EXPECT_EQ(run({{"x", filler + "AAAAAATAAAAATAGAAA"}}, 5, false),
            (std::vector<std::string>{
                "(DEBUG - dealWithBadCodons) Stop codon (Int Code: 48) detected in the tolerance zone (right side) ! (Position: 27 - Sequence: 1)",
                "(DEBUG - removeRightBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (right side): ignoring last 4 codons"}));
  EXPECT_EQ(run({{"x", "AAA!AAAAA" + filler.substr(9)}, {"y", "AAAAAATGA" + filler.substr(9)}}, 5,
                false),
            (std::vector<std::string>{
                "(DEBUG - dealWithBadCodons) FrameShift codon (Int Code: 64) detected in the tolerance zone (left side) ! (Position: 2 - Sequence: 1)",
                "(DEBUG - dealWithBadCodons) Stop codon (Int Code: 56) detected in the tolerance zone (left side) ! (Position: 3 - Sequence: 2)",
                "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (left side): ignoring first 3 codons"}));
  EXPECT_EQ(run({{"x", "AAATAAAAA"}, {"y", "AAATAGAAA"}}, 0, true),
            (std::vector<std::string>{
                "(DEBUG - dealWithBadCodons) Stop codon (Int Code: 48) detected in the core part of the sequence ! (Position: 2 - Sequence: 1)"}));
  EXPECT_EQ(run({{"x", "AAATAAAAA"}, {"y", "AAATAGAAA"}}, 0, false).size(), 2u);
}

TEST(ContainerAddons, TrimsOfWholeColumns) {
  Alphabets a;
  auto c = makeContainer({{"x", "AAAAACAAGAATACA"}, {"y", "CCCCCACCGCCTCAC"}}, &a.codon);
  Addons::removeLeftBadSites(c.get(), -1, false);
  Addons::removeRightBadSites(c.get(), -1, false);
  EXPECT_EQ(c->getNumberOfSites(), 5u);
  {
    CoutCapture cap;
    Addons::removeLeftBadSites(c.get(), 0, true);
    Addons::removeLeftBadSites(c.get(), 1, true);
    Addons::removeRightBadSites(c.get(), 2, true);
    EXPECT_EQ(splitLines(cap.text()),
              (std::vector<std::string>{
                  "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (left side): ignoring first 0 codons",
                  "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (left side): ignoring first 1 codons",
                  "(DEBUG - removeRightBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (right side): ignoring last 2 codons"}));
  }
  EXPECT_EQ(c->toString(0), "AACAAG");
  EXPECT_EQ(c->toString(1), "CCACCG");
  Addons::removeRightBadSites(c.get(), 2, false);
  EXPECT_EQ(c->getNumberOfSites(), 0u);
}

TEST(ContainerAddons, GappedSitesThresholds) {
  Alphabets a;
  // Sites: 0 all resolved; 1 one ingroup gap; 2 two ingroup unresolved; 3 outgroup gaps only;
  // 4 frameshift codons (not gap-or-N); 5 three ingroup gap-or-N.
  const Records r = {{"C|In|a|1", "AAA---NNNAAA!!!---"},
                     {"C|In|a|2", "AAAAAAAANAAA!!!NNN"},
                     {"C|In|b|1", "AAAAAAAAAAAA!!!A-A"},
                     {"C|Out|o|1", "---------------NNN"}};
  const struct { const char* focal; unsigned int g, m; std::vector<size_t> kept; } rows[] = {
      {"In", 3, 2, {0, 1, 3, 4}}, {"In", 3, 1, {0, 1, 2, 3, 4}}, {"In", 3, 3, {0, 3, 4}},
      {"In", 3, 0, {0, 1, 2, 3, 4, 5}}, {"In", 3, 4, {}}, {"Nobody", 0, 1, {}},
      {"Nobody", 0, 0, {0, 1, 2, 3, 4, 5}}};
  for (const auto& row : rows) {
    auto c = makeContainer(r, &a.codon);
    Addons::tagAllSequences(c.get(), row.focal, false, "Out");
    std::vector<std::string> before;
    for (size_t j = 0; j < c->getNumberOfSites(); ++j) before.push_back(c->getSite(j).toString());
    Addons::removeHighlyGappedSites(c.get(), &a.codon, row.g, row.m, false);
    ASSERT_EQ(c->getNumberOfSites(), row.kept.size()) << row.g << " " << row.m;
    for (size_t j = 0; j < row.kept.size(); ++j)
      EXPECT_EQ(c->getSite(j).toString(), before[row.kept[j]]) << row.m << " site " << j;
  }
  auto c = makeContainer(r, &a.codon);
  Addons::tagAllSequences(c.get(), "In", false, "Out");
  CoutCapture cap;
  Addons::removeHighlyGappedSites(c.get(), &a.codon, 3, 2, true);
  EXPECT_EQ(splitLines(cap.text()),
            (std::vector<std::string>{
                "(DEBUG - removeHighlyGappedSites) Site number 5 will be removed (3 sequence(s) with too much gaps or N bases)",
                "(DEBUG - removeHighlyGappedSites) Site number 2 will be removed (2 sequence(s) with too much gaps or N bases)"}));
}

TEST(ContainerAddons, GappedSequencesAndGroups) {
  Alphabets a;
  auto c = makeContainer({{"C|In|a|1", "AAA---AAANNN"},   // half: kept
                          {"C|In|a|2", "AAA---NNNNNN"},   // 3/4: removed
                          {"C|Out|o|1", "!!!!!!!!!!!!"},  // frameshifts are no gaps
                          {"C|In|b|1", "---AAANNNNNN"}},  // 3/4: removed
                         &a.codon);
  {
    CoutCapture cap;
    Addons::removeHighlyGappedSequences(c.get(), &a.codon, 0.5, true);
    EXPECT_EQ(splitLines(cap.text()),
              (std::vector<std::string>{
                  "(DEBUG - removeHighlyGappedSequences) Sequence C|In|b|1 will be removed (75 % of gaps or N bases)",
                  "(DEBUG - removeHighlyGappedSequences) Sequence C|In|a|2 will be removed (75 % of gaps or N bases)"}));
  }
  EXPECT_EQ(c->getSequencesNames(), (std::vector<std::string>{"C|In|a|1", "C|Out|o|1"}));
  auto thirds = makeContainer({{"x", "---AAAAAA"}, {"y", "---NNNAAA"}}, &a.codon);
  {
    CoutCapture cap;
    Addons::removeHighlyGappedSequences(thirds.get(), &a.codon, 0.5, true);
    EXPECT_EQ(cap.text(),
              "(DEBUG - removeHighlyGappedSequences) Sequence y will be removed (66.6667 % of gaps or N bases)\n");
  }
  EXPECT_EQ(thirds->getNumberOfSequences(), 1u);
  auto noSite = makeContainer({{"x", ""}, {"y", ""}}, &a.codon);
  Addons::removeHighlyGappedSequences(noSite.get(), &a.codon, 0.0, false);
  EXPECT_EQ(noSite->getNumberOfSequences(), 2u);

  auto g = makeContainer({{"C|A|a|1", "AAA"}, {"C|B|b|1", "CCC"}, {"C|A|a|2", "GGG"}, {"C|B|c|1", "TTT"}},
                         &a.codon);
  Addons::tagAllSequences(g.get(), "A", false, "none");
  CoutCapture cap;
  Addons::removeGroupFromContainer(g.get(), 2, true);
  EXPECT_EQ(splitLines(cap.text()),
            (std::vector<std::string>{
                "(DEBUG - removeGroupFromContainer) Sequence C|B|c|1 will be removed (Member of group 2)",
                "(DEBUG - removeGroupFromContainer) Sequence C|B|b|1 will be removed (Member of group 2)"}));
  EXPECT_EQ(g->getSequencesNames(), (std::vector<std::string>{"C|A|a|1", "C|A|a|2"}));
  EXPECT_EQ(g->getGroupId(1), 0u);
  EXPECT_EQ(g->toString(1), "GGG");
}

TEST(ContainerAddons, UnknownSite) {
  Alphabets a;
  auto c = makeContainer({{"x", "AAA"}, {"y", "CCC"}, {"z", "GGG"}}, &a.codon);
  const bpp::Site s = Addons::generateValidUnknownSite(c.get(), &a.codon);
  EXPECT_EQ(s.toString(), "NNNNNNNNN");
  EXPECT_EQ(s.getAlphabet(), &a.codon);
}

}  // namespace
