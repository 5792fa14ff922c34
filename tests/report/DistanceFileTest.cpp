// The distance file: every ordered pair of the population's individuals with its mean distances
// over the contigs, weighted by the resolved positions and not.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <sstream>

#include "TestSupport.h"
#include "WriterTestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "report/DistanceFile.h"

using testsupport::readFile;
using testsupport::TempDir;

namespace {

void store(ResultsWarehouse& w, const std::string& a, const std::string& b, double distance, int positions) {
  auto* d = new mrv::DistanceBetweenIndividuals(a, b);
  d->set_distance(distance);
  d->set_nb_resolved_positions(positions);
  w.set_specific_distance_object(d->get_pair_name(), d);
}

}  // namespace

// Contigs without a distance for a pair (-1, not a number) add nothing; a pair whose distances rest
// on 0 positions has an unweighted mean only; individuals outside the population are not written.
TEST(DistanceFile, MeansOfEveryPairInPairOrder) {
  TempDir dir;
  dir.write("seqs.fas", ">C1|Sp1|A|1\nAAA\n");
  mrv::Population population(dir.write("pop.txt", "P1;A;B\nP2;C\n"));
  ResultsWarehouse c1(&population, 8), c2(&population, 8), c3(&population, 8);
  store(c1, "A", "B", 0.01, 300);
  store(c2, "A", "B", 0.03, 100);
  store(c3, "A", "B", -1.0, 0);
  store(c1, "B", "A", std::nan(""), 5);
  store(c2, "B", "A", 0.0, 40);
  store(c1, "C", "C", 0.5, 0);
  store(c2, "C", "B", 1e-05, 10);
  store(c3, "x", "y", 0.2, 10);
  std::vector<ResultsWarehouse*> warehouses = {&c1, &c2, &c3};
  writertest::WorkingDirectory here(dir.path());
  const std::string lines = "A\tA\t-1\t-1\nA\tB\t0.015\t0.02\nA\tC\t-1\t-1\nB\tA\t0\t0\nB\tB\t-1\t-1\nB\tC\t-1\t-1\n"
                            "C\tA\t-1\t-1\nC\tB\t1e-05\t1e-05\nC\tC\t-1\t0.5\n";
  for (bool header : {true, false}) {
    auto options = writertest::options({"-alignment_file=seqs.fas", "-ingroup=Sp1", "-out=out/dist_run.txt",
                                        std::string("-print_header=") + (header ? "yes" : "no")});
    testing::internal::CaptureStdout();
    writeDistanceFile(options.get(), warehouses, &population);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Distances between each focal individuals are now written into the following file : dist_run.dist\n\n");
    EXPECT_EQ(readFile(dir.file("dist_run.dist")),
              (header ? "Individual_1\tIndividual_2\tWeighted_distance\tUnweighted_distance\n" : "") + lines);
  }
}

TEST(DistanceFile, EveryLineAsSummarizedPairByPair) {
  // The file sums each pair in one pass over the contigs; every line must show what
  // summarizeDistances gives for the pair's key, digit for digit: contig tables, objects that
  // replace a table's pair, null entries, names holding "|" (a key read as two pairs), individuals
  // outside the population, distances -1 or not a number.
  TempDir dir;
  dir.write("seqs.fas", ">C1|Sp1|A|1\nAAA\n");
  mrv::Population population(dir.write("pop.txt", "P1;a;b;x|y\nP2;z;x;y|z;c\n"));
  std::mt19937 random(7);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  auto value = [&](size_t i) { return i % 7 == 3 ? -1.0 : i % 11 == 5 ? std::nan("") : uniform(random) / 3.0; };
  std::vector<std::unique_ptr<ResultsWarehouse>> owned;
  std::vector<ResultsWarehouse*> warehouses;
  const std::vector<std::vector<std::string>> tables = {
      {"a", "b", "c", "z", "x"}, {"c", "q", "a"}, {}, {"x", "z", "b", "a", "c"}, {"b", "a"}, {"a", "b", "c", "z", "x"}};
  for (size_t c = 0; c < tables.size(); ++c) {
    owned.emplace_back(new ResultsWarehouse(&population, 8));
    ResultsWarehouse& w = *owned.back();
    const size_t k = tables[c].size();
    std::vector<double> distances(k * k);
    std::vector<int> positions(k * k);
    for (size_t i = 0; i < k * k; ++i) distances[i] = value(i + c), positions[i] = static_cast<int>(random() % 400);
    w.set_distances(tables[c], distances, positions);
    if (c % 2 == 0) store(w, "a", "b", value(c + 1), 17);      // in place of the table's pair
    if (c != 4) store(w, "x", "y|z", uniform(random), 29);     // key of (x|y, z) and (x, y|z)
    w.get_specific_distance_object("b|zz");                      // a null entry
    if (c == 3) w.set_specific_distance_object("c|a", nullptr);  // hides the table's pair
    warehouses.push_back(&w);
  }
  writertest::WorkingDirectory here(dir.path());
  auto options = writertest::options({"-alignment_file=seqs.fas", "-ingroup=Sp1", "-print_header=no"});
  testing::internal::CaptureStdout();
  writeDistanceFile(options.get(), warehouses, &population);
  testing::internal::GetCapturedStdout();

  std::ostringstream expected;
  size_t with_means = 0;
  for (const std::string& a : population.get_all_individuals())
    for (const std::string& b : population.get_all_individuals()) {
      const std::vector<double> means = summarizeDistances(warehouses, a + "|" + b);
      expected << a << "\t" << b << "\t" << means[0] << "\t" << means[1] << "\n";
      with_means += means[1] != -1.0;
    }
  EXPECT_EQ(readFile(dir.file("seqs.dist")), expected.str());
  EXPECT_GT(with_means, 20u);
}
