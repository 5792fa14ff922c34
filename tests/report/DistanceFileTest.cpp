#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <memory>

#include "TestSupport.h"
#include "WriterTestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "report/DistanceFile.h"

using testsupport::fileExists;
using testsupport::readFile;
using testsupport::splitLines;
using testsupport::TempDir;

namespace {

void store(ResultsWarehouse& w, const std::string& a, const std::string& b, double distance, int positions) {
  auto* d = new mrv::DistanceBetweenIndividuals(a, b);
  d->set_distance(distance);
  d->set_nb_resolved_positions(positions);
  w.set_specific_distance_object(d->get_pair_name(), d);
}

}  // namespace

TEST(DistanceFile, MeansOverContigs) {
  TempDir dir;
  mrv::Population population(dir.write("pop.txt", "P1;A;B\nP2;C\n"));
  ResultsWarehouse c1(&population, 8), c2(&population, 8), c3(&population, 8);
  store(c1, "A", "B", 0.01, 300);
  store(c2, "A", "B", 0.03, 100);
  store(c3, "A", "B", -1.0, 0);  // computed but without any resolved position
  store(c1, "B", "A", std::nan(""), 5);
  store(c2, "B", "A", 0.0, 40);
  std::vector<ResultsWarehouse*> all = {&c1, &c2, &c3};
  std::vector<ResultsWarehouse*> none;

  struct Case {
    std::vector<ResultsWarehouse*>* warehouses;
    std::string key;
    double weighted, unweighted;
  };
  const std::vector<Case> cases = {
      {&all, "A|B", 0.015, 0.02},  {&all, "B|A", 0.0, 0.0},  {&all, "A|C", -1.0, -1.0},
      {&all, "A|A", -1.0, -1.0},   {&all, "x|y", -1.0, -1.0}, {&none, "A|B", -1.0, -1.0},
  };
  for (const auto& c : cases) {
    const auto means = summarizeDistances(*c.warehouses, c.key);
    ASSERT_EQ(means.size(), 2u);
    EXPECT_NEAR(means[0], c.weighted, 1e-12) << c.key;
    EXPECT_NEAR(means[1], c.unweighted, 1e-12) << c.key;
  }
  // Reading the means creates nothing in the warehouses (no entry for "x|y" either).
  EXPECT_EQ(c3.get_all_distance_objects().size(), 9u);

  // A pair whose only distance rests on 0 positions has an unweighted mean but no weighted one.
  ResultsWarehouse c4(&population, 8);
  store(c4, "C", "C", 0.5, 0);
  std::vector<ResultsWarehouse*> only = {&c4};
  EXPECT_EQ(summarizeDistances(only, "C|C"), (std::vector<double>{-1.0, 0.5}));
}

TEST(DistanceFile, FileLinesInPairOrder) {
  TempDir dir;
  const std::string alignment = dir.write("seqs.fas", ">C1|Sp1|A|1\nAAA\n");
  mrv::Population population(dir.write("pop.txt", "P1;A;B\nP2;C\n"));
  ResultsWarehouse c1(&population, 8), c2(&population, 8), c3(&population, 8);
  store(c1, "A", "B", 0.01, 300);
  store(c2, "A", "B", 0.03, 100);
  store(c1, "C", "C", 1e-05, 10);
  std::vector<ResultsWarehouse*> warehouses = {&c1, &c2, &c3};
  writertest::WorkingDirectory here(dir.path());

  for (bool header : {true, false}) {
    auto options = writertest::options({"-alignment_file=seqs.fas", "-ingroup=Sp1", "-out=out/dist_run.txt",
                                        std::string("-print_header=") + (header ? "yes" : "no")});
    testing::internal::CaptureStdout();
    writeDistanceFile(options.get(), warehouses, &population);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Distances between each focal individuals are now written into the following file : dist_run.dist\n\n");
    std::vector<std::string> expected = {"A\tA\t-1\t-1",      "A\tB\t0.015\t0.02", "A\tC\t-1\t-1",
                                         "B\tA\t-1\t-1",      "B\tB\t-1\t-1",      "B\tC\t-1\t-1",
                                         "C\tA\t-1\t-1",      "C\tB\t-1\t-1",      "C\tC\t1e-05\t1e-05"};
    if (header) expected.insert(expected.begin(), "Individual_1\tIndividual_2\tWeighted_distance\tUnweighted_distance");
    EXPECT_EQ(splitLines(readFile(dir.file("dist_run.dist"))), expected);
  }
  EXPECT_FALSE(fileExists(dir.file("out")));
}

TEST(DistanceFile, FileNames) {
  TempDir dir;
  mkdir(dir.file("data").c_str(), 0700);
  dir.write("data/seqs.fas", ">C1|Sp1|A|1\nAAA\n");
  mrv::Population population(dir.write("pop.txt", "P1;A\n"));
  std::vector<ResultsWarehouse*> none;
  writertest::WorkingDirectory here(dir.path());

  struct Case {
    std::vector<std::string> extra;
    std::string name;
  };
  const std::vector<Case> cases = {
      {{}, "seqs.dist"},
      {{"-exec_mode=galaxy"}, "Selvantrix_distances"},
      {{"-out=results/table.txt"}, "table.dist"},
      {{"-out=results/noext"}, "noext.dist"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-alignment_file=data/seqs.fas", "-ingroup=Sp1"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    auto options = writertest::options(args);
    testing::internal::CaptureStdout();
    writeDistanceFile(options.get(), none, &population);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile(dir.file(c.name)), "Individual_1\tIndividual_2\tWeighted_distance\tUnweighted_distance\nA\tA\t-1\t-1\n")
        << c.name;
  }
}
