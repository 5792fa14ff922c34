#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>

#include "TestSupport.h"
#include "analysis/PopulationDiversification.h"

using testsupport::diploids;
using testsupport::makePopulation;
using Counts = std::vector<std::int64_t>;
using Matrix = std::vector<Counts>;
using Fst = std::vector<std::vector<double>>;

namespace {
const double NA = -999.0;
}  // namespace

// One codon site, all alike but for the first nucleotide.
TEST(PopulationDiversification, CountersAndFstOfHandWorkedContigs) {
  testsupport::Alphabets a;
  const struct {
    const char *label, *populations;
    std::vector<std::string> individuals;
    Counts differenceWithin, totalWithin;
    Matrix differenceBetween, totalBetween;
    Fst fst;
    std::map<int, double> within;
  } cases[] = {
      {"A/A x2 against C/C x2: Fst 1", "P0;i1;i2\nP1;i3;i4\n", {"i1=AGC/AGC", "i2=AGC/AGC", "i3=CGC/CGC", "i4=CGC/CGC"},
       {0, 0}, {24, 24}, {{0, 16}, {16, 0}}, {{0, 48}, {48, 0}}, {{NA, 1.0}, {1.0, NA}}, {{0, 0.0}, {1, 0.0}}},
      {"A/A + C/C against A/A x2: Fst 0", "P0;i1;i2\nP1;i3;i4\n", {"i1=AGC/AGC", "i2=CGC/CGC", "i3=AGC/AGC", "i4=AGC/AGC"},
       {8, 0}, {24, 24}, {{0, 8}, {8, 0}}, {{0, 48}, {48, 0}}, {{NA, 0.0}, {0.0, NA}}, {{0, 1.0 / 3}, {1, 0.0}}},
      // A A | C A | C C: differing unordered pairs i1-i2 2, i1-i3 4, i2-i3 2, counted in both orders.
      {"one population", "All;i1;i2;i3\n", {"i1=AGC/AGC", "i2=CGC/AGC", "i3=CGC/CGC"}, {16}, {72}, {{0}}, {{0}}, {{NA}},
       {{0, 16.0 / 72}}},
      {"two populations of one individual: no within comparison", "P0;i1\nP1;i2\n", {"i1=AGC/AGC", "i2=CGC/CGC"},
       {0, 0}, {0, 0}, {{0, 4}, {4, 0}}, {{0, 12}, {12, 0}}, {{NA, NA}, {NA, NA}}, {}},
      {"identical sequences: Hb 0 keeps -999", "P0;i1;i2\nP1;i3;i4\n", {"i1=AGC/AGC", "i2=AGC/AGC", "i3=AGC/AGC", "i4=AGC/AGC"},
       {0, 0}, {24, 24}, {{0, 0}, {0, 0}}, {{0, 48}, {48, 0}}, {{NA, NA}, {NA, NA}}, {{0, 0.0}, {1, 0.0}}},
      {"a gap faces a base: compared, differing; NNN not compared", "P0;i1;i2;i3\n", {"i1=AGC/AGC", "i2=---/---", "i3=NNN/NNN"},
       {24}, {24}, {{0}}, {{0}}, {{NA}}, {{0, 1.0}}},
      {"three alleles of one individual never compared together", "P0;i1;i2\n", {"i1=AGC/CGC/GGC", "i2=AGC"}, {4}, {18},
       {{0}}, {{0}}, {{NA}}, {{0, 4.0 / 18}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    auto pop = makePopulation(c.populations);
    auto container = testsupport::makeContainer(a.codon, diploids(c.individuals));
    mrv::PopulationDiversification d(container.get(), pop.get(), &a.codon, &a.nucleic);
    EXPECT_EQ(c.differenceWithin, d.get_all_differenceWithin());
    EXPECT_EQ(c.totalWithin, d.get_all_totalWithin());
    EXPECT_EQ(c.differenceBetween, d.get_all_differenceBetween());
    EXPECT_EQ(c.totalBetween, d.get_all_totalBetween());
    d.determine_Fst();
    EXPECT_EQ(c.fst, d.get_all_Fst());
    EXPECT_EQ(c.within, d.get_all_heterozygosityWithinPops());
  }
}

// 1000 sequences of 500 individuals over 720 codons: (1000^2 - 500 x 4) x 3 x 720 comparisons.
TEST(PopulationDiversification, CountersPassTheSigned32BitRange) {
  testsupport::Alphabets a;
  std::string line = "All";
  bpp::PolymorphismSequenceContainer c(&a.codon);
  for (int i = 0; i < 500; ++i) {
    line += ";i" + std::to_string(i);
    for (int k = 1; k <= 2; ++k) {
      std::vector<int> codes(720, 0);           // AAA
      if (k == 2 && i % 2 == 0) codes[0] = 16;  // CAA
      c.addSequenceWithFrequency(bpp::BasicSequence(testsupport::alleleName("i" + std::to_string(i), k), codes, &a.codon), 1, false);
    }
  }
  auto pop = makePopulation(line + "\n");
  const mrv::PopulationDiversification d(&c, pop.get(), &a.codon, &a.nucleic);
  EXPECT_EQ(INT64_C(2155680000), d.get_specific_totalWithin(0));
  EXPECT_EQ(INT64_C(374500), d.get_specific_differenceWithin(0));  // 250 C x 749 A of other individuals x 2
}

TEST(PopulationDiversification, IndividualInNoPopulationRaisesForTheFirstSequenceInOrder) {
  testsupport::Alphabets a;
  auto pop = makePopulation("P0;i1;i2\n");
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"x1=AGC"}, "x1"}, {{"i1=AGC", "x2=AGC", "x1=AGC"}, "x2"}, {{"x1=AGC", "x2=AGC"}, "x1"}};
  for (const auto& c : cases) {
    auto container = testsupport::makeContainer(a.codon, diploids(c.first));
    try {
      mrv::PopulationDiversification(container.get(), pop.get(), &a.codon, &a.nucleic);
      ADD_FAILURE() << c.second;
    } catch (const bpp::Exception& e) {
      EXPECT_EQ("Individual " + c.second + " doesn't belong to any population !", std::string(e.what()));
    }
  }
}
