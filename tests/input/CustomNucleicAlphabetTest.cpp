#include <gtest/gtest.h>

#include <Bpp/Seq/Sequence.h>

#include "TestSupport.h"
#include "input/CustomNucleicAlphabet.h"

using testsupport::failsWith;
using V = std::vector<int>;
using S = std::vector<std::string>;

TEST(CustomNucleicAlphabet, LettersCodesAndInheritedValues) {
  mrv::CustomNucleicAlphabet a;
  const std::string letters = "-ACGTMRWSYKVHDB!N*";
  const V codes = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 15};
  for (size_t i = 0; i < letters.size(); ++i) {
    EXPECT_EQ(a.charToInt(std::string(1, letters[i])), codes[i]) << letters[i];
    EXPECT_EQ(a.charToInt(std::string(1, static_cast<char>(std::tolower(letters[i])))), codes[i]);
  }
  for (std::string bad : {"U", "x", "?", "O", "0", "", "\xC3", "\x80", "\xFF"}) {
    EXPECT_FALSE(a.isCharInAlphabet(bad)) << bad;
    EXPECT_TRUE(failsWith([&] { a.charToInt(bad); }, bad, "Unknown state"));
  }
  for (int c = -2; c <= 16; ++c) {
    EXPECT_EQ(a.isIntInAlphabet(c), c >= -1 && c <= 15) << c;
    if (a.isIntInAlphabet(c)) EXPECT_EQ(a.isUnresolved(c), c > 3) << c;
  }
  EXPECT_EQ(V({int(a.getSize()), int(a.getNumberOfTypes()), int(a.getNumberOfChars()),
               a.getUnknownCharacterCode(), int(static_cast<const bpp::Alphabet&>(a).getStateCodingSize())}),
            V({4, 15, 18, 14, 1}));
  EXPECT_EQ(S({a.intToChar(15), a.getName(15), a.getName("*"), a.getStateByBinCode(16).getLetter()}),
            S({"N", "Unresolved base N", "Unresolved base *", "N"}));
  EXPECT_EQ(bpp::BasicSequence("s", "aC*-n!", &a).toString(), "ACN-N!");
  EXPECT_EQ(a.getAlphabetType(), "Morvane Custom Nucleic Alphabet (454 and Frameshift)");
  EXPECT_EQ(std::unique_ptr<bpp::Alphabet>(a.clone())->charToInt("y"), 8);
}

TEST(CustomNucleicAlphabet, AliasAndGeneric) {
  mrv::CustomNucleicAlphabet a;
  EXPECT_EQ(a.getAlias(14), V({0, 1, 2, 3}));
  EXPECT_EQ(a.getAlias(5), V({0, 2}));
  EXPECT_EQ(a.getAlias(13), V({1, 2, 3}));
  EXPECT_EQ(a.getAlias(-1), V{});
  EXPECT_EQ(a.getAlias(15), V{});
  EXPECT_TRUE(failsWith([&] { a.getAlias(16); }, "16", "DNA::getAlias(int): Specified base unknown."));
  EXPECT_EQ(a.getAlias("y"), S({"C", "T"}));
  EXPECT_EQ(a.getAlias("!"), S({"A", "C", "G", "T"}));
  EXPECT_TRUE(failsWith([&] { a.getAlias("?"); }, "?", "DNA::getAlias(int): Specified base unknown."));
  EXPECT_TRUE(failsWith([&] { a.getAlias("u"); }, "U", "DNA::getAlias(int)"));
  EXPECT_EQ(V({a.getGeneric(V{}), a.getGeneric(V{0, 1}), a.getGeneric(V{0, 1, 2, 3}),
               a.getGeneric(V{-1, 0}), a.getGeneric(V{15, 15}), a.getGeneric(V{1, 8})}),
            V({-1, 4, 14, 0, 15, 8}));
  EXPECT_TRUE(failsWith([&] { a.getGeneric(V({0, 15})); }, "17", "NucleicAlphabet::getState(unsigned char): Binary code not in alphabet"));
  EXPECT_TRUE(failsWith([&] { a.getGeneric(V({0, 16})); }, "16", "DNA::getGeneric(const vector<int>& states): Specified base unknown."));
  EXPECT_EQ(S({a.getGeneric(S{"a", "c"}), a.getGeneric(S{"A", "G"}), a.getGeneric(S{"N", "*"}), a.getGeneric(S{})}),
            S({"M", "R", "N", "-"}));
  EXPECT_TRUE(failsWith([&] { a.getGeneric(S({"A", "x"})); }, "x", "DNA::getGeneric(const vector<string>& states): Specified base unknown."));
}
