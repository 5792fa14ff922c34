#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "FocalTestData.h"
#include "TestSupport.h"
#include "analysis/DistanceBetweenIndividuals.h"
#include "analysis/FocalSpeciesDrivers.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"

namespace {

using focaltest::Alphabets;
using focaltest::makeContainer;

struct Store {
  testsupport::TempDir dir;
  std::unique_ptr<mrv::Population> population;
  std::unique_ptr<ResultsWarehouse> results;
  explicit Store(const std::string& populationFile) {
    const std::string path = dir.write("pop.txt", populationFile);
    focaltest::captureStdout([&] { population.reset(new mrv::Population(path)); });
    results.reset(new ResultsWarehouse(population.get(), 8));
  }
};

TEST(FocalSpeciesDrivers, IndividualHeterozygosity) {
  Alphabets a;
  Store store("P;het;gap;none;lone;twice\n");
  auto source = makeContainer(a, {
      {"c|s|het|a_1", "GCAGCC"}, {"c|s|het|a_2", "GCAGCA"},      // 1 of 6 positions differs
      {"c|s|gap|a_1", "GCA---"}, {"c|s|gap|a_2", "GCAGCA"},      // a gap facing a base differs: 3 of 6
      {"c|s|none|a_1", "NNNNNN"}, {"c|s|none|a_2", "GCA!!!"},    // nothing resolved in both
      {"c|s|lone|a_1", "GCAGCA"},                                // a single allele forms no pair
      {"c|s|twice|a_1", "GCAGCA"}, {"c|s|twice|a_2", "GCAGCA"},  // two pairs of one name: the later one
      {"c|s|twice|a_3", "GCTGCA"}, {"c|s|twice|a_4", "GCAGCA"},  // is stored (1 of 6)
      {"c|s|partial|a_1", "NNNGCG"}, {"c|s|partial|a_2", "GCAGCA"},  // 1 of 3 compared positions
  });
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  std::vector<std::string> names = pairs.get_pair_names();
  computeIndividualHeterozygosity(&pairs, &a.codon, &a.nucleic, store.results.get(), names);
  ResultsWarehouse& r = *store.results;
  EXPECT_DOUBLE_EQ(r.get_specific_individual_heterozygosity("het"), 1.0 / 6.0);
  EXPECT_DOUBLE_EQ(r.get_specific_individual_heterozygosity("gap"), 0.5);
  EXPECT_EQ(r.get_specific_individual_heterozygosity("none"), -999.0);
  EXPECT_EQ(r.get_specific_individual_heterozygosity("lone"), -999.0);
  EXPECT_DOUBLE_EQ(r.get_specific_individual_heterozygosity("twice"), 1.0 / 6.0);
  EXPECT_DOUBLE_EQ(r.get_specific_individual_heterozygosity("partial"), 1.0 / 3.0);
}

TEST(FocalSpeciesDrivers, GC3ReadsTheThirdPositionsOfTheFirstSequence) {
  Alphabets a;
  const struct {
    const char* what;
    std::string consensus;
    std::string counters;
    double gc3;
  } cases[] = {
      {"NNN, frameshift and gap codons in Other", "GCAGCCNNN!!!---GCGGCTAAC", "GC = 3 - AT = 2 - Other = 3", 0.6},
      {"ambiguous codon in Other", "GCAARG", "GC = 0 - AT = 1 - Other = 1", 0.0},
      {"no resolved third position", "NNN---", "GC = 0 - AT = 0 - Other = 2", NAN},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // a second sequence is never read
    auto container = makeContainer(a, {{"Ingroup_consensus", c.consensus},
                                       {"other", std::string(c.consensus.size(), 'C')}});
    SpeciesDataWarehouse record;
    const std::string out = focaltest::captureStdout([&] { computeGC3(container.get(), &record, &a.codon, true); });
    EXPECT_EQ(out, "(DEBUG - computeGC3) Counters: " + c.counters + "\n");
    if (std::isnan(c.gc3))
      EXPECT_TRUE(std::isnan(record.get_GC3()));
    else
      EXPECT_DOUBLE_EQ(record.get_GC3(), c.gc3);
    EXPECT_EQ(focaltest::captureStdout([&] { computeGC3(container.get(), &record, &a.codon, false); }), "");
  }
}

TEST(FocalSpeciesDrivers, DistancesOfEveryOrderedPairIncludingSelfPairs) {
  Alphabets a;
  Store store("P;x;y;z\n");
  // x (A, A), y (A, C) at the third position of one codon
  auto source = makeContainer(a, focaltest::diploids({{"x", {"GCA", "GCA"}}, {"y", {"GCA", "GCC"}}}));
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  const std::string out = focaltest::captureStdout(
      [&] { computeAllDistancesBetweenIndividuals(store.results.get(), &pairs, &a.codon, &a.nucleic, true); });
  EXPECT_EQ(testsupport::splitLines(out).size(), 4u * 3u * 2u);  // 3 allele lines (and blank lines) per pair
  const struct {
    const char* key;
    double distance;
  } expected[] = {{"x|x", 0.0}, {"x|y", 0.5 / 3}, {"y|x", 0.5 / 3}, {"y|y", 0.5 / 3}, {"x|z", -1.0}, {"z|z", -1.0}};
  for (const auto& e : expected) {
    mrv::DistanceBetweenIndividuals* d = store.results->get_specific_distance_object(e.key);
    ASSERT_NE(d, nullptr) << e.key;
    EXPECT_DOUBLE_EQ(d->get_distance(), e.distance) << e.key;
    EXPECT_EQ(d->get_nb_resolved_positions(), e.distance < 0 ? 0 : 3) << e.key;
  }
}

// Straightforward reading for the heterozygosity and GC3 of random contigs.
TEST(FocalSpeciesDrivers, SameAsTheDirectReadingOnRandomContigs) {
  Alphabets a;
  std::mt19937 rng(23);
  for (int round = 0; round < 20; ++round) {
    auto container = makeContainer(a, focaltest::randomContig(rng, 7, 35));
    mrv::PairedSequenceContainer pairs(container.get(), &a.codon, "|", 3);
    std::vector<std::string> names = pairs.get_pair_names();
    std::string populationFile = "P";
    for (unsigned int i = 0; i < 7; ++i) populationFile += ";i" + std::to_string(i);
    Store store(populationFile + "\n");
    computeIndividualHeterozygosity(&pairs, &a.codon, &a.nucleic, store.results.get(), names);
    std::map<std::string, double> expected;
    for (unsigned int i = 0; i < 7; ++i) expected["i" + std::to_string(i)] = -999.0;
    for (unsigned int p = 0; p < pairs.get_nb_pair(); ++p) {
      unsigned int compared = 0, differ = 0;
      for (size_t s = 0; s < container->getNumberOfSites(); ++s)
        for (size_t k = 0; k < 3; ++k) {
          const int x = a.codon.getNPosition(pairs.get_pair(p)->valueAt(0, s), k);
          const int y = a.codon.getNPosition(pairs.get_pair(p)->valueAt(1, s), k);
          if (a.nucleic.isUnresolved(x) || a.nucleic.isUnresolved(y)) continue;
          ++compared;
          differ += x != y;
        }
      if (compared > 0) expected[names[p]] = static_cast<double>(differ) / compared;
    }
    EXPECT_EQ(store.results->get_all_individual_heterozygosity(), expected);

    unsigned int gc = 0, at = 0;
    for (size_t s = 0; s < container->getNumberOfSites(); ++s) {
      const int t = a.codon.getNPosition(container->valueAt(0, s), 2);
      gc += t == 1 || t == 2;
      at += t == 0 || t == 3;
    }
    SpeciesDataWarehouse record;
    computeGC3(container.get(), &record, &a.codon, false);
    EXPECT_EQ(record.get_GC3(), static_cast<double>(gc) / (gc + at));

    // every ordered pair, against the distance computed pair by pair
    computeAllDistancesBetweenIndividuals(store.results.get(), &pairs, &a.codon, &a.nucleic, false);
    std::map<std::string, std::pair<double, int>> last;  // a later pair of the same names wins
    for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i)
      for (unsigned int j = 0; j < pairs.get_nb_pair(); ++j) {
        mrv::DistanceBetweenIndividuals direct(&pairs, i, j);
        direct.computeDistance(pairs.get_pair(i), pairs.get_pair(j), &a.codon, &a.nucleic, false);
        last[direct.get_pair_name()] = {direct.get_distance(), direct.get_nb_resolved_positions()};
      }
    for (const auto& e : last) {
      mrv::DistanceBetweenIndividuals* stored = store.results->get_specific_distance_object(e.first);
      ASSERT_NE(stored, nullptr);
      EXPECT_EQ(stored->get_distance(), e.second.first) << e.first;
      EXPECT_EQ(stored->get_nb_resolved_positions(), e.second.second) << e.first;
    }
  }
}

}  // namespace
