// The name fields are read without building the tokenizer's token list: on names of every shape
// (empty fields, leading and trailing "|", fewer fields than asked) they are the tokenizer's.
#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Text/StringTokenizer.h>

#include <random>
#include <string>

#include "input/PolymorphismSequenceContainerAddons.h"

using Addons = mrv::PolymorphismSequenceContainerAddons;

TEST(NameFieldReading, FieldsAsTheTokenizerCutsThem) {
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
