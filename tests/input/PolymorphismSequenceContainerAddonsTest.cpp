#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Text/StringTokenizer.h>

#include <functional>
#include <map>
#include <random>
#include <set>

#include "TestSupport.h"
#include "input/PolymorphismSequenceContainerAddons.h"
#include "run/FatalError.h"

namespace {

using Addons = mrv::PolymorphismSequenceContainerAddons;
using testsupport::coutLines;
using testsupport::Lines;
using testsupport::Records;

TEST(PolymorphismSequenceContainerAddons, NameFieldsOfContainerSequences) {
  testsupport::Alphabets a;
  auto c = testsupport::makeContainer(a.codon, Records{{"C1|SpA|Ind1|1", "AAA"}, {"C1", "AAA"}, {"C1|SpA", "AAA"}, {"C1||SpA|Ind1", "AAA"},
                          {"|C2|SpB|", "AAA"}, {"|", "AAA"}});
  const Lines expected[] = {{"C1", "SpA", "Ind1"}, {"C1", "C1", "C1"}, {"C1", "SpA", "C1"},
                            {"C1", "SpA", "Ind1"}, {"C2", "SpB", "C2"}};
  for (unsigned int i = 0; i < 5; ++i)
    EXPECT_EQ(Lines({Addons::getContigNameFromContainer(c.get(), i), Addons::getSpeciesNameFromContainer(c.get(), i),
                     Addons::getIndividualNameFromContainer(c.get(), i)}),
              expected[i]);
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "|", 2, 4), Lines({"C1", "SpA"}));
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "|", 0, 3), Lines({"C1", "SpA", "Ind1"}));
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "|", 0, 0), Lines{});
  EXPECT_EQ(Addons::getNameElementsFromContainer(c.get(), "_", 0, 4), Lines({"C1|SpA|Ind1|1"}));
  try {
    Addons::getIndividualNameFromContainer(c.get(), 5);  // a name without any field
    ADD_FAILURE();
  } catch (const bpp::Exception& e) {
    EXPECT_EQ(std::string(e.what()), "No more token in tokenizer.");
  }
}

TEST(PolymorphismSequenceContainerAddons, NameGettersThrowOnBadIndexOrEmptyContainer) {
  testsupport::Alphabets a;
  auto five = testsupport::makeContainer(a.codon, Records{{"a", "AAA"}, {"b", "AAA"}, {"c", "AAA"}, {"d", "AAA"}, {"e", "AAA"}});
  auto empty = testsupport::makeContainer(a.codon, Records());
  using Report = FatalError::Report;
  const std::string bad = "Selected index does not exists in the container !!";
  const std::string no_individual = "Selected container is empty ! Individual name can't be extracted !";
  const struct {
    std::function<void()> call;
    Report report;
    std::string message;
  } cases[] = {
      {[&] { Addons::getIndividualNameFromContainer(five.get(), 5); }, Report::kError, bad},
      {[&] { Addons::getContigNameFromContainer(five.get(), 7); }, Report::kError, bad},
      {[&] { Addons::getSpeciesNameFromContainer(five.get(), 5); }, Report::kError, bad},
      {[&] { Addons::getNameElementsFromContainer(five.get(), "|", 5, 2); }, Report::kError, bad},
      {[&] { Addons::getContigNameFromContainer(empty.get(), 0); }, Report::kError,
       "Selected container is empty ! Contig name can't be extracted !"},
      {[&] { Addons::getSpeciesNameFromContainer(empty.get(), 0); }, Report::kError,
       "Selected container is empty ! Species name can't be extracted !"},
      {[&] { Addons::getIndividualNameFromContainer(empty.get(), 0); }, Report::kWarning, no_individual},
      {[&] { Addons::getNameElementsFromContainer(empty.get(), "|", 0, 3); }, Report::kWarning, no_individual},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "no FatalError: " << c.message;
    } catch (const FatalError& e) {
      EXPECT_EQ(e.message(), c.message);
      EXPECT_TRUE(e.report() == c.report && e.status() == 1 && !e.goodbye()) << c.message;
    }
  }
}

TEST(PolymorphismSequenceContainerAddons, TaggingAndGroupCounts) {
  testsupport::Alphabets a;
  auto c = testsupport::makeContainer(a.codon, Records{{"C1|SpA|i1|1", "AAA"}, {"C1|SpB|o1|1", "AAA"}, {"C1|none|n1|1", "AAA"}});
  const std::string tag = "(DEBUG - tagAllSequences) Sequence: C1|";
  EXPECT_EQ(coutLines([&] { Addons::tagAllSequences(c.get(), "SpA", true, "none"); }),
            Lines({tag + "SpA|i1|1 is part of the ingroup", tag + "SpB|o1|1 is part of the outgroup (other species)",
                   tag + "none|n1|1 is part of the outgroup (main outgroup species)"}));
  EXPECT_EQ(std::vector<size_t>({c->getGroupId(0), c->getGroupId(1), c->getGroupId(2)}), std::vector<size_t>({0, 2, 1}));
  EXPECT_TRUE(c->isIngroupMember(0) && !c->isIngroupMember(1) && !c->isIngroupMember(2));
  Addons::tagAllSequences(c.get(), "SpB", false, "SpB");  // the focal test comes first
  EXPECT_TRUE(c->getGroupId(1) == 0 && c->isIngroupMember(1) && !c->isIngroupMember(0));

  Addons::tagAllSequences(c.get(), "SpA", false, "SpX");
  std::map<unsigned int, unsigned int> counts;
  const std::string m = "(DEBUG - getNumberOfMembers) ";
  EXPECT_EQ(coutLines([&] { counts = Addons::getNumberOfMembers(c.get(), true); }),
            Lines({m + "Sequence C1|SpA|i1|1 is a member of group 0", m + "Sequence C1|SpB|o1|1 is a member of group 2",
                   m + "Sequence C1|none|n1|1 is a member of group 2", m + "Number of groups: 2",
                   m + "Group 0: 1 member(s)", m + "Group 2: 2 member(s)"}));
  EXPECT_EQ(counts, (std::map<unsigned int, unsigned int>{{0, 1}, {2, 2}}));
  auto empty = testsupport::makeContainer(a.codon, Records());
  testing::internal::CaptureStderr();
  EXPECT_TRUE(Addons::getNumberOfMembers(empty.get(), false).empty());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR!!! There is no group associated to your container !\n");
}

// Three sequences of n codons; column p holds codon (p - 1) % 48 (never a stop) but where a case
// puts a stop or frameshift codon {sequence, position, code}.
struct BadCodonCase {
  int n;
  unsigned int zone;
  bool allow;
  std::vector<std::vector<int>> bad;
  bool reject;
  int first, last;           // original columns kept (none when first > last)
  std::set<int> unresolved;  // kept columns turned into "NNN"
};

TEST(PolymorphismSequenceContainerAddons, BadCodonZones) {
  testsupport::Alphabets a;
  const BadCodonCase cases[] = {
      {30, 10, false, {{0, 10, 48}}, false, 11, 30, {}},               // left zone
      {30, 10, false, {{1, 21, 50}}, false, 1, 20, {}},                // right zone
      {30, 10, false, {{2, 11, 56}}, true, 1, 30, {}},                 // core, rejected
      {30, 10, true, {{2, 11, 56}}, false, 1, 30, {11}},               // core, replaced
      {30, 20, false, {{0, 20, 48}, {1, 21, 48}}, false, 1, 0, {}},    // zones overlap
      {5, 20, false, {{0, 5, 64}}, false, 1, 0, {}},                   // zone wider than the alignment
      {30, 0, true, {{0, 1, 48}, {1, 30, 64}}, false, 1, 30, {1, 30}}, // no zone
      {30, 5, false, {{0, 27, 48}, {0, 29, 48}}, false, 1, 26, {}},    // first right-zone codon counts
      {30, 5, true, {{0, 25, 48}}, false, 1, 30, {25}},                // just before the right zone
      {30, 10, false, {{0, 2, 48}, {1, 11, 48}, {2, 29, 48}}, true, 1, 30, {}},  // rejected untouched
      {30, 4294967295u, true, {{0, 1, 48}}, false, 1, 30, {1}},        // negative zone: all core
      {30, 10, true, {{0, 11, 48}, {1, 11, 64}}, false, 1, 30, {11}},  // replaced column seen by later ones
      {30, 10, true, {{0, 3, 48}, {1, 7, 64}, {2, 25, 48}, {0, 22, 56}, {2, 15, 48}, {2, 28, 64}}, false, 8, 21, {15}},
  };
  int label = 0;
  for (const BadCodonCase& k : cases) {
    ++label;
    std::vector<std::vector<int>> values(3, std::vector<int>(k.n));
    for (auto& row : values)
      for (int p = 1; p <= k.n; ++p) row[p - 1] = (p - 1) % 48;
    for (const auto& b : k.bad) values[b[0]][b[1] - 1] = b[2];
    Records records;
    for (const auto& row : values) {
      records.push_back({"s" + std::to_string(records.size()), ""});
      for (int v : row) records.back().second += a.codon.intToChar(v);
    }
    auto c = testsupport::makeContainer(a.codon, records);
    EXPECT_EQ(Addons::dealWithBadCodons(c.get(), &a.codon, k.zone, k.allow, false), k.reject) << label;
    const int kept = k.first > k.last ? 0 : k.last - k.first + 1;
    ASSERT_EQ(c->getNumberOfSites(), static_cast<size_t>(kept)) << label;
    for (int j = 0; j < kept; ++j)
      for (size_t s = 0; s < 3; ++s)
        EXPECT_EQ(c->valueAt(s, j), k.unresolved.count(k.first + j) ? 65 : values[s][k.first + j - 1])
            << label << " column " << k.first + j;
  }
}

TEST(PolymorphismSequenceContainerAddons, HighlyGappedSequencesAndGroupsRemoved) {
  testsupport::Alphabets a;
  auto c = testsupport::makeContainer(a.codon, Records{{"a", "AAA---AAANNN"}, {"b", "AAA---NNNNNN"}, {"c", "!!!!!!!!!!!!"}, {"d", "------AAAAAA"}});  // halves kept, frameshifts are no gaps
  const std::string d = "(DEBUG - removeHighlyGappedSequences) Sequence ";
  EXPECT_EQ(coutLines([&] { Addons::removeHighlyGappedSequences(c.get(), &a.codon, 0.5, true); }),
            Lines({d + "b will be removed (75 % of gaps or N bases)"}));
  EXPECT_EQ(c->getSequencesNames(), Lines({"a", "c", "d"}));
  auto thirds = testsupport::makeContainer(a.codon, Records{{"x", "---AAAAAA"}, {"y", "---NNNAAA"}});
  EXPECT_EQ(coutLines([&] { Addons::removeHighlyGappedSequences(thirds.get(), &a.codon, 0.5, true); }),
            Lines({d + "y will be removed (66.6667 % of gaps or N bases)"}));
  auto noSite = testsupport::makeContainer(a.codon, Records{{"x", ""}, {"y", ""}});
  Addons::removeHighlyGappedSequences(noSite.get(), &a.codon, 0.0, false);
  EXPECT_EQ(noSite->getNumberOfSequences(), 2u);

  auto g = testsupport::makeContainer(a.codon, Records{{"C|A|a|1", "AAA"}, {"C|B|b|1", "CCC"}, {"C|A|a|2", "GGG"}, {"C|B|c|1", "TTT"}});
  Addons::tagAllSequences(g.get(), "A", false, "none");
  const std::string r = "(DEBUG - removeGroupFromContainer) Sequence C|B|";
  EXPECT_EQ(coutLines([&] { Addons::removeGroupFromContainer(g.get(), 2, true); }),
            Lines({r + "c|1 will be removed (Member of group 2)", r + "b|1 will be removed (Member of group 2)"}));
  EXPECT_EQ(g->toString(0) + g->toString(1), "AAAGGG");
  EXPECT_EQ(g->getGroupId(1), 0u);
  EXPECT_EQ(Addons::generateValidUnknownSite(g.get(), &a.codon).toString(), "NNNNNN");
}

// On names of every shape (empty fields, leading and trailing "|", fewer fields than asked) the
// fields read are the tokenizer's.
TEST(PolymorphismSequenceContainerAddons, NameFieldsAreTheTokenizers) {
  std::mt19937 rng(11);
  const std::string letters = "ab|_";
  for (int trial = 0; trial < 3000; ++trial) {
    std::string name;
    for (int k = std::uniform_int_distribution<int>(1, 12)(rng); k > 0; --k)
      name += letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(rng)];
    bpp::StringTokenizer tokens(name, "|", false, false);
    const size_t count = tokens.numberOfRemainingTokens();
    SCOPED_TRACE(name);
    if (count == 0) {
      EXPECT_THROW(Addons::getContigNameFromName(name), bpp::Exception);
      EXPECT_THROW(Addons::getIndividualNameFromName(name), bpp::Exception);
      continue;
    }
    EXPECT_EQ(tokens.getToken(0), Addons::getContigNameFromName(name));
    EXPECT_EQ(tokens.getToken(count >= 2 ? 1 : 0), Addons::getSpeciesNameFromName(name));
    EXPECT_EQ(tokens.getToken(count >= 3 ? 2 : 0), Addons::getIndividualNameFromName(name));
    std::vector<std::string> fields;
    for (size_t k = 0; k < std::min<size_t>(count, 3); ++k) fields.push_back(tokens.getToken(k));
    EXPECT_EQ(fields, Addons::getNameElementsFromName(name, "|", 3));
  }
}

}  // namespace
