#include <gtest/gtest.h>

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>
#include <Bpp/Seq/Alphabet/DNA.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <string>
#include <vector>

#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"

namespace {

using mrv::CustomNucleicAlphabet;
using mrv::FrameshiftCodonAlphabet;

std::string badCharOf(const std::function<void()>& f, std::string* text = nullptr) {
  try {
    f();
  } catch (const bpp::BadCharException& e) {
    if (text) *text = e.what();
    return e.getBadChar();
  }
  ADD_FAILURE() << "no BadCharException";
  return "";
}

int badIntOf(const std::function<void()>& f, std::string* text = nullptr) {
  try {
    f();
  } catch (const bpp::BadIntException& e) {
    if (text) *text = e.what();
    return e.getBadInt();
  }
  ADD_FAILURE() << "no BadIntException";
  return -12345;
}

TEST(CustomNucleicAlphabet, LettersOfBothCasesAndUnknownLetters) {
  CustomNucleicAlphabet a;
  const struct { const char* letter; int code; } known[] = {
      {"-", -1}, {"A", 0}, {"C", 1}, {"G", 2}, {"T", 3}, {"M", 4}, {"R", 5}, {"W", 6},
      {"S", 7},  {"Y", 8}, {"K", 9}, {"V", 10}, {"H", 11}, {"D", 12}, {"B", 13}, {"!", 14},
      {"N", 15}, {"*", 15}};
  for (const auto& k : known) {
    std::string upper = k.letter, lower = k.letter;
    lower[0] = static_cast<char>(std::tolower(lower[0]));
    EXPECT_EQ(a.charToInt(upper), k.code) << upper;
    EXPECT_EQ(a.charToInt(lower), k.code) << lower;
    EXPECT_TRUE(a.isCharInAlphabet(lower)) << lower;
  }
  for (std::string bad : {"U", "x", "?", "O", "0", "", "\xC3", "\x80", "\xFF"}) {
    EXPECT_FALSE(a.isCharInAlphabet(bad)) << bad;
    EXPECT_EQ(badCharOf([&] { a.charToInt(bad); }), bad);
    EXPECT_THROW(a.isUnresolved(bad), bpp::BadCharException);
  }
}

TEST(CustomNucleicAlphabet, InheritedValues) {
  CustomNucleicAlphabet a;
  const bpp::Alphabet& base = a;
  EXPECT_EQ(a.getSize(), 4u);
  EXPECT_EQ(a.getNumberOfTypes(), 15u);
  EXPECT_EQ(a.getNumberOfChars(), 18u);
  EXPECT_EQ(a.getUnknownCharacterCode(), 14);
  EXPECT_EQ(a.getGapCharacterCode(), -1);
  EXPECT_EQ(base.getStateCodingSize(), 1u);
  for (int c = -2; c <= 16; ++c) EXPECT_EQ(a.isIntInAlphabet(c), c >= -1 && c <= 15) << c;
  for (int c = -1; c <= 15; ++c) EXPECT_EQ(a.isUnresolved(c), c > 3) << c;
  EXPECT_FALSE(a.isUnresolved("-"));
  EXPECT_TRUE(a.isUnresolved("n"));
  EXPECT_EQ(a.intToChar(15), "N");
  EXPECT_EQ(a.getName(15), "Unresolved base N");
  EXPECT_EQ(a.getName("*"), "Unresolved base *");
  EXPECT_EQ(a.getState("*").getBinaryCode(), 16);
  EXPECT_EQ(a.getStateByBinCode(16).getLetter(), "N");
  EXPECT_EQ(a.getStateByBinCode(15).getLetter(), "!");
  EXPECT_EQ(a.getName(14), "Frameshift");
  EXPECT_EQ(a.getName(5), "Purine (Adenine or Guanine)");
  EXPECT_EQ(bpp::BasicSequence("s", "aC*-n!", &a).toString(), "ACN-N!");
  EXPECT_EQ(a.getAlphabetType(), "Morvane Custom Nucleic Alphabet (454 and Frameshift)");
  std::unique_ptr<bpp::Alphabet> copy(a.clone());
  EXPECT_EQ(copy->charToInt("y"), 8);
  EXPECT_TRUE(copy->equals(a));
}

TEST(CustomNucleicAlphabet, AliasAndGeneric) {
  CustomNucleicAlphabet a;
  using V = std::vector<int>;
  using S = std::vector<std::string>;
  EXPECT_EQ(a.getAlias(14), (V{0, 1, 2, 3}));
  EXPECT_EQ(a.getAlias(5), (V{0, 2}));
  EXPECT_EQ(a.getAlias(13), (V{1, 2, 3}));
  EXPECT_EQ(a.getAlias(2), (V{2}));
  EXPECT_EQ(a.getAlias(-1), V{});
  EXPECT_EQ(a.getAlias(15), V{});
  std::string text;
  EXPECT_EQ(badIntOf([&] { a.getAlias(16); }, &text), 16);
  EXPECT_NE(text.find("DNA::getAlias(int): Specified base unknown."), std::string::npos);
  EXPECT_EQ(a.getAlias("y"), (S{"C", "T"}));
  EXPECT_EQ(a.getAlias("!"), (S{"A", "C", "G", "T"}));
  EXPECT_EQ(a.getAlias("m"), (S{"A", "C"}));
  EXPECT_EQ(badCharOf([&] { a.getAlias("?"); }, &text), "?");
  EXPECT_NE(text.find("DNA::getAlias(int): Specified base unknown."), std::string::npos);
  EXPECT_EQ(badCharOf([&] { a.getAlias("u"); }), "U");

  EXPECT_EQ(a.getGeneric(V{}), -1);
  EXPECT_EQ(a.getGeneric(V{0, 1}), 4);
  EXPECT_EQ(a.getGeneric(V{0, 1, 2, 3}), 14);
  EXPECT_EQ(a.getGeneric(V{-1, 0}), 0);
  EXPECT_EQ(a.getGeneric(V{15, 15}), 15);
  EXPECT_EQ(a.getGeneric(V{1, 8}), 8);
  EXPECT_EQ(badIntOf([&] { a.getGeneric(V{0, 15}); }, &text), 17);
  EXPECT_NE(text.find("NucleicAlphabet::getState(unsigned char): Binary code not in alphabet"),
            std::string::npos);
  EXPECT_EQ(badIntOf([&] { a.getGeneric(V{0, 16}); }, &text), 16);
  EXPECT_NE(text.find("DNA::getGeneric(const vector<int>& states): Specified base unknown."),
            std::string::npos);
  EXPECT_EQ(a.getGeneric(S{"a", "c"}), "M");
  EXPECT_EQ(a.getGeneric(S{"A", "G"}), "R");
  EXPECT_EQ(a.getGeneric(S{"N", "*"}), "N");
  EXPECT_EQ(a.getGeneric(S{"*"}), "N");
  EXPECT_EQ(a.getGeneric(S{}), "-");
  EXPECT_EQ(badCharOf([&] { a.getGeneric(S{"A", "x"}); }, &text), "x");
  EXPECT_NE(text.find("DNA::getGeneric(const vector<string>& states): Specified base unknown."),
            std::string::npos);
}

TEST(FrameshiftCodonAlphabet, Words) {
  CustomNucleicAlphabet n;
  FrameshiftCodonAlphabet a(&n);
  const struct { const char* word; int code; } words[] = {
      {"AAA", 0},  {"ACG", 6},  {"TAA", 48}, {"TAG", 50}, {"TGA", 56}, {"TTT", 63},
      {"!!!", 64}, {"A!G", 64}, {"!", 64},   {"AC!T", 64}, {"A!", 64}, {"NNN", 65},
      {"ANG", 65}, {"A*G", 65}, {"ARG", 65}, {"A-N", 65}, {"nnn", 65}, {"---", -1},
      {"A-G", -1}};
  for (const auto& w : words) EXPECT_EQ(a.charToInt(w.word), w.code) << w.word;
  std::string text;
  for (std::string bad : {"AC", "ACGT", ""}) {
    EXPECT_EQ(badCharOf([&] { a.charToInt(bad); }, &text), bad);
    EXPECT_NE(text.find("WordAlphabet::charToInt"), std::string::npos) << text;
  }
  EXPECT_THROW(a.charToInt("acg"), bpp::BadCharException);
  EXPECT_EQ(badCharOf([&] { a.charToInt("AXG"); }), "X");
  EXPECT_EQ(badCharOf([&] { a.charToInt("A\xC3G"); }), "\xC3");
  EXPECT_TRUE(a.isUnresolved("ANG"));
  EXPECT_FALSE(a.isUnresolved("A!G"));
}

TEST(FrameshiftCodonAlphabet, NamesCodesAndSizes) {
  CustomNucleicAlphabet n;
  FrameshiftCodonAlphabet a(&n);
  bpp::StandardGeneticCode gc(&n);
  EXPECT_EQ(a.getNumberOfChars(), 67u);
  EXPECT_EQ(a.getSize(), 65u);
  EXPECT_EQ(a.getNumberOfTypes(), 66u);
  EXPECT_EQ(a.getUnknownCharacterCode(), 65);
  EXPECT_EQ(a.getGapCharacterCode(), -1);
  EXPECT_EQ(a.getStateCodingSize(), 3u);
  for (int c = -2; c <= 66; ++c) EXPECT_EQ(a.isIntInAlphabet(c), c >= -1 && c <= 65) << c;
  for (int c = -1; c <= 65; ++c) EXPECT_EQ(a.isUnresolved(c), c == 65) << c;
  EXPECT_EQ(a.intToChar(64), "!!!");
  EXPECT_EQ(a.intToChar(65), "NNN");
  EXPECT_EQ(a.intToChar(-1), "---");
  EXPECT_EQ(a.getName(64), "FrameShift");
  EXPECT_EQ(a.getName(65), "Unresolved");
  EXPECT_EQ(a.getName(-1), "gap");
  // The stop test by name agrees with the genetic code on every codon; 64 and 65 are no stops.
  for (int c = 0; c < 64; ++c)
    EXPECT_EQ(a.getName(a.intToChar(c)) == FrameshiftCodonAlphabet::STOP, gc.isStop(c)) << c;
  EXPECT_EQ(a.getName(a.intToChar(48)), "Stop");
  EXPECT_EQ(a.getName(a.intToChar(64)), "FrameShift");
  EXPECT_EQ(a.getName(a.intToChar(65)), "Unresolved");
  EXPECT_EQ(a.getName("A-C"), "gap");
  EXPECT_EQ(a.getName("AN-"), "Unresolved");
  EXPECT_EQ(a.getName("!"), "FrameShift");
  EXPECT_EQ(a.getName("ACG"), "ACG");
  std::string text;
  EXPECT_EQ(badCharOf([&] { a.getName("AC"); }, &text), "AC");
  EXPECT_NE(text.find("WordAlphabet::getName"), std::string::npos);
  EXPECT_TRUE(a.isFrameshiftBase("!"));
  EXPECT_FALSE(a.isFrameshiftBase("!!"));
  EXPECT_TRUE(a.containsFrameshift("AC!"));
  EXPECT_FALSE(a.containsFrameshift(""));
  EXPECT_EQ(a.getAlphabetType(), "Morvane Custom Codon Alphabet (with Frameshift)");
}

TEST(FrameshiftCodonAlphabet, NucleotidesOfCodons) {
  CustomNucleicAlphabet n;
  FrameshiftCodonAlphabet a(&n);
  const bpp::CoreWordAlphabet& words = a;  // calls from Bio++ reach the same rule
  const struct { int codon; int n0, n1, n2; } rows[] = {
      {64, 14, 14, 14}, {65, 15, 15, 15}, {-1, -1, -1, -1}, {6, 0, 1, 2}, {63, 3, 3, 3}};
  for (const auto& r : rows) {
    EXPECT_EQ(words.getNPosition(r.codon, 0), r.n0) << r.codon;
    EXPECT_EQ(words.getNPosition(r.codon, 1), r.n1) << r.codon;
    EXPECT_EQ(words.getNPosition(r.codon, 2), r.n2) << r.codon;
    EXPECT_EQ(words.getPositions(r.codon), (std::vector<int>{r.n0, r.n1, r.n2}));
  }
  EXPECT_EQ(badIntOf([&] { a.getNPosition(6, 3); }), 3);
}

TEST(FrameshiftCodonAlphabet, EqualityWithTheGeneticCodeAlphabet) {
  CustomNucleicAlphabet n;
  FrameshiftCodonAlphabet a(&n);
  bpp::StandardGeneticCode gc(&n);
  EXPECT_TRUE(a.equals(*gc.getSourceAlphabet()));
  EXPECT_TRUE(a.equals(FrameshiftCodonAlphabet(&n)));
  bpp::DNA dna;
  bpp::CodonAlphabet other(&dna);
  EXPECT_FALSE(a.equals(other));
  EXPECT_FALSE(a.equals(n));
  std::unique_ptr<FrameshiftCodonAlphabet> copy(a.clone());
  EXPECT_EQ(copy->charToInt("A!G"), 64);
  EXPECT_EQ(copy->getName(48), "Stop");
}

// Sequence statistics of the library run on containers of this alphabet and give the values the
// same data give on the genetic code's own alphabet.
TEST(FrameshiftCodonAlphabet, LibraryStatisticsAgreeWithTheGeneticCodeAlphabet) {
  CustomNucleicAlphabet n;
  FrameshiftCodonAlphabet a(&n);
  bpp::StandardGeneticCode gc(&n);
  const bpp::Alphabet* own = gc.getSourceAlphabet();
  const std::vector<std::string> in = {"CTTAAAGGGTTTNNNGCA", "CTCAAAGGGTTTGCAGCA",
                                       "CTTAAGGGATTTGCAGCT", "CTTAAAGGGTTC---GCA",
                                       "CTAAAAGGGTTTGCAGCA"};
  const std::vector<std::string> out = {"CTTAAAGCGTTAGCAGCA", "CTTAAAGCGTTAGCAACA"};
  auto build = [](const std::vector<std::string>& seqs, const bpp::Alphabet* alpha,
                  const std::string& prefix) {
    auto* psc = new bpp::PolymorphismSequenceContainer(alpha);
    for (size_t i = 0; i < seqs.size(); ++i)
      psc->addSequenceWithFrequency(
          bpp::BasicSequence(prefix + std::to_string(i), seqs[i], alpha), 1, true);
    return std::unique_ptr<bpp::PolymorphismSequenceContainer>(psc);
  };
  auto inA = build(in, &a, "in"), inG = build(in, own, "in");
  auto outA = build(out, &a, "out"), outG = build(out, own, "out");
  using SS = bpp::SequenceStatistics;
  const double piS = SS::piSynonymous(*inA, gc);
  EXPECT_GT(piS, 0.0);
  EXPECT_EQ(piS, SS::piSynonymous(*inG, gc));
  EXPECT_EQ(SS::piNonSynonymous(*inA, gc), SS::piNonSynonymous(*inG, gc));
  EXPECT_EQ(SS::meanNumberOfSynonymousSites(*inA, gc, 2.0),
            SS::meanNumberOfSynonymousSites(*inG, gc, 2.0));
  for (double freqmin : {0.0, 0.2}) {
    const std::vector<unsigned int> mk = SS::mkTable(*inA, *outA, gc, freqmin);
    EXPECT_EQ(mk, SS::mkTable(*inG, *outG, gc, freqmin)) << freqmin;
    EXPECT_GT(mk[0] + mk[1] + mk[2] + mk[3], 0u);
  }
}

}  // namespace
