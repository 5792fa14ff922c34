#include <gtest/gtest.h>

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>
#include <Bpp/Seq/Alphabet/DNA.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>

#include "ContainerTestSupport.h"

namespace {

using V = std::vector<int>;
using S = std::vector<std::string>;

// "bad value|exception text" of the alphabet exception `f` raises.
std::string failure(const std::function<void()>& f) {
  try {
    f();
  } catch (const bpp::BadCharException& e) {
    return e.getBadChar() + "|" + e.what();
  } catch (const bpp::BadIntException& e) {
    return std::to_string(e.getBadInt()) + "|" + e.what();
  }
  return "no exception";
}
#define EXPECT_FAILS(call, bad, text)                                                \
  do {                                                                               \
    const std::string f = failure([&] { call; });                                    \
    EXPECT_TRUE(f.rfind(std::string(bad) + "|", 0) == 0 && f.find(text) != std::string::npos) \
        << #call << ": " << f;                                                       \
  } while (0)

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
    EXPECT_FAILS(a.charToInt(bad), bad, "Unknown state");
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
  EXPECT_FAILS(a.getAlias(16), "16", "DNA::getAlias(int): Specified base unknown.");
  EXPECT_EQ(a.getAlias("y"), S({"C", "T"}));
  EXPECT_EQ(a.getAlias("!"), S({"A", "C", "G", "T"}));
  EXPECT_FAILS(a.getAlias("?"), "?", "DNA::getAlias(int): Specified base unknown.");
  EXPECT_FAILS(a.getAlias("u"), "U", "DNA::getAlias(int)");
  EXPECT_EQ(V({a.getGeneric(V{}), a.getGeneric(V{0, 1}), a.getGeneric(V{0, 1, 2, 3}),
               a.getGeneric(V{-1, 0}), a.getGeneric(V{15, 15}), a.getGeneric(V{1, 8})}),
            V({-1, 4, 14, 0, 15, 8}));
  EXPECT_FAILS(a.getGeneric(V({0, 15})), "17", "NucleicAlphabet::getState(unsigned char): Binary code not in alphabet");
  EXPECT_FAILS(a.getGeneric(V({0, 16})), "16", "DNA::getGeneric(const vector<int>& states): Specified base unknown.");
  EXPECT_EQ(S({a.getGeneric(S{"a", "c"}), a.getGeneric(S{"A", "G"}), a.getGeneric(S{"N", "*"}), a.getGeneric(S{})}),
            S({"M", "R", "N", "-"}));
  EXPECT_FAILS(a.getGeneric(S({"A", "x"})), "x", "DNA::getGeneric(const vector<string>& states): Specified base unknown.");
}

TEST(FrameshiftCodonAlphabet, WordsNamesAndSizes) {
  inputtest::Alphabets x;
  const mrv::FrameshiftCodonAlphabet& a = x.codon;
  const S words = {"AAA", "ACG", "TAA", "TAG", "TGA", "TTT", "!!!", "A!G", "!", "AC!T", "NNN",
                   "ANG", "A*G", "ARG", "A-N", "nnn", "---", "A-G"};
  const V codes = {0, 6, 48, 50, 56, 63, 64, 64, 64, 64, 65, 65, 65, 65, 65, 65, -1, -1};
  for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(a.charToInt(words[i]), codes[i]) << words[i];
  for (std::string bad : {"AC", "ACGT", ""}) EXPECT_FAILS(a.charToInt(bad), bad, "WordAlphabet::charToInt");
  EXPECT_THROW(a.charToInt("acg"), bpp::BadCharException);
  EXPECT_FAILS(a.charToInt("AXG"), "X", "Unknown state");
  EXPECT_EQ(V({int(a.getNumberOfChars()), int(a.getSize()), int(a.getNumberOfTypes()), a.getUnknownCharacterCode(),
               int(a.getStateCodingSize())}),
            V({67, 65, 66, 65, 3}));
  for (int c = -2; c <= 66; ++c) {
    EXPECT_EQ(a.isIntInAlphabet(c), c >= -1 && c <= 65) << c;
    if (a.isIntInAlphabet(c)) EXPECT_EQ(a.isUnresolved(c), c == 65) << c;
  }
  EXPECT_EQ(S({a.intToChar(64), a.intToChar(65), a.intToChar(-1), a.getName(64), a.getName(65), a.getName(-1)}),
            S({"!!!", "NNN", "---", "FrameShift", "Unresolved", "gap"}));
  bpp::StandardGeneticCode gc(&x.nucleic);  // the stop test by name agrees with the genetic code
  for (int c = 0; c < 64; ++c) EXPECT_EQ(a.getName(a.intToChar(c)) == "Stop", gc.isStop(c)) << c;
  EXPECT_EQ(S({a.getName("A-C"), a.getName("AN-"), a.getName("!"), a.getName("ACG")}),
            S({"gap", "Unresolved", "FrameShift", "ACG"}));
  EXPECT_FAILS(a.getName("AC"), "AC", "WordAlphabet::getName");
  EXPECT_TRUE(a.isFrameshiftBase("!") && !a.isFrameshiftBase("!!"));
  EXPECT_TRUE(a.containsFrameshift("AC!") && !a.containsFrameshift(""));
  EXPECT_EQ(a.getAlphabetType(), "Morvane Custom Codon Alphabet (with Frameshift)");
  EXPECT_EQ(std::unique_ptr<mrv::FrameshiftCodonAlphabet>(a.clone())->getName(50), "Stop");
  // Nucleotides of codons, also through the interface the library calls.
  const bpp::CoreWordAlphabet& w = a;
  for (const V& r : {V{64, 14}, V{65, 15}, V{-1, -1}})
    EXPECT_EQ(w.getPositions(r[0]), V({r[1], r[1], r[1]}));
  EXPECT_EQ(V({w.getNPosition(6, 0), w.getNPosition(6, 1), w.getNPosition(6, 2)}), V({0, 1, 2}));
  EXPECT_FAILS(a.getNPosition(6, 3), "3", "WordAlphabet::getNPosition");
}

// The library's statistics accept containers of this alphabet against the genetic code and give
// the values that the same data give on the genetic code's own codon alphabet.
TEST(FrameshiftCodonAlphabet, LibraryStatisticsAgreeWithTheGeneticCodeAlphabet) {
  inputtest::Alphabets x;
  bpp::StandardGeneticCode gc(&x.nucleic);
  const bpp::Alphabet* own = gc.getSourceAlphabet();
  EXPECT_TRUE(x.codon.equals(*own));
  bpp::DNA dna;
  EXPECT_FALSE(x.codon.equals(bpp::CodonAlphabet(&dna)));
  const S in = {"CTTAAAGGGTTTNNNGCA", "CTCAAAGGGTTTGCAGCA", "CTTAAGGGATTTGCAGCT", "CTTAAAGGGTTC---GCA",
                "CTAAAAGGGTTTGCAGCA"};
  const S out = {"CTTAAAGCGTTAGCAGCA", "CTTAAAGCGTTAGCAACA"};
  auto build = [](const S& seqs, const bpp::Alphabet* alpha) {  // names unique over both groups
    inputtest::Records r;
    for (size_t i = 0; i < seqs.size(); ++i) r.push_back({seqs[0] + std::to_string(i), seqs[i]});
    return inputtest::makeContainer(r, alpha);
  };
  auto inA = build(in, &x.codon), inG = build(in, own), outA = build(out, &x.codon), outG = build(out, own);
  using SS = bpp::SequenceStatistics;
  EXPECT_GT(SS::piSynonymous(*inA, gc), 0.0);
  EXPECT_EQ(SS::piSynonymous(*inA, gc), SS::piSynonymous(*inG, gc));
  EXPECT_EQ(SS::piNonSynonymous(*inA, gc), SS::piNonSynonymous(*inG, gc));
  for (double freqmin : {0.0, 0.2}) {
    const std::vector<unsigned int> mk = SS::mkTable(*inA, *outA, gc, freqmin);
    EXPECT_EQ(mk, SS::mkTable(*inG, *outG, gc, freqmin)) << freqmin;
    EXPECT_GT(mk[0] + mk[1] + mk[2] + mk[3], 0u);
  }
}

}  // namespace
