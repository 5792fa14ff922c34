// The distance file: every ordered pair of the population's individuals with its mean distances
// over the contigs, weighted by the resolved positions and not.
#include <random>
#include <sstream>

#include "ReportTestSupport.h"
#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "report/DistanceFile.h"

using namespace reporttest;
using testsupport::readFile;

namespace {

void store(ResultsWarehouse& w, const std::string& a, const std::string& b, double distance, int positions) {
  auto* d = new mrv::DistanceBetweenIndividuals(a, b);
  d->set_distance(distance), d->set_nb_resolved_positions(positions);
  w.set_specific_distance_object(d->get_pair_name(), d);
}

// Writes the distance file of `warehouses` in `dir` (which holds seqs.fas) and returns the console.
std::string writeIn(const testsupport::TempDir& dir, std::vector<ResultsWarehouse*> warehouses,
                    mrv::Population& population, const std::vector<std::string>& args) {
  WorkingDirectory here(dir.path());
  auto o = options(args);
  testing::internal::CaptureStdout();
  writeDistanceFile(o.get(), warehouses, &population);
  return testing::internal::GetCapturedStdout();
}

}  // namespace

// Contigs without a distance for a pair (-1, not a number) add nothing; a pair whose distances rest
// on 0 positions has an unweighted mean only; individuals outside the population are not written.
// A B: (0.01 × 300 + 0.03 × 100) / 400 and (0.01 + 0.03) / 2.
TEST(DistanceFile, MeansOfEveryPairInPairOrder) {
  testsupport::TempDir dir;
  dir.write("seqs.fas", ">C1|Sp1|A|1\nAAA\n");
  mrv::Population population(dir.write("pop.txt", "P1;A;B\nP2;C\n"));
  ResultsWarehouse c1(&population, 8), c2(&population, 8), c3(&population, 8);
  store(c1, "A", "B", 0.01, 300), store(c2, "A", "B", 0.03, 100), store(c3, "A", "B", -1.0, 0);
  store(c1, "B", "A", std::nan(""), 5), store(c2, "B", "A", 0.0, 40);
  store(c1, "C", "C", 0.5, 0), store(c2, "C", "B", 1e-05, 10), store(c3, "x", "y", 0.2, 10);
  EXPECT_EQ(writeIn(dir, {&c1, &c2, &c3}, population, {"-alignment_file=seqs.fas", "-ingroup=Sp1", "-out=out/dist_run.txt"}),
            "Distances between each focal individuals are now written into the following file : dist_run.dist\n\n");
  EXPECT_EQ(readFile(dir.file("dist_run.dist")),
            "Individual_1\tIndividual_2\tWeighted_distance\tUnweighted_distance\nA\tA\t-1\t-1\nA\tB\t0.015\t0.02\n"
            "A\tC\t-1\t-1\nB\tA\t0\t0\nB\tB\t-1\t-1\nB\tC\t-1\t-1\nC\tA\t-1\t-1\nC\tB\t1e-05\t1e-05\nC\tC\t-1\t0.5\n");
}

// Every line holds the means of the distances that get_specific_distance_object reads for the
// pair's key, contig after contig, digit for digit, and so does summarizeDistances for that key alone:
// contig tables, objects that replace a table's pair, null entries, names holding "|" (a key read as
// two pairs), individuals outside the population, distances -1 or not a number.
TEST(DistanceFile, EveryLineAsSummarizedPairByPair) {
  testsupport::TempDir dir;
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
  writeIn(dir, warehouses, population, {"-alignment_file=seqs.fas", "-ingroup=Sp1", "-print_header=no"});
  std::ostringstream expected, by_key;
  size_t with_means = 0;
  for (const std::string& a : population.get_all_individuals())
    for (const std::string& b : population.get_all_individuals()) {
      const std::vector<double> means = summarizeDistances(warehouses, a + "|" + b);  // before objects are made
      by_key << a << "\t" << b << "\t" << means[0] << "\t" << means[1] << "\n";
      double weighted = 0.0, weights = 0.0, sum = 0.0, count = 0.0;
      for (ResultsWarehouse* w : warehouses) {
        const mrv::DistanceBetweenIndividuals* d = w->get_specific_distance_object(a + "|" + b);
        if (!d || !(d->get_distance() >= 0.0)) continue;
        weighted += d->get_distance() * d->get_nb_resolved_positions(), weights += d->get_nb_resolved_positions();
        sum += d->get_distance(), count += 1.0;
      }
      expected << a << "\t" << b << "\t" << (weights != 0.0 ? weighted / weights : -1.0) << "\t"
               << (count != 0.0 ? sum / count : -1.0) << "\n";
      with_means += count != 0.0;
    }
  EXPECT_EQ(readFile(dir.file("seqs.dist")), expected.str());
  EXPECT_EQ(by_key.str(), expected.str());
  EXPECT_GT(with_means, 20u);
  EXPECT_EQ(summarizeDistances(warehouses, "ab"), (std::vector<double>{-1.0, -1.0}));  // no pair
}
