#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "TestSupport.h"
#include "analysis/DistanceBetweenIndividuals.h"
#include "analysis/FocalSpeciesDrivers.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"

namespace {

using testsupport::Alphabets;

TEST(FocalSpeciesDrivers, HeterozygosityIsTheShareOfDifferingResolvedPositionsOfTheLaterPair) {
  Alphabets a;
  auto population = testsupport::makePopulation("P;het;gap;none;lone;twice\n");
  ResultsWarehouse results(population.get(), 8);
  auto source = testsupport::makeContainer(a.codon, {
      {"c|s|het|a_1", "GCAGCC"},   {"c|s|het|a_2", "GCAGCA"},    // 1 of 6 positions differs
      {"c|s|gap|a_1", "GCA---"},   {"c|s|gap|a_2", "GCAGCA"},    // a gap facing a base differs: 3 of 6
      {"c|s|none|a_1", "NNNNNN"},  {"c|s|none|a_2", "GCA!!!"},   // nothing resolved in both: not stored
      {"c|s|lone|a_1", "GCAGCA"},                                 // one allele: no pair
      {"c|s|twice|a_1", "GCAGCA"}, {"c|s|twice|a_2", "GCAGCA"},  // two pairs of one name:
      {"c|s|twice|a_3", "GCTGCA"}, {"c|s|twice|a_4", "GCAGCA"},  // the later one is stored
      {"c|s|partial|a_1", "NNNGCG"}, {"c|s|partial|a_2", "GCAGCA"},  // 1 of 3 compared positions
  });
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  std::vector<std::string> names = pairs.get_pair_names();
  computeIndividualHeterozygosity(&pairs, &a.codon, &a.nucleic, &results, names);
  const std::map<std::string, double> expected = {{"het", 1.0 / 6}, {"gap", 0.5},    {"none", -999.0},
                                                  {"lone", -999.0},  {"twice", 1.0 / 6}, {"partial", 1.0 / 3}};
  EXPECT_EQ(results.get_all_individual_heterozygosity(), expected);
}

TEST(FocalSpeciesDrivers, GC3OfTheFirstSequence) {
  Alphabets a;
  const struct {
    std::string consensus, counters;
    double gc3;
  } cases[] = {
      {"GCAGCCNNN!!!---GCGGCTAAC", "GC = 3 - AT = 2 - Other = 3", 0.6},  // NNN, "!!!" and gap in Other
      {"GCAARG", "GC = 0 - AT = 1 - Other = 1", 0.0},
      {"NNN---", "GC = 0 - AT = 0 - Other = 2", NAN},
  };
  for (const auto& c : cases) {
    auto container = testsupport::makeContainer(a.codon, {{"Ingroup_consensus", c.consensus},
                                                  {"unread", std::string(c.consensus.size(), 'C')}});
    SpeciesDataWarehouse record;
    testing::internal::CaptureStdout();
    computeGC3(container.get(), &record, &a.codon, true);
    computeGC3(container.get(), &record, &a.codon, false);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "(DEBUG - computeGC3) Counters: " + c.counters + "\n");
    EXPECT_TRUE(std::isnan(c.gc3) ? std::isnan(record.get_GC3()) : record.get_GC3() == c.gc3) << c.consensus;
  }
}

// Every ordered pair is the pair's own computation, with or without debug lines (which take every
// pair in turn, 3 lines of 2 per codon site), on random contigs.
TEST(FocalSpeciesDrivers, DistancesOfEveryOrderedPairWithOrWithoutDebugLines) {
  Alphabets a;
  std::mt19937 rng(3);
  for (int round = 0; round < 10; ++round) {
    auto source = testsupport::makeContainer(a.codon, testsupport::randomContig(rng, 1 + round % 5, 7));
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    const std::vector<std::string> names = pairs.get_pair_names();
    const unsigned int n = pairs.get_nb_pair();
    std::string population = "P";
    for (const std::string& name : names) population += ";" + name;
    auto model = testsupport::makePopulation(population + "\n");
    for (bool debug : {false, true}) {
      ResultsWarehouse results(model.get(), 4);
      const auto lines = testsupport::coutLines(
          [&] { computeAllDistancesBetweenIndividuals(&results, &pairs, &a.codon, &a.nucleic, debug); });
      EXPECT_EQ(lines.size(), debug ? 6u * 7u * n * n : 0u);
      for (unsigned int i = 0; i < n; ++i)
        for (unsigned int j = 0; j < n; ++j) {
          mrv::DistanceBetweenIndividuals expected(pairs.get_pair(i), pairs.get_pair(j));
          expected.computeDistance(pairs.get_pair(i), pairs.get_pair(j), &a.codon, &a.nucleic, false);
          const mrv::DistanceBetweenIndividuals* stored =
              results.get_specific_distance_object(names[i] + "|" + names[j]);
          ASSERT_NE(stored, nullptr) << i << " " << j;
          EXPECT_EQ(stored->get_distance(), expected.get_distance()) << i << " " << j;
          EXPECT_EQ(stored->get_nb_resolved_positions(), expected.get_nb_resolved_positions()) << i << " " << j;
        }
    }
  }
}

}  // namespace
