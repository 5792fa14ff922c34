#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FocalTestData.h"
#include "analysis/DistanceBetweenIndividuals.h"
#include "analysis/PairedSequenceContainer.h"

namespace {

using focaltest::Alphabets;
using focaltest::makeContainer;

struct Individual {
  std::string allele1, allele2;
};

TEST(DistanceBetweenIndividuals, DistancesOfTwoIndividuals) {
  Alphabets a;
  const struct {
    const char* what;
    Individual first, second;
    double distance;
    int positions;
  } cases[] = {
      {"identical homozygotes", {"ACGTTA", "ACGTTA"}, {"ACGTTA", "ACGTTA"}, 0.0, 6},
      {"different homozygotes", {"AAAAAA", "AAAAAA"}, {"CCCCCC", "CCCCCC"}, 1.0, 6},
      // (A, A) against (A, C) at one of 6 positions: 0.5 / 6
      {"one half-differing position", {"AAAAAA", "AAAAAA"}, {"AAAAAA", "AAAAAC"}, 0.5 / 6, 6},
      // two heterozygotes (A, C) and (A, C): comparisons A-A, A-C, C-A, C-C give 0.5
      {"heterozygote pair", {"GGA", "GGC"}, {"GGA", "GGC"}, 0.5 / 3, 3},
      {"unresolved codon not counted", {"AAANNN", "AAAAAA"}, {"CCCCCC", "CCCCCC"}, 1.0, 3},
      {"frameshift codon not counted", {"AAAAAA", "AAAAAA"}, {"!!!CCC", "CCCCCC"}, 1.0, 3},
      {"ambiguity codon not counted", {"AAAAAA", "AAAAAA"}, {"ARACCC", "CCCCCC"}, 1.0, 3},
      {"gap counts as an allele", {"---AAA", "AAAAAA"}, {"AAAAAA", "AAAAAA"}, 0.5 / 6 * 3, 6},
      {"no resolved position", {"NNN", "AAA"}, {"AAA", "AAA"}, -1.0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto source = makeContainer(a, focaltest::diploids({{"P", {c.first.allele1, c.first.allele2}},
                                                        {"Q", {c.second.allele1, c.second.allele2}}}));
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    mrv::DistanceBetweenIndividuals withPair(&pairs, 0, 1);
    EXPECT_EQ(withPair.get_pair_name(), "P|Q");
    withPair.computeDistanceWithPair(&pairs, 0, 1, &a.codon, &a.nucleic, false);
    EXPECT_DOUBLE_EQ(withPair.get_distance(), c.distance);
    EXPECT_EQ(withPair.get_nb_resolved_positions(), c.positions);

    mrv::DistanceBetweenIndividuals withContainers(pairs.get_pair(1), pairs.get_pair(0));
    EXPECT_EQ(withContainers.get_pair_name(), "Q|P");
    withContainers.computeDistance(pairs.get_pair(1), pairs.get_pair(0), &a.codon, &a.nucleic, false);
    EXPECT_DOUBLE_EQ(withContainers.get_distance(), c.distance);
    EXPECT_EQ(withContainers.get_nb_resolved_positions(), c.positions);
  }
}

TEST(DistanceBetweenIndividuals, SelfDistanceIsHalfTheHeterozygousShare) {
  Alphabets a;
  // heterozygous at 2 of 12 positions
  auto source = makeContainer(a, focaltest::diploids({{"P", {"ACGTACGTACGT", "ACGAACGTACGG"}}}));
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  mrv::DistanceBetweenIndividuals self(&pairs, 0, 0);
  self.computeDistanceWithPair(&pairs, 0, 0, &a.codon, &a.nucleic, false);
  EXPECT_EQ(self.get_pair_name(), "P|P");
  EXPECT_DOUBLE_EQ(self.get_distance(), 0.5 * 2.0 / 12.0);
}

TEST(DistanceBetweenIndividuals, DifferentSiteCountsAreNotCompared) {
  Alphabets a;
  auto ten = makeContainer(a, focaltest::diploids({{"P", {std::string(30, 'A'), std::string(30, 'A')}}}));
  auto eleven = makeContainer(a, focaltest::diploids({{"Q", {std::string(33, 'C'), std::string(33, 'C')}}}));
  mrv::DistanceBetweenIndividuals d(ten.get(), eleven.get());
  const std::string quiet =
      focaltest::captureStdout([&] { d.computeDistance(ten.get(), eleven.get(), &a.codon, &a.nucleic, false); });
  EXPECT_EQ(quiet, "");
  const std::string out =
      focaltest::captureStdout([&] { d.computeDistance(ten.get(), eleven.get(), &a.codon, &a.nucleic, true); });
  EXPECT_EQ(out,
            "(DEBUG - DistanceBetweenIndividuals::computeDistance) Warning: Different number of site detected for "
            "individual P and individual Q! Distance will not be computed !\n");
  EXPECT_EQ(d.get_distance(), -1.0);
  EXPECT_EQ(d.get_nb_resolved_positions(), 0);
}

TEST(DistanceBetweenIndividuals, DebugPrintsTheFourAllelesAtEveryPosition) {
  Alphabets a;
  auto source = makeContainer(a, focaltest::diploids({{"P", {"AC-", "NNN"}}, {"Q", {"GTA", "!!!"}}}));
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  mrv::DistanceBetweenIndividuals d(&pairs, 0, 1);
  const std::string out =
      focaltest::captureStdout([&] { d.computeDistanceWithPair(&pairs, 0, 1, &a.codon, &a.nucleic, true); });
  const std::string prefix = "(DEBUG - DistanceBetweenIndividuals::computeDistance) Alleles 1-1, 1-2, 2-1, 2-2: ";
  // "AC-" is the gap codon: gap at all three positions
  const std::string g = a.nucleic.getName(-1), n = a.nucleic.getName(15), f = a.nucleic.getName(14);
  EXPECT_EQ(out, prefix + g + ", " + n + ", " + a.nucleic.getName(2) + ", " + f + "\n\n" + prefix + g + ", " + n +
                     ", " + a.nucleic.getName(3) + ", " + f + "\n\n" + prefix + g + ", " + n + ", " +
                     a.nucleic.getName(0) + ", " + f + "\n\n");
  EXPECT_EQ(d.get_distance(), -1.0);
}

// Straightforward reading: every nucleotide through getNPosition and isUnresolved.
void referenceDistance(const Alphabets& a, bpp::PolymorphismSequenceContainer* x, bpp::PolymorphismSequenceContainer* y,
                       double& distance, int& positions) {
  double sum = 0.0;
  positions = 0;
  distance = -1.0;
  for (size_t s = 0; s < x->getNumberOfSites(); ++s)
    for (size_t k = 0; k < 3; ++k) {
      const int a11 = a.codon.getNPosition(x->valueAt(0, s), k), a12 = a.codon.getNPosition(x->valueAt(1, s), k);
      const int a21 = a.codon.getNPosition(y->valueAt(0, s), k), a22 = a.codon.getNPosition(y->valueAt(1, s), k);
      if (a.nucleic.isUnresolved(a11) || a.nucleic.isUnresolved(a12) || a.nucleic.isUnresolved(a21) ||
          a.nucleic.isUnresolved(a22))
        continue;
      ++positions;
      for (int u : {a11, a12})
        for (int v : {a21, a22})
          if (u != v) sum += 0.25;
    }
  if (positions != 0) distance = sum / positions;
}

TEST(DistanceBetweenIndividuals, SameAsTheDirectReadingOnRandomContigs) {
  Alphabets a;
  std::mt19937 rng(5);
  for (int round = 0; round < 15; ++round) {
    auto source = makeContainer(a, focaltest::randomContig(rng, 6, 40));
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i)
      for (unsigned int j = 0; j < pairs.get_nb_pair(); ++j) {
        double expected;
        int positions;
        referenceDistance(a, pairs.get_pair(i), pairs.get_pair(j), expected, positions);
        mrv::DistanceBetweenIndividuals d(&pairs, i, j);
        d.computeDistanceWithPair(&pairs, i, j, &a.codon, &a.nucleic, false);
        ASSERT_EQ(d.get_nb_resolved_positions(), positions);
        ASSERT_EQ(d.get_distance(), expected);  // bit for bit
      }
  }
}

}  // namespace
