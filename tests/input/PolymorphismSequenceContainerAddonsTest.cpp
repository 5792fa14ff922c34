#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Text/StringTokenizer.h>

#include <functional>
#include <random>

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
  const struct {
    std::function<void()> call;
    bool warning;
    std::string message;
  } cases[] = {
      {[&] { Addons::getIndividualNameFromContainer(one.get(), 1); }, false, "Selected index does not exists in the container !!"},
      {[&] { Addons::getContigNameFromContainer(empty.get(), 0); }, false, "Selected container is empty ! Contig name can't be extracted !"},
      {[&] { Addons::getSpeciesNameFromContainer(empty.get(), 0); }, false, "Selected container is empty ! Species name can't be extracted !"},
      {[&] { Addons::getIndividualNameFromContainer(empty.get(), 0); }, true, "Selected container is empty ! Individual name can't be extracted !"},
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
