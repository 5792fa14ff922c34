// Whole runs of the program on small alignments: console text, exit status, standard error and the
// three output files, compared whole.  The expected texts were worked out by hand (the two contigs
// of data/hand, arithmetic in the comments below) or computed by tests/e2e/oracle.py, an
// independent re-implementation (the files under data/ that hold "<...>" fields leave the
// library-computed values open).  Only the time stamps and the bootstrap interval bounds are masked.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

using testsupport::fileExists;
using testsupport::readFile;
using testsupport::runSelvantrix;
using testsupport::sourcePath;
using testsupport::splitLines;
using testsupport::TempDir;

namespace {

std::string data(const std::string& rel) { return readFile(sourcePath("tests/e2e/data/" + rel)); }

// Time stamps differ from run to run: keep the prefix only.
std::string maskTimes(const std::string& text) {
  static const std::regex stamp("^(Start time: |   --> Begin: |   --> Stop: |Stop time: ).*$",
                                std::regex::multiline);
  return std::regex_replace(text, stamp, "$1<time>");
}

// Bootstrap bounds are random: keep the brackets and the separator ("; " or ";").
std::string maskIntervals(const std::string& text) {
  static const std::regex interval(R"(\[[^;\]]*;( ?)[^\]]*\])");
  return std::regex_replace(text, interval, "[x;$1x]");
}

bool isPlaceholder(const std::string& f) { return f.size() > 2 && f.front() == '<' && f.back() == '>'; }

// Line by line; an expected tab-separated field "<...>" stands for any value the library computes.
void expectSameText(const std::string& expected, const std::string& actual, const std::string& what) {
  auto e = splitLines(expected), a = splitLines(actual);
  EXPECT_EQ(e.size(), a.size()) << what << ": number of lines";
  EXPECT_EQ(expected.empty() || expected.back() == '\n', actual.empty() || actual.back() == '\n') << what;
  for (size_t i = 0; i < std::min(e.size(), a.size()); ++i) {
    if (e[i] == a[i]) continue;
    auto ef = splitLines(std::regex_replace(e[i], std::regex("\t"), "\n"));
    auto af = splitLines(std::regex_replace(a[i], std::regex("\t"), "\n"));
    bool same = ef.size() == af.size() && e[i].find('\t') != std::string::npos;
    for (size_t k = 0; same && k < ef.size(); ++k) same = ef[k] == af[k] || isPlaceholder(ef[k]);
    EXPECT_TRUE(same) << what << " line " << i + 1 << "\n  expected: " << e[i] << "\n  actual:   " << a[i];
  }
}

struct RunCase {
  std::string name;
  std::vector<std::pair<std::string, std::string>> inputs;  // working-directory name, source path
  std::vector<std::string> args;
  int status;
  std::string err;
  std::string console;                                       // expected, time stamps masked
  std::vector<std::pair<std::string, std::string>> files;    // written file, expected text
  std::vector<std::string> absent;                           // files that must not be written
};

void checkRun(const RunCase& c) {
  SCOPED_TRACE(c.name);
  TempDir d;
  for (const auto& in : c.inputs) d.write(in.first, readFile(in.second));
  auto r = runSelvantrix(c.args, d.path());
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.err, c.err);
  expectSameText(c.console, maskTimes(r.out), "console");
  for (const auto& f : c.files) {
    ASSERT_TRUE(fileExists(d.file(f.first))) << f.first;
    expectSameText(maskIntervals(f.second), maskIntervals(readFile(d.file(f.first))), f.first);
  }
  for (const auto& f : c.absent) EXPECT_FALSE(fileExists(d.file(f))) << f;
  // no input file is touched
  for (const auto& in : c.inputs) EXPECT_EQ(readFile(d.file(in.first)), readFile(in.second)) << in.first;
}

std::string hand(const std::string& f) { return sourcePath("tests/e2e/data/hand/" + f); }

const std::vector<std::string> kHandArgs = {
    "-alignment_file=aln.fas", "-population_file=pop.txt", "-ingroup=Sp1",   "-gapN_site=1",
    "-min_nb_codon=1",         "-gc_bin=4",                "-kappa=1",       "-compute_distances=yes",
    "-contig_usage=all",       "-gapN_seq=0.5",            "-tolerance_zone=20", "-remove_frameshift=no",
    "-allow_internal_bc=no",   "-print_header=yes"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// ---------------------------------------------------------------------------------------------
// The two hand-worked contigs (data/hand/aln.fas), populations P1 {A, B}, P2 {C, D}, kappa 1,
// 4 GC classes (bounds 0.25, 0.5, 0.75, 1).
//
// c1, 5 codons, 8 ingroup sequences (allele_1, allele_2 of A, B, C, D) and the outgroup O:
//   A1 GCT GAT CTG GGC ATG   A2 GCC GAT CTG GGC ATG   B1 GCT GAT CTG GGC ATG   B2 GCT GGT CTG GGC ATG
//   C1 GCC GAT CTG GGC ATG   C2 GCC GAT CTN GGC ATG   D1 GCT GAT CTG GGC ATG   D2 GCT GAT CTG GGC ATG
//   O  GCT GAT CTG GGT GTG
// Varying positions: X = codon 1 position 3 (T/C, GCT/GCC both Ala: synonymous) with genotypes
// A T/C, B T/T, C C/C, D T/T; Y = codon 2 position 2 (A/G, GAT Asp / GGT Gly) with only B A/G.
// C2's codon 3 (CTN) is NNN: its three nucleotides are unresolved and codon 3 is not complete.
//   - SNPs: X and Y bi-allelic, nothing else varies: 2, 0, 0.
//   - GC classes: X is a single synonymous substitution; C is carried by A2, C1, C2 of the 8 typed
//     sequences: f = 3/8 = 0.375, class 2 (bound 0.5). Y is non-synonymous: no class. -> 0 1 0 0.
//   - complete codons of the ingroup: 4 (codon 3 holds NNN).
//   - GC3 of the consensus GCT GAT CTG GGC ATG (GCT 5 to GCC 3; CTG 7 to NNN 1): T T G C G -> 3/5 = 0.6.
//   - heterozygosity: A 1 of 15, B 1 of 15, C 0 of 12 (codon 3 unresolved in C2), D 0 of 15.
//   - Fit: X: n = 4, p = 5/8, q = 3/8, expected 2pq n = 1.875, observed 1; Y: p = 7/8, q = 1/8,
//     expected 0.875, observed 1; Fit = 1 - 2/2.75 = 3/11 = 0.272727.
//   - WC84: X: n/(n-1) = 4/3, p(1-p) = 0.234375, (2n-1)/(4n) h = 7/16 x 1/4 = 0.109375, b = 1/6,
//     c = h/2 = 0.125; Y: p(1-p) = 7/64 = 0.109375 = (7/16) h, b = 0, c = 0.125;
//     B = 1/6, C = 1/4, Fit = (1/6) / (5/12) = 0.4.
//   - Fst: within P1, the 8 ordered cross-individual pairs of A's and B's sequences at 15 positions:
//     120 comparisons, 4 differ at X and 4 at Y: Hw1 = 8/120. Within P2: (C1,D*) 2 x 15 and
//     (C2,D*) 2 x 12 positions, both orders: 108 comparisons, 8 differ (X): Hw2 = 8/108.
//     Between: 16 sequence pairs, 4 with C2 (12 positions) and 12 others (15), both orders: 456,
//     differing 2 x (6 + 2 at X + 4 at Y) = 24: Hb = 1/19. Hw = (1/15 + 2/27)/2 = 19/270,
//     Fst = 1 - Hw/Hb = -91/270 = -0.337037.
//   - distances, 0.25 per differing cross comparison, over the positions where all four alleles are
//     resolved (12 with C, else 15): at X A-A 0.5, A-B 0.5, A-C 0.5, A-D 0.5, B-C 1, C-D 1, others 0;
//     at Y A-B 0.5, B-B 0.5, B-C 0.5, B-D 0.5, others 0.  So A|A 0.5/15, A|B 1/15, A|C 0.5/12,
//     A|D 0.5/15, B|B 0.5/15, B|C 1.5/12, B|D 0.5/15, C|C 0, C|D 1/12, D|D 0 (and the mirrors).
//   - piS, piN (complete codons 1, 2, 4, 5; n = 8, factor n/(n-1) = 8/7): codon 1 contributes
//     2 x 5/8 x 3/8 x 1 synonymous difference = 30/64, codon 2 2 x 7/8 x 1/8 = 14/64 non-synonymous.
//     Synonymous sites with kappa 1 (each synonymous single-base change weighs 1/3; none of these
//     codons is one base away from a stop): GCT 1, GCC 1, GAT 1/3 (GAC), GGT 1, GGC 1, ATG 0;
//     mean over the sites 1 + (7/8 x 1/3 + 1/8 x 1) + 1 + 0 = 29/12, non-synonymous 12 - 29/12 = 115/12.
//     piS = (30/64 x 8/7) / (29/12) = 180/812 = 0.221675; piN = (14/64 x 8/7) / (115/12) = 3/115 = 0.026087.
//   - nS, nN of the consensus pair GCT GAT CTG GGC ATG / GCT GAT CTG GGT GTG (CTG: TTG, CTA, CTC,
//     CTT synonymous: 4/3; GTG 1): nS = 1 + 1/3 + 4/3 + 1 + 1/2 = 25/6 = 4.16667, nN = 15 - 25/6 = 10.8333.
//   - McDonald-Kreitman on the complete codons 1, 2, 4, 5 of the 8 sequences plus the outgroup:
//     codon 1 one synonymous polymorphism (C at 3/8, above 0.2), codon 2 one non-synonymous (G at
//     1/8, dropped at 0.2), codon 4 GGC/GGT fixed synonymous, codon 5 ATG/GTG fixed non-synonymous:
//     fixN 1, fixS 1, polymN0.0 1, polymS0.0 1, polymN0.2 0, polymS0.2 1.  Site numbers of the 9
//     sequences: synonymous 1 + (8/9 x 1/3 + 1/9) + 1 + 1/9 = 2.52 -> 2, non-synonymous 12 - 2.52 -> 9.
// c2, 2 codons GCT GGC in all 9 sequences: nothing varies; complete 2; GC3 T C = 0.5; every H 0
//   (0 of 6); no bi-allelic position, so Fit and WC84 keep -999; Hb = 0, so Fst keeps -999;
//   piN = piS = 0; nS = 1 + 1 = 2 synonymous sites, nN = 6 - 2 = 4; no difference with the
//   outgroup: every McDonald-Kreitman count 0, site numbers MK_nN 4 and MK_nS 2.
// ---------------------------------------------------------------------------------------------

const char* kHandHeader =
    "Contig_name\tStatus\tBiAllelic_SNP\tTriAllelic_SNP\tQuadriAllelic_SNP\tnN\tnS\tfixN\tfixS\tpolymN0.0\t"
    "polymS0.0\tpolymN0.2\tpolymS0.2\tMK_nN\tMK_nS\tGCalfreq<=0.25\tGCalfreq<=0.5\tGCalfreq<=0.75\tGCalfreq<=1\t"
    "Sp1_nb_sequence\tSp1_nb_complete_site\tSp1_GC3\tSp1_piN\tSp1_piS\tSp1_Fit\tSp1_WeirCockerham84_Fit\t"
    "H(A)\tH(B)\tH(C)\tH(D)\tFst(P1,P2)\t\n";

const char* kHandC1Tail = "\t0\t1\t0\t0\t8\t4\t0.6\t0.026087\t0.221675\t0.272727\t0.4\t0.0666667\t0.0666667\t0\t0\t-0.337037\t\n";
const char* kHandC2Tail = "\t0\t0\t0\t0\t8\t2\t0.5\t0\t0\t-999\t-999\t0\t0\t0\t0\t-999\t\n";

const std::string kHandMainWithOutgroup = std::string(kHandHeader) +
    "c1\tOK\t2\t0\t0\t10.8333\t4.16667\t1\t1\t1\t1\t0\t1\t9\t2" + kHandC1Tail +
    "c2\tOK\t0\t0\t0\t4\t2\t0\t0\t0\t0\t0\t0\t4\t2" + kHandC2Tail;

const std::string kHandMainWithoutOutgroup = std::string(kHandHeader) +
    "c1\tOK\t2\t0\t0\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1" + kHandC1Tail +
    "c2\tOK\t0\t0\t0\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1" + kHandC2Tail;

// Weighted: (x1 m1 + 0 x 6) / (m1 + 6); unweighted: (x1 + 0) / 2 (c2 gives 0 over 6 positions).
const char* kHandDistances =
    "Individual_1\tIndividual_2\tWeighted_distance\tUnweighted_distance\n"
    "A\tA\t0.0238095\t0.0166667\n"   // 0.5/21, (1/30)/2
    "A\tB\t0.047619\t0.0333333\n"    // 1/21, (1/15)/2
    "A\tC\t0.0277778\t0.0208333\n"   // 0.5/18, (0.5/12)/2
    "A\tD\t0.0238095\t0.0166667\n"
    "B\tA\t0.047619\t0.0333333\n"
    "B\tB\t0.0238095\t0.0166667\n"
    "B\tC\t0.0833333\t0.0625\n"      // 1.5/18, (1.5/12)/2
    "B\tD\t0.0238095\t0.0166667\n"
    "C\tA\t0.0277778\t0.0208333\n"
    "C\tB\t0.0833333\t0.0625\n"
    "C\tC\t0\t0\n"
    "C\tD\t0.0555556\t0.0416667\n"   // 1/18, (1/12)/2
    "D\tA\t0.0238095\t0.0166667\n"
    "D\tB\t0.0238095\t0.0166667\n"
    "D\tC\t0.0555556\t0.0416667\n"
    "D\tD\t0\t0\n";

// Summary over c1 (weight 4) and c2 (weight 2):
//   Fit and WC84 from c1 only (c2 keeps -999); piS = (4 x 180/812 + 2 x 0)/6 = 0.147783,
//   piN = (4 x 3/115)/6 = 2/115 = 0.0173913, ratio 0.117681, length 6/2 = 3;
//   dS of the contigs 1/4 and 0/2: median 0.125, sample SD sqrt(0.03125), threshold
//   0.125 + 2 x 0.176777 = 0.478553; dS = (1+0)/(4+2) (nS truncated to 4 and 2) = 0.166667,
//   dN = 1/(10+4) = 0.0714286, dN/dS = 0.428571; NI = (1 x 1)/(1 x 1) = 1, NI0.2 = (0 x 1)/(1 x 1) = 0;
//   H(A) = H(B) = 4 x 1/15 / 6 = 0.0444444; Fst from c1 only.
const char* kHandSummaryTop =
    "################################################################################\n"
    "#                              Biological Summary                              #\n"
    "################################################################################\n"
    "\n"
    "Selected ingroup species: Sp1\n"
    "\n"
    "Number of analyzed individual: 4 (from 2 population(s))\n"
    "\n"
    "Total number of contig used for sequence analysis: 2\n"
    "\n"
    "Total number of SNPs: 2\n"
    "\n"
    "  - Biallelic: 2\n"
    "  - Triallelic: 0\n"
    "  - Quadriallelic: 0\n"
    "\n"
    "Fit:\n"
    "\n"
    "Average Fit: 0.272727 [x; x]\n"
    "(Fit calculated in 1 contigs)\n"
    "\n"
    "Weir & Cockerham Fit (Evolution 1984):\n"
    "\n"
    "Average Weir & Cockerham Fit: 0.4 [x; x]\n"
    "(Fit calculated in 1 contigs)\n"
    "\n"
    "piN/piS ratio:\n"
    "\n"
    "Average piS in focal species: 0.147783 [x; x]\n"
    "Average piN in focal species: 0.0173913 [x; x]\n"
    "Average piN / average piS: 0.117681 [x; x]\n"
    "(piS and piN calculated in 2 contigs of average length 3)\n"
    "\n";

const char* kHandSummaryOutgroup =
    "dN/dS ratio:\n"
    "\n"
    "Average dS: 0.166667 [x; x]\n"
    "Average dN: 0.0714286 [x; x]\n"
    "Average dN/dS: 0.428571 [x; x]\n"
    "(0 contigs with dS > 0.478553 has been discarded)\n"
    "\n"
    "Alpha:\n"
    "\n"
    "NI: 1 => alpha: 0 [x;x] (all SNPs)\n"
    "NI0.2: 0 => alpha0.2: 1 [x;x] (allele freq > 0.2)\n"
    "(MK-analysis performed in 2 contigs)\n"
    "\n";

const char* kHandSummaryBottom =
    "Individual heterozygosity:\n"
    "\n"
    "H(A): 0.0444444\n"
    "H(B): 0.0444444\n"
    "H(C): 0\n"
    "H(D): 0\n"
    "\n"
    "Population differentiation:\n"
    "\n"
    "Fst(P1|P2): -0.337037\n"
    "\n";

const char* kDuplicateConsole =
    "\n"
    "###################################################################################\n"
    "#          Welcome in Selvantrix (Version 3 (Last update: 12-06-2013))          #\n"
    "###################################################################################\n"
    "Start time: <time>\n"
    "\n"
    "Selected alignment file: example.fas\n"
    "Selected population file: pop.txt\n"
    "\n"
    "Selected focal/ingroup species: Sp1\n"
    "Selected external/outgroup species: Sp2\n"
    "\n"
    "Frameshift-containing contigs will be conserved during the alignment file loading.\n"
    "Stop and Frameshift codons will be tolerated in the first/last 20 codon(s) of each sequence.\n"
    "Internal Stop and Frameshift codons are forbidden and the corresponding contig will be rejected !\n"
    "\n"
    "The following contigs will be used to generate the Biological summary: all contigs\n"
    "\n"
    "WARNING!!! Duplicates has been detected in the selected population file !\n"
    "\n"
    "Here is the list of individual that exists in at least 2 populations: ind02 ind04\n"
    "\n"
    "Stop time: <time>\n"
    "###################################################################################\n"
    "#                          Selvantrix - End of execution                          #\n"
    "###################################################################################\n";

const std::vector<std::string> kAllDefaults = {
    "-contig_usage=all", "-gc_bin=8",   "-gapN_site=10", "-gapN_seq=0.5",          "-tolerance_zone=20",
    "-min_nb_codon=10",  "-kappa=1",    "-remove_frameshift=no", "-compute_distances=no",
    "-allow_internal_bc=no", "-print_header=yes"};

}  // namespace

TEST(EndToEnd, WholeRuns) {
  const std::string example = sourcePath("examples/example.fas");
  const std::string formats = sourcePath("tests/e2e/data/formats/");
  const std::vector<RunCase> cases = {
      // The README command on the example: every report of the input stage (the library's warnings
      // for the options left out, the populations, the reading and the cleaning blocks: contig04 has
      // an internal stop codon), and every statistic the program computes itself.
      {"example alignment",
       {{"example.fas", example}, {"populations.txt", sourcePath("examples/populations.txt")}},
       {"-alignment_file=example.fas", "-population_file=populations.txt", "-ingroup=Sp1", "-outgroup=Sp2"},
       0, "", data("example/console.txt"), {{"example.out", data("example/expected.out")}}, {"example.dist"}},
      // ind02 in both populations and ind04 twice in one: the run stops before reading the alignment.
      {"population file with duplicates",
       {{"example.fas", example}, {"pop.txt", sourcePath("tests/e2e/data/duplicate/pop.txt")}},
       with({"-alignment_file=example.fas", "-population_file=pop.txt", "-ingroup=Sp1", "-outgroup=Sp2"},
            kAllDefaults),
       1, "ERROR!!! Current Selvantrix version is not compatible with duplicates-containing populations !\n",
       kDuplicateConsole, {}, {"example.out", "example.sum"}},
      {"hand-worked contigs with outgroup",
       {{"aln.fas", hand("aln.fas")}, {"pop.txt", hand("pop.txt")}},
       with(kHandArgs, {"-outgroup=Sp2"}), 0, "", data("hand/console_outgroup.txt"),
       {{"aln.out", kHandMainWithOutgroup},
        {"aln.dist", kHandDistances},
        {"aln.sum", std::string(kHandSummaryTop) + kHandSummaryOutgroup + kHandSummaryBottom}},
       {}},
      // Without -outgroup the Sp2 sequences are another species, removed by the cleaning; the outgroup
      // columns keep -1 and the summary has no dN/dS nor alpha block.
      {"hand-worked contigs without outgroup",
       {{"aln.fas", hand("aln.fas")}, {"pop.txt", hand("pop.txt")}},
       kHandArgs, 0, "", data("hand/console_no_outgroup.txt"),
       {{"aln.out", kHandMainWithoutOutgroup},
        {"aln.dist", kHandDistances},
        {"aln.sum", std::string(kHandSummaryTop) + kHandSummaryBottom}},
       {}},
      // c2's outgroup sequence is all N: it is removed (share 1 > 0.5) and c2 is rejected for want of
      // an outgroup sequence; c1 keeps its values.
      {"outgroup with no sequence left",
       {{"aln.fas", hand("aln_outgroup_gapped.fas")}, {"pop.txt", hand("pop.txt")}},
       with(kHandArgs, {"-outgroup=Sp2"}), 0, "", data("hand/console_outgroup_gapped.txt"),
       {{"aln.out", std::string(kHandHeader) + "c1\tOK\t2\t0\t0\t10.8333\t4.16667\t1\t1\t1\t1\t0\t1\t9\t2" +
                        kHandC1Tail}},
       {}},
  };
  for (const auto& c : cases) checkRun(c);
}

// Populations P1 {A, B} and P2 {C}, ingroup Sp1, 8 classes: 15 fixed titles, 8 class titles,
// 7 species titles, H(A), H(B), H(C) and Fst(P1,P2): 34 titles, every row 34 fields, each followed by
// a tab.  The distance file lists the 9 ordered pairs A A, A B, A C, B A, ... C C.
TEST(EndToEnd, OutputFormats) {
  const std::string header =
      "Contig_name\tStatus\tBiAllelic_SNP\tTriAllelic_SNP\tQuadriAllelic_SNP\tnN\tnS\tfixN\tfixS\tpolymN0.0\t"
      "polymS0.0\tpolymN0.2\tpolymS0.2\tMK_nN\tMK_nS\tGCalfreq<=0.125\tGCalfreq<=0.25\tGCalfreq<=0.375\t"
      "GCalfreq<=0.5\tGCalfreq<=0.625\tGCalfreq<=0.75\tGCalfreq<=0.875\tGCalfreq<=1\tSp1_nb_sequence\t"
      "Sp1_nb_complete_site\tSp1_GC3\tSp1_piN\tSp1_piS\tSp1_Fit\tSp1_WeirCockerham84_Fit\tH(A)\tH(B)\tH(C)\t"
      "Fst(P1,P2)\t";
  const std::string dir = "tests/e2e/data/formats/";
  const std::vector<std::pair<std::string, std::string>> inputs = {{"aln.fas", sourcePath(dir + "aln.fas")},
                                                                   {"pop.txt", sourcePath(dir + "pop.txt")}};
  const std::vector<std::string> args = {"-alignment_file=aln.fas", "-population_file=pop.txt", "-ingroup=Sp1",
                                         "-outgroup=Sp2", "-gapN_site=1", "-min_nb_codon=1",
                                         "-compute_distances=yes", "-bs_replicates=10"};
  struct Case {
    std::string print_header, out, dist;
  };
  for (const Case& c : std::vector<Case>{{"yes", "header.out", "header.dist"}, {"no", "noheader.out", "noheader.dist"}}) {
    SCOPED_TRACE(c.print_header);
    TempDir d;
    for (const auto& in : inputs) d.write(in.first, readFile(in.second));
    auto r = runSelvantrix(with(args, {"-print_header=" + c.print_header}), d.path());
    ASSERT_EQ(r.status, 0) << r.err;
    std::string out = readFile(d.file("aln.out"));
    expectSameText(data("formats/" + c.out), out, "aln.out");
    expectSameText(data("formats/" + c.dist), readFile(d.file("aln.dist")), "aln.dist");
    auto lines = splitLines(out);
    if (c.print_header == "yes") EXPECT_EQ(lines.at(0), header);
    for (const auto& l : lines) {
      EXPECT_EQ(std::count(l.begin(), l.end(), '\t'), 34) << l;
      EXPECT_EQ(l.back(), '\t');
    }
  }
}

// Without outgroup steps the debug inventory shows the starting values of the divergence fields.
TEST(EndToEnd, DebugInventoryWithoutOutgroup) {
  TempDir d;
  d.write("aln.fas", readFile(hand("aln.fas")));
  d.write("pop.txt", readFile(hand("pop.txt")));
  auto r = runSelvantrix(with(kHandArgs, {"-debug_mode=yes"}), d.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> block = {
      " -- 2 species analysis -- ", "", " -> Selection indicators:", "", "  --> nN: -1", "  --> nS: -1",
      "  --> nbseq_div: 0", "  --> nbsite_div: 0", "", " -> mcDonald-Kreitman Analysis:", "",
      "  --> FixN: -1", "  --> FixS: -1", "  --> PolymN 0.0: -1", "  --> PolymS 0.0: -1", "  --> PolymN 0.2: -1",
      "  --> PolymS 0.2: -1", "  --> MK_nN: -1", "  --> MK_nS: -1", ""};
  auto lines = splitLines(r.out);
  int found = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != block[0]) continue;
    ++found;
    ASSERT_LE(i + block.size(), lines.size());
    for (size_t k = 0; k < block.size(); ++k) EXPECT_EQ(lines[i + k], block[k]) << "contig " << found;
  }
  EXPECT_EQ(found, 2);
}
