#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Text/StringTokenizer.h>

#include <functional>
#include <random>
#include <set>

#include "TestSupport.h"
#include "input/PolymorphismSequenceContainerAddons.h"
#include "run/FatalError.h"

namespace {

using Addons = mrv::PolymorphismSequenceContainerAddons;
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
  auto one = testsupport::makeContainer(a.codon, Records{{"a", "AAA"}}), empty = testsupport::makeContainer(a.codon, Records());
  const std::string empty_individual = "Selected container is empty ! Individual name can't be extracted !";
  const struct {
    std::function<void()> call;
    bool warning;
    std::string message;
  } cases[] = {
      {[&] { Addons::getIndividualNameFromContainer(one.get(), 1); }, false, "Selected index does not exists in the container !!"},
      {[&] { Addons::getNameElementsFromContainer(one.get(), "|", 1, 2); }, false, "Selected index does not exists in the container !!"},
      {[&] { Addons::getContigNameFromContainer(empty.get(), 0); }, false, "Selected container is empty ! Contig name can't be extracted !"},
      {[&] { Addons::getSpeciesNameFromContainer(empty.get(), 0); }, false, "Selected container is empty ! Species name can't be extracted !"},
      {[&] { Addons::getIndividualNameFromContainer(empty.get(), 0); }, true, empty_individual},
      {[&] { Addons::getNameElementsFromContainer(empty.get(), "|", 0, 3); }, true, empty_individual},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "no FatalError: " << c.message;
    } catch (const FatalError& e) {
      EXPECT_EQ(e.message(), c.message);
      EXPECT_TRUE(e.report() == (c.warning ? FatalError::Report::kWarning : FatalError::Report::kError) &&
                  e.status() == 1 && !e.goodbye()) << c.message;
    }
  }
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
