#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "SummaryTestSupport.h"
#include "TestSupport.h"
#include "WriterTestSupport.h"
#include "input/Population.h"
#include "report/SummaryFile.h"

using namespace summarytest;
using Lines = std::vector<std::string>;
using writertest::WorkingDirectory;

namespace {

// Two contigs and four individuals A, B, C, D; the second contig fails the piS and Fit tests.
std::vector<SummaryContigValues> twoContigs(bool with_fst) {
  SummaryContigValues a = full(100, 0.25, 0.0625, 0.125, 0.25, 0.75, 4, 8, 32.0, 32.0, 2, 8, 1, 4);
  SummaryContigValues b = full(300, -1.0, 0.5, -999.0, 0.5, 0.5, 4, 8, 64.7, 32.9, 6, 8, 3, 4);
  a.nb_bi_allelic_SNP = 5;
  a.nb_tri_allelic_SNP = 1;
  b.nb_bi_allelic_SNP = 3;
  b.nb_quadri_allelic_SNP = 1;
  a.individual_heterozygosity = {0.1, 0.2, 0.3, -999.0};
  b.individual_heterozygosity = {0.3, -999.0, 0.1, 0.4};
  if (with_fst) {
    a.population_fst = {0.05, 0.1, -999.0};
    b.population_fst = {0.15, 0.2, 0.3};
  }
  return {a, b};
}

// Fills a summary as a run does; the resamples alternate between contigs (0, 0) and (0, 1).
std::unique_ptr<Summary> filledSummary(mrv::Population& population) {
  std::unique_ptr<Summary> s(new Summary(twoContigs(population.get_number_of_population() > 1),
                                         population.get_all_individuals(), population.get_all_couples(), 10,
                                         1000000, 0.95));
  ScriptedGenerator generator({0.1, 0.1, 0.1, 0.9});
  s->set_random_generator(&generator);
  s->compute_all_averages(&population, -0.1, -100.0, -900.0, -100.0, -100.0, 2.0, 1000);
  s->bootstrap_everything(-0.1, -100.0, -900.0, 2.0, 1000);
  s->set_random_generator(nullptr);
  return s;
}

const Lines kHead = {
    std::string(80, '#'),
    "#                              Biological Summary                              #",
    std::string(80, '#'),
    "",
    "Selected ingroup species: Sp1",
    "",
};

const Lines kCounts = {
    "",
    "Total number of contig used for sequence analysis: 2",
    "",
    "Total number of SNPs: 10",
    "",
    "  - Biallelic: 8",
    "  - Triallelic: 1",
    "  - Quadriallelic: 1",
    "",
    "Fit:",
    "",
    "Average Fit: 0.125 [0.125; 0.125]",
    "(Fit calculated in 1 contigs)",
    "",
    "Weir & Cockerham Fit (Evolution 1984):",
    "",
    "Average Weir & Cockerham Fit: 0.375 [0.25; 0.375]",
    "(Fit calculated in 2 contigs)",
    "",
    "piN/piS ratio:",
    "",
    "Average piS in focal species: 0.25 [0.25; 0.25]",
    "Average piN in focal species: 0.0625 [0.0625; 0.0625]",
    "Average piN / average piS: 0.25 [0.25; 0.25]",
    "(piS and piN calculated in 1 contigs of average length 100)",
    "",
};

const Lines kOutgroup = {
    "dN/dS ratio:",
    "",
    "Average dS: 0.25 [0.25; 0.25]",
    "Average dN: 0.0833333 [0.083333; 0.125]",
    "Average dN/dS: 0.333333 [0.333333; 0.5]",
    "(0 contigs with dS > 0.25 has been discarded)",
    "",
    "Alpha:",
    "",
    "NI: 1 => alpha: 0 [0;0.5] (all SNPs)",
    "NI0.2: 1 => alpha0.2: 0 [0;0.5] (allele freq > 0.2)",
    "(MK-analysis performed in 2 contigs)",
    "",
};

const Lines kHeterozygosity = {
    "Individual heterozygosity:", "", "H(A): 0.25", "H(B): 0.2", "H(C): 0.15", "H(D): 0.4", "",
};

Lines concat(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

}  // namespace

TEST(SummaryFile, LayoutWithOutgroupAndThreePopulations) {
  testsupport::TempDir dir;
  WorkingDirectory here(dir.path());
  dir.write("seqs.fas", ">x\nACG\n");
  mrv::Population population(dir.write("pop.txt", "P1;A;B\nP2;C\nP3;D\n"));
  auto options = writertest::options({"-alignment_file=seqs.fas", "-ingroup=Sp1", "-outgroup=Sp2", "-out=results/run1.txt"});
  auto summary = filledSummary(population);

  testing::internal::CaptureStdout();
  writeSummaryFile(options.get(), summary.get(), &population);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "The Biological Summary is now written into the following file : run1.sum\n\n");

  const Lines expected = concat({kHead, {"Number of analyzed individual: 4 (from 3 population(s))"}, kCounts, kOutgroup,
                                 kHeterozygosity,
                                 {"Population differentiation:", "", "Fst(P1|P2): 0.125", "Fst(P1|P3): 0.175",
                                  "Fst(P2|P3): 0.3", ""}});
  const std::string text = testsupport::readFile(dir.file("run1.sum"));
  EXPECT_EQ(testsupport::splitLines(text), expected);
  EXPECT_EQ(text.back(), '\n');
}

TEST(SummaryFile, LayoutWithoutOutgroupAndOnePopulation) {
  testsupport::TempDir dir;
  WorkingDirectory here(dir.path());
  dir.write("seqs.fas", ">x\nACG\n");
  mrv::Population population(dir.write("pop.txt", "All;A;B;C;D\n"));
  auto options = writertest::options({"-alignment_file=seqs.fas", "-ingroup=Sp1"});
  auto summary = filledSummary(population);

  testing::internal::CaptureStdout();
  writeSummaryFile(options.get(), summary.get(), &population);
  testing::internal::GetCapturedStdout();

  // The heterozygosity block follows the piN/piS block, and the file ends with two empty lines.
  const Lines expected =
      concat({kHead, {"Number of analyzed individual: 4 (from 1 population(s))"}, kCounts, kHeterozygosity, {""}});
  const std::string text = testsupport::readFile(dir.file("seqs.sum"));
  EXPECT_EQ(testsupport::splitLines(text), expected);
  EXPECT_EQ(text.substr(text.size() - 3), "\n\n\n");
}

TEST(SummaryFile, FileNames) {
  struct Case {
    std::vector<std::string> extra;
    std::string name;
  };
  const std::vector<Case> cases = {
      {{"-out=results/run1.txt"}, "run1.sum"},     {{"-out=results/run1"}, "run1.sum"},
      {{"-out=my.dir/run1"}, "run1.sum"},          {{"-out=run.1.txt"}, "run.1.sum"},
      {{"-out=dir/.hidden"}, ".hidden.sum"},       {{}, "seqs.sum"},
      {{"-exec_mode=galaxy"}, "Selvantrix_summary"},
  };
  for (const Case& c : cases) {
    testsupport::TempDir dir;
    WorkingDirectory here(dir.path());
    std::filesystem::create_directory(dir.file("data"));
    dir.write("data/seqs.fas", ">x\nACG\n");
    mrv::Population population(dir.write("pop.txt", "P1;A;B;C;D\n"));
    std::vector<std::string> args = {"-alignment_file=data/seqs.fas", "-ingroup=Sp1"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    auto options = writertest::options(args);
    auto summary = filledSummary(population);
    testing::internal::CaptureStdout();
    writeSummaryFile(options.get(), summary.get(), &population);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(testsupport::fileExists(dir.file(c.name))) << c.name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 3)
        << c.name << ": only data/, pop.txt and the summary file";
  }
}
