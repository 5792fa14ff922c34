#include <gtest/gtest.h>

#include "TestSupport.h"
#include "analysis/DistanceBetweenIndividuals.h"
#include "analysis/PairedSequenceContainer.h"

namespace {

using testsupport::Alphabets;

TEST(DistanceBetweenIndividuals, ShareOfDifferingAllelePairsOverResolvedPositions) {
  Alphabets a;
  const struct {
    std::string first, second;  // alleles "x/y"
    double distance;
    int positions;
  } cases[] = {
      {"ACGTTA/ACGTTA", "ACGTTA/ACGTTA", 0.0, 6},   // identical homozygotes
      {"AAAAAA/AAAAAA", "CCCCCC/CCCCCC", 1.0, 6},   // different homozygotes
      {"AAAAAA/AAAAAA", "AAAAAA/AAAAAC", 0.5 / 6, 6},  // (A, A) against (A, C) once
      {"GGA/GGC", "GGA/GGC", 0.5 / 3, 3},           // two (A, C): A-C and C-A differ
      {"AAANNN/AAAAAA", "CCCCCC/CCCCCC", 1.0, 3},   // N, frameshift and ambiguity: not counted
      {"AAAAAA/AAAAAA", "!!!CCC/CCCCCC", 1.0, 3},
      {"AAAAAA/AAAAAA", "ARACCC/CCCCCC", 1.0, 3},
      {"---AAA/AAAAAA", "AAAAAA/AAAAAA", 0.25, 6},  // a gap is a resolved allele
      {"NNN/AAA", "AAA/AAA", -1.0, 0},
  };
  for (const auto& c : cases) {
    auto source = testsupport::makeContainer(a.codon, testsupport::diploids({"P=" + c.first, "Q=" + c.second}));
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    mrv::DistanceBetweenIndividuals d(&pairs, 0, 1);
    d.computeDistanceWithPair(&pairs, 0, 1, &a.codon, &a.nucleic, false);
    // The same from the two pair containers, named after their sequence 0.
    mrv::DistanceBetweenIndividuals e(pairs.get_pair(0), pairs.get_pair(1));
    e.computeDistance(pairs.get_pair(0), pairs.get_pair(1), &a.codon, &a.nucleic, false);
    for (const mrv::DistanceBetweenIndividuals* x : {&d, &e}) {
      EXPECT_EQ(x->get_pair_name(), "P|Q");
      EXPECT_DOUBLE_EQ(x->get_distance(), c.distance) << c.first << " " << c.second;
      EXPECT_EQ(x->get_nb_resolved_positions(), c.positions) << c.first << " " << c.second;
    }
  }
  // an individual against itself: half its share of heterozygous positions (2 of 12)
  auto self = testsupport::makeContainer(a.codon, testsupport::diploids({"P=ACGTACGTACGT/ACGAACGTACGG"}));
  mrv::PairedSequenceContainer pairs(self.get(), &a.codon, "|", 3);
  mrv::DistanceBetweenIndividuals d(&pairs, 0, 0);
  d.computeDistanceWithPair(&pairs, 0, 0, &a.codon, &a.nucleic, false);
  EXPECT_DOUBLE_EQ(d.get_distance(), 0.5 * 2.0 / 12.0);
}

TEST(DistanceBetweenIndividuals, DebugLinesNameTheFourAllelesOfEveryPosition) {
  Alphabets a;
  // every position prints its four alleles, resolved or not ("AC-" is the gap codon)
  auto source = testsupport::makeContainer(a.codon, testsupport::diploids({"P=AC-/NNN", "Q=GTA/!!!"}));
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  mrv::DistanceBetweenIndividuals e(&pairs, 0, 1);
  testing::internal::CaptureStdout();
  e.computeDistanceWithPair(&pairs, 0, 1, &a.codon, &a.nucleic, true);
  std::string expected;
  for (int b : {2, 3, 0})
    expected += "(DEBUG - DistanceBetweenIndividuals::computeDistance) Alleles 1-1, 1-2, 2-1, 2-2: " +
                a.nucleic.getName(-1) + ", " + a.nucleic.getName(15) + ", " + a.nucleic.getName(b) + ", " +
                a.nucleic.getName(14) + "\n\n";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
  // Individuals of different numbers of codon sites are not compared; only debug mode tells.
  auto shorter = testsupport::makeContainer(a.codon, testsupport::diploids({"R=AAAAAA/AAAAAA"}));
  for (bool debug : {false, true}) {
    mrv::DistanceBetweenIndividuals f(pairs.get_pair(0), shorter.get());
    const auto lines = testsupport::coutLines(
        [&] { f.computeDistance(pairs.get_pair(0), shorter.get(), &a.codon, &a.nucleic, debug); });
    EXPECT_EQ(lines, debug ? testsupport::Lines{"(DEBUG - DistanceBetweenIndividuals::computeDistance) Warning: "
                                                "Different number of site detected for individual P and individual "
                                                "R! Distance will not be computed !"}
                           : testsupport::Lines());
    EXPECT_EQ(f.get_distance(), -1.0);
    EXPECT_EQ(f.get_nb_resolved_positions(), 0);
  }
}

}  // namespace
