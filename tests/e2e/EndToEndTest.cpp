// Whole runs of the program on small alignments: exit status, standard error, console text and every
// output file compared whole, only the time stamps and the bootstrap interval bounds masked.  The
// expected texts live under data/: those of data/hand are worked out by hand below, the others agree
// with tests/e2e/oracle.py, an independent re-implementation.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

using namespace testsupport;

namespace {

std::string data(const std::string& rel) { return readFile(sourcePath("tests/e2e/data/" + rel)); }

// Time stamps differ from run to run: keep the prefix only.  Bootstrap bounds are random: keep the
// brackets and the separator ("; " or ";").
std::string masked(const std::string& text) {
  static const std::regex stamp("^(Start time: |   --> Begin: |   --> Stop: |Stop time: ).*$",
                                std::regex::multiline);
  static const std::regex interval(R"(\[[^;\]]*;( ?)[^\]]*\])");
  return std::regex_replace(std::regex_replace(text, stamp, "$1<time>"), interval, "[x;$1x]");
}

struct RunCase {
  std::string name;
  std::vector<std::pair<std::string, std::string>> inputs;  // working-directory name, source path
  std::vector<std::string> args;
  int status;
  std::string err;
  std::string console;                                     // data file, time stamps masked
  std::vector<std::pair<std::string, std::string>> files;  // written file, data file
  std::vector<std::string> absent;                         // files that must not be written
};

// ---------------------------------------------------------------------------------------------
// The two hand-worked contigs (data/hand/aln.fas), populations P1 {A, B}, P2 {C, D}, kappa 1,
// 4 GC classes (bounds 0.25, 0.5, 0.75, 1); expected files data/hand/outgroup.out, outgroup.sum,
// no_outgroup.out, no_outgroup.sum and aln.dist.
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
// Distance file: weighted (x1 m1 + 0 x 6) / (m1 + 6), unweighted (x1 + 0) / 2 (c2 gives 0 over 6
//   positions): A|A 0.5/21 and (1/30)/2, A|B 1/21 and (1/15)/2, A|C 0.5/18 and (0.5/12)/2,
//   B|C 1.5/18 and (1.5/12)/2, C|D 1/18 and (1/12)/2.
// Summary over c1 (weight 4) and c2 (weight 2):
//   Fit and WC84 from c1 only (c2 keeps -999); piS = (4 x 180/812 + 2 x 0)/6 = 0.147783,
//   piN = (4 x 3/115)/6 = 2/115 = 0.0173913, ratio 0.117681, length 6/2 = 3;
//   dS of the contigs 1/4 and 0/2: median 0.125, sample SD sqrt(0.03125), threshold
//   0.125 + 2 x 0.176777 = 0.478553; dS = (1+0)/(4+2) (nS truncated to 4 and 2) = 0.166667,
//   dN = 1/(10+4) = 0.0714286, dN/dS = 0.428571; NI = (1 x 1)/(1 x 1) = 1, NI0.2 = (0 x 1)/(1 x 1) = 0;
//   H(A) = H(B) = 4 x 1/15 / 6 = 0.0444444; Fst from c1 only.
// ---------------------------------------------------------------------------------------------
const std::vector<std::string> kHandArgs = {
    "-alignment_file=aln.fas", "-population_file=pop.txt", "-ingroup=Sp1",   "-gapN_site=1",
    "-min_nb_codon=1",         "-gc_bin=4",                "-kappa=1",       "-compute_distances=yes",
    "-contig_usage=all",       "-gapN_seq=0.5",            "-tolerance_zone=20", "-remove_frameshift=no",
    "-allow_internal_bc=no",   "-print_header=yes"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

const std::string kData = "tests/e2e/data/";
const std::vector<std::pair<std::string, std::string>> kHandInputs = {{"aln.fas", kData + "hand/aln.fas"},
                                                                      {"pop.txt", kData + "hand/pop.txt"}};

const std::vector<RunCase> kRunCases = {
    // The README command on the example: the library's warnings for the options left out, the
    // populations, the reading and the cleaning blocks (contig04 has an internal stop codon).
    {"example alignment",
     {{"example.fas", "examples/example.fas"}, {"populations.txt", "examples/populations.txt"}},
     {"-alignment_file=example.fas", "-population_file=populations.txt", "-ingroup=Sp1", "-outgroup=Sp2"},
     0, "", "example/console.txt",
     {{"example.out", "example/expected.out"}, {"example.sum", "example/expected.sum"}}, {"example.dist"}},
    // ind02 in both populations and ind04 twice in one: the run stops before reading the alignment.
    {"population file with duplicates",
     {{"example.fas", "examples/example.fas"}, {"pop.txt", kData + "duplicate/pop.txt"}},
     {"-alignment_file=example.fas", "-population_file=pop.txt", "-ingroup=Sp1", "-outgroup=Sp2",
      "-contig_usage=all", "-gc_bin=8", "-gapN_site=10", "-gapN_seq=0.5", "-tolerance_zone=20",
      "-min_nb_codon=10", "-kappa=1", "-remove_frameshift=no", "-compute_distances=no",
      "-allow_internal_bc=no", "-print_header=yes"},
     1, "ERROR!!! Current Selvantrix version is not compatible with duplicates-containing populations !\n",
     "duplicate/console.txt", {}, {"example.out", "example.sum"}},
    {"hand-worked contigs with outgroup", kHandInputs, with(kHandArgs, {"-outgroup=Sp2"}), 0, "",
     "hand/console_outgroup.txt",
     {{"aln.out", "hand/outgroup.out"}, {"aln.dist", "hand/aln.dist"}, {"aln.sum", "hand/outgroup.sum"}}, {}},
    // Without -outgroup the Sp2 sequences are another species, removed by the cleaning; the outgroup
    // columns keep -1 and the summary has no dN/dS nor alpha block.
    {"hand-worked contigs without outgroup", kHandInputs, kHandArgs, 0, "", "hand/console_no_outgroup.txt",
     {{"aln.out", "hand/no_outgroup.out"}, {"aln.dist", "hand/aln.dist"}, {"aln.sum", "hand/no_outgroup.sum"}},
     {}},
    // c2's outgroup sequence is all N: it is removed (share 1 > 0.5) and c2 is rejected for want of
    // an outgroup sequence; c1 keeps its values.
    {"outgroup with no sequence left",
     {{"aln.fas", kData + "hand/aln_outgroup_gapped.fas"}, {"pop.txt", kData + "hand/pop.txt"}},
     with(kHandArgs, {"-outgroup=Sp2"}), 0, "", "hand/console_outgroup_gapped.txt",
     {{"aln.out", "hand/outgroup_gapped.out"}, {"aln.dist", "hand/outgroup_gapped.dist"},
      {"aln.sum", "hand/outgroup_gapped.sum"}},
     {}},
    // Populations P1 {A, B} and P2 {C} without header lines: every row 34 fields, each followed by a
    // tab; the distance file lists the 9 ordered pairs A A, A B, A C, B A, ... C C.
    {"output files without header",
     {{"aln.fas", kData + "formats/aln.fas"}, {"pop.txt", kData + "formats/pop.txt"}},
     {"-alignment_file=aln.fas", "-population_file=pop.txt", "-ingroup=Sp1", "-outgroup=Sp2", "-gapN_site=1",
      "-min_nb_codon=1", "-compute_distances=yes", "-bs_replicates=10", "-print_header=no"},
     0, "", "formats/console.txt", {{"aln.out", "formats/noheader.out"}, {"aln.dist", "formats/noheader.dist"}},
     {}},
};

}  // namespace

TEST(EndToEnd, WholeRunsMatchTheExpectedFiles) {
  for (const RunCase& c : kRunCases) {
    SCOPED_TRACE(c.name);
    TempDir d;
    for (const auto& in : c.inputs) d.write(in.first, readFile(sourcePath(in.second)));
    auto r = runSelvantrix(c.args, d.path());
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(masked(r.out), data(c.console));
    for (const auto& f : c.files) {
      ASSERT_TRUE(fileExists(d.file(f.first))) << f.first;
      EXPECT_EQ(masked(readFile(d.file(f.first))), data(f.second)) << f.first;
    }
    for (const auto& f : c.absent) EXPECT_FALSE(fileExists(d.file(f))) << f;
    for (const auto& in : c.inputs) EXPECT_EQ(readFile(d.file(in.first)), readFile(sourcePath(in.second))) << in.first;
  }
}

// Without outgroup steps the debug inventory shows the starting values of the divergence fields: both
// contigs' blocks whole.
TEST(EndToEnd, DebugInventoryShowsUnsetDivergenceWithoutOutgroup) {
  TempDir d;
  for (const auto& in : kHandInputs) d.write(in.first, readFile(sourcePath(in.second)));
  auto r = runSelvantrix(with(kHandArgs, {"-debug_mode=yes"}), d.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string head = "\n -- 2 species analysis -- \n";
  const std::string block = head +
                            "\n -> Selection indicators:\n\n  --> nN: -1\n  --> nS: -1\n  --> nbseq_div: 0\n"
                            "  --> nbsite_div: 0\n\n -> mcDonald-Kreitman Analysis:\n\n  --> FixN: -1\n"
                            "  --> FixS: -1\n  --> PolymN 0.0: -1\n  --> PolymS 0.0: -1\n  --> PolymN 0.2: -1\n"
                            "  --> PolymS 0.2: -1\n  --> MK_nN: -1\n  --> MK_nS: -1\n\n";
  auto count = [&](const std::string& s) {
    int n = 0;
    for (size_t p = r.out.find(s); p != std::string::npos; p = r.out.find(s, p + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(head), 2);
  EXPECT_EQ(count(block), 2) << r.out;
}
