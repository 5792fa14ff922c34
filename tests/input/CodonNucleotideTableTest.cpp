#include <gtest/gtest.h>

#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>

#include "ContainerTestSupport.h"
#include "input/CodonNucleotideTable.h"

namespace {

TEST(CodonNucleotideTable, AgreesWithTheAlphabetsForEveryCode) {
  inputtest::Alphabets a;
  const mrv::CodonNucleotideTable table(&a.codon, &a.nucleic);
  int resolved_codons = 0;
  for (int c = -1; c <= 65; ++c) {
    ASSERT_TRUE(table.covers(c));
    bool all = true;
    for (size_t k = 0; k < 3; ++k) {
      const int n = a.codon.getNPosition(c, k);
      EXPECT_EQ(table.nucleotide(c, k), n) << c << " " << k;
      EXPECT_EQ(table.isResolved(c, k), !a.nucleic.isUnresolved(n)) << c << " " << k;
      all = all && !a.nucleic.isUnresolved(n);
    }
    EXPECT_EQ(table.isFullyResolved(c), all) << c;
    resolved_codons += all;
  }
  EXPECT_EQ(resolved_codons, 65);  // the gap and the 64 codons
  const struct { int codon; int n[3]; bool resolved; } rows[] = {
      {-1, {-1, -1, -1}, true}, {6, {0, 1, 2}, true}, {48, {3, 0, 0}, true},
      {64, {14, 14, 14}, false}, {65, {15, 15, 15}, false}};
  for (const auto& r : rows)
    for (size_t k = 0; k < 3; ++k) {
      EXPECT_EQ(table.nucleotide(r.codon, k), r.n[k]) << r.codon;
      EXPECT_EQ(table.isResolved(r.codon, k), r.resolved) << r.codon;
    }
  EXPECT_FALSE(table.covers(-2));
  EXPECT_FALSE(table.covers(66));
}

TEST(CodonNucleotideTable, RefusesAnAlphabetWithoutTheUnresolvedCodon) {
  inputtest::Alphabets a;
  bpp::CodonAlphabet plain(&a.nucleic);
  EXPECT_THROW(mrv::CodonNucleotideTable(&plain, &a.nucleic), bpp::BadIntException);
}

}  // namespace
