// The summary file, whole, from summaries whose averages and intervals are worked out by hand.
#include "ReportTestSupport.h"
#include "TestSupport.h"
#include "input/Population.h"
#include "report/OutputFiles.h"
#include "report/SummaryFile.h"

using namespace reporttest;

namespace {

// Two contigs and four individuals A, B, C, D; the second contig fails the piS and Fit tests. With
// `third`, a contig that adds nothing but fails the McDonald-Kreitman test (polymN_0 above 1000).
std::vector<SummaryContigValues> contigs(bool with_fst, bool third = false) {
  SummaryContigValues a = full(100, 0.25, 0.0625, 0.125, 0.25, 0.75, 4, 8, 32.0, 32.0, 2, 8, 1, 4);
  SummaryContigValues b = full(300, -1.0, 0.5, -999.0, 0.5, 0.5, 4, 8, 64.7, 32.9, 6, 8, 3, 4);
  a.nb_bi_allelic_SNP = 5, a.nb_tri_allelic_SNP = 1, b.nb_bi_allelic_SNP = 3, b.nb_quadri_allelic_SNP = 1;
  a.individual_heterozygosity = {0.1, 0.2, 0.3, -999.0}, b.individual_heterozygosity = {0.3, -999.0, 0.1, 0.4};
  if (with_fst) {  // six pairs of four populations
    a.population_fst = {0.05, 0.1, -999.0, 0.2, 0.3, 0.4};
    b.population_fst = {0.15, 0.2, 0.3, -999.0, 0.1, 0.2};
  }
  if (!third) return {a, b};
  SummaryContigValues c = full(0, -1.0, 0.0, -999.0, -999.0, -999.0, 0, 0, 0.0, 0.0, 1001, 0, 0, 0);
  c.individual_heterozygosity.assign(4, -999.0), c.population_fst.assign(a.population_fst.size(), -999.0);
  return {a, b, c};
}

// Writes the summary file of the contigs as a run does (the resamples alternate between contigs
// (0, 0) and (0, 1)) and returns its text.
std::string summaryText(const std::string& population_text, const std::vector<std::string>& args, bool third = false,
                        std::string* console = nullptr) {
  testsupport::TempDir dir;
  WorkingDirectory here(dir.path());
  dir.write("seqs.fas", ">x\nACG\n");
  mrv::Population population(dir.write("pop.txt", population_text));
  auto o = options(args);
  Summary s = summaryOf(contigs(population.get_number_of_population() > 1, third), 10, 1000000, 0.95,
                        population_text);
  {
    ScriptedGenerator generator({0.1, 0.1, 0.1, 0.9});
    s.compute_all_averages(&population, -0.1, -100.0, -900.0, -100.0, -100.0, 2.0, 1000);
    s.bootstrap_everything(-0.1, -100.0, -900.0, 2.0, 1000);
  }
  testing::internal::CaptureStdout();
  writeSummaryFile(o.get(), &s, &population);
  const std::string out = testing::internal::GetCapturedStdout();
  if (console) *console = out;
  return testsupport::readFile(dir.file(report::summaryFileName(*o)));
}

const std::string kHead = std::string(80, '#') + "\n" +
                          "#                              Biological Summary                              #\n" +
                          std::string(80, '#') + "\n\nSelected ingroup species: Sp1\n\n";

const std::string kCounts =
    "\n\nTotal number of contig used for sequence analysis: 2\n\nTotal number of SNPs: 10\n\n"
    "  - Biallelic: 8\n  - Triallelic: 1\n  - Quadriallelic: 1\n\n"
    "Fit:\n\nAverage Fit: 0.125 [0.125; 0.125]\n(Fit calculated in 1 contigs)\n\n"
    "Weir & Cockerham Fit (Evolution 1984):\n\nAverage Weir & Cockerham Fit: 0.375 [0.25; 0.375]\n"
    "(Fit calculated in 2 contigs)\n\n"
    "piN/piS ratio:\n\nAverage piS in focal species: 0.25 [0.25; 0.25]\n"
    "Average piN in focal species: 0.0625 [0.0625; 0.0625]\nAverage piN / average piS: 0.25 [0.25; 0.25]\n"
    "(piS and piN calculated in 1 contigs of average length 100)\n\n";

const std::string kHeterozygosity = "Individual heterozygosity:\n\nH(A): 0.25\nH(B): 0.2\nH(C): 0.15\nH(D): 0.4\n\n";

}  // namespace

// Four populations whose pairs (X|Y, Z) and (X, Y|Z) are both printed Fst(X|Y|Z), each with its own
// average: (5 + 45) / 400 and (40 + 60) / 400.
TEST(SummaryFile, WholeFileWithOutgroupAndFourPopulations) {
  std::string console;
  const std::string text = summaryText("X|Y;A\nZ;B\nX;C\nY|Z;D\n",
                                       {"-alignment_file=seqs.fas", "-ingroup=Sp1", "-outgroup=Sp2", "-out=res/run1.txt"},
                                       false, &console);
  EXPECT_EQ(console, "The Biological Summary is now written into the following file : run1.sum\n\n");
  EXPECT_EQ(text, kHead + "Number of analyzed individual: 4 (from 4 population(s))" + kCounts +
                      "dN/dS ratio:\n\nAverage dS: 0.25 [0.25; 0.25]\nAverage dN: 0.0833333 [0.083333; 0.125]\n"
                      "Average dN/dS: 0.333333 [0.333333; 0.5]\n(0 contigs with dS > 0.25 has been discarded)\n\n"
                      "Alpha:\n\nNI: 1 => alpha: 0 [0;0.5] (all SNPs)\n"
                      "NI0.2: 1 => alpha0.2: 0 [0;0.5] (allele freq > 0.2)\n(MK-analysis performed in 2 contigs)\n\n" +
                      kHeterozygosity +
                      "Population differentiation:\n\nFst(X|Y|Z): 0.125\nFst(X|Y|X): 0.175\nFst(X|Y|Y|Z): 0.3\n"
                      "Fst(Z|X): 0.2\nFst(Z|Y|Z): 0.15\nFst(X|Y|Z): 0.25\n\n");
}

// Without outgroup the heterozygosity block follows the piN/piS block; one population: no Fst block.
TEST(SummaryFile, WholeFileWithoutOutgroupAndOnePopulation) {
  const std::string text = summaryText("All;A;B;C;D\n", {"-alignment_file=seqs.fas", "-ingroup=Sp1"});
  EXPECT_EQ(text, kHead + "Number of analyzed individual: 4 (from 1 population(s))" + kCounts + kHeterozygosity + "\n");
}

// The McDonald-Kreitman line counts the contigs that passed: 3 contigs, the third failing (its
// polymN_0 1001 is above 1000), so 3 - 1 = 2. NI leaves it out: (8 × 16) / (16 × 8) = 1.
TEST(SummaryFile, McDonaldKreitmanLineLeavesOutTheFailedContigs) {
  const std::string text = summaryText("All;A;B;C;D\n", {"-alignment_file=seqs.fas", "-ingroup=Sp1", "-outgroup=Sp2"}, true);
  EXPECT_NE(text.find("\nTotal number of contig used for sequence analysis: 3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nNI: 1 => alpha: 0 ["), std::string::npos) << text;
  EXPECT_NE(text.find("\n(MK-analysis performed in 2 contigs)\n"), std::string::npos) << text;
}
