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
using testsupport::Records;

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
