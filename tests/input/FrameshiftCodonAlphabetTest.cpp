#include <gtest/gtest.h>

#include <Bpp/Seq/Alphabet/DNA.h>

#include "TestSupport.h"
#include "input/FrameshiftCodonAlphabet.h"

using testsupport::failsWith;
using V = std::vector<int>;
using S = std::vector<std::string>;

TEST(FrameshiftCodonAlphabet, WordsNamesAndSizes) {
  testsupport::Alphabets x;
  const mrv::FrameshiftCodonAlphabet& a = x.codon;
  const S words = {"AAA", "ACG", "TAA", "TAG", "TGA", "TTT", "!!!", "A!G", "!", "AC!T", "NNN",
                   "ANG", "A*G", "ARG", "A-N", "nnn", "---", "A-G"};
  const V codes = {0, 6, 48, 50, 56, 63, 64, 64, 64, 64, 65, 65, 65, 65, 65, 65, -1, -1};
  for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(a.charToInt(words[i]), codes[i]) << words[i];
  for (std::string bad : {"AC", "ACGT", ""}) EXPECT_TRUE(failsWith([&] { a.charToInt(bad); }, bad, "WordAlphabet::charToInt"));
  EXPECT_THROW(a.charToInt("acg"), bpp::BadCharException);
  EXPECT_TRUE(failsWith([&] { a.charToInt("AXG"); }, "X", "Unknown state"));
  EXPECT_EQ(V({int(a.getNumberOfChars()), int(a.getSize()), int(a.getNumberOfTypes()), a.getUnknownCharacterCode(),
               int(a.getStateCodingSize())}),
            V({67, 65, 66, 65, 3}));
  for (int c = -2; c <= 66; ++c) {
    EXPECT_EQ(a.isIntInAlphabet(c), c >= -1 && c <= 65) << c;
    if (!a.isIntInAlphabet(c)) continue;
    EXPECT_EQ(a.isUnresolved(c), c == 65) << c;
    EXPECT_EQ(a.intToChar(c), static_cast<const bpp::CodonAlphabet&>(a).AbstractAlphabet::intToChar(c)) << c;
  }
  EXPECT_EQ(S({a.intToChar(64), a.intToChar(65), a.intToChar(-1), a.getName(64), a.getName(65), a.getName(-1)}),
            S({"!!!", "NNN", "---", "FrameShift", "Unresolved", "gap"}));
  bpp::StandardGeneticCode gc(&x.nucleic);  // the stop test by name agrees with the genetic code
  for (int c = 0; c < 64; ++c) EXPECT_EQ(a.getName(a.intToChar(c)) == "Stop", gc.isStop(c)) << c;
  EXPECT_EQ(S({a.getName("A-C"), a.getName("AN-"), a.getName("!"), a.getName("ACG")}),
            S({"gap", "Unresolved", "FrameShift", "ACG"}));
  EXPECT_TRUE(failsWith([&] { a.getName("AC"); }, "AC", "WordAlphabet::getName"));
  EXPECT_THROW(a.getState(66), bpp::BadIntException);
  EXPECT_TRUE(a.isFrameshiftBase("!") && !a.isFrameshiftBase("!!"));
  EXPECT_TRUE(a.containsFrameshift("AC!") && !a.containsFrameshift(""));
  EXPECT_EQ(a.getAlphabetType(), "Morvane Custom Codon Alphabet (with Frameshift)");
  EXPECT_EQ(std::unique_ptr<mrv::FrameshiftCodonAlphabet>(a.clone())->getName(50), "Stop");
  // Nucleotides of codons, also through the interface the library calls.
  const bpp::CoreWordAlphabet& w = a;
  for (const V& r : {V{64, 14}, V{65, 15}, V{-1, -1}})
    EXPECT_EQ(w.getPositions(r[0]), V({r[1], r[1], r[1]}));
  EXPECT_EQ(V({w.getNPosition(6, 0), w.getNPosition(6, 1), w.getNPosition(6, 2)}), V({0, 1, 2}));
  EXPECT_TRUE(failsWith([&] { a.getNPosition(6, 3); }, "3", "WordAlphabet::getNPosition"));
}

// The library's statistics accept containers of this alphabet against the genetic code: it equals
// any codon alphabet of its nucleic alphabet.
TEST(FrameshiftCodonAlphabet, EqualsTheCodonAlphabetsOfItsNucleicAlphabet) {
  testsupport::Alphabets x;
  const bpp::Alphabet* own = x.code.getSourceAlphabet();
  bpp::DNA dna;
  const mrv::FrameshiftCodonAlphabet copy(x.codon), otherFrameshift(&dna);
  const bpp::CodonAlphabet sameNucleic(&x.nucleic), otherNucleic(&dna);
  const bpp::Alphabet* others[] = {own, &copy, &sameNucleic, &otherNucleic, &otherFrameshift, &dna};
  const bool equal[] = {true, true, true, false, true, false};
  for (size_t k = 0; k < 6; ++k) EXPECT_EQ(equal[k], x.codon.equals(*others[k])) << k;
}
