#include <gtest/gtest.h>

#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>

#include "TestSupport.h"
#include "input/CodonNucleotideTable.h"

TEST(CodonNucleotideTable, AgreesWithTheAlphabetsForEveryCode) {
  testsupport::Alphabets a;
  const mrv::CodonNucleotideTable table(&a.codon, &a.nucleic);
  int fully_resolved = 0;
  for (int c = -1; c <= 65; ++c) {
    bool all = true;
    for (size_t k = 0; k < 3; ++k) {
      const int n = a.codon.getNPosition(c, k);
      EXPECT_EQ(table.nucleotide(c, k), n) << c << " " << k;
      EXPECT_EQ(table.isResolved(c, k), !a.nucleic.isUnresolved(n)) << c << " " << k;
      all = all && table.isResolved(c, k);
    }
    fully_resolved += all;
  }
  EXPECT_EQ(fully_resolved, 65);  // the gap and the 64 codons
  EXPECT_FALSE(table.covers(-2) || table.covers(66));
  bpp::CodonAlphabet plain(&a.nucleic);  // no code 65
  EXPECT_THROW(mrv::CodonNucleotideTable(&plain, &a.nucleic), bpp::BadIntException);
}
