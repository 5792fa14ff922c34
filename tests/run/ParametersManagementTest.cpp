#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "run/FatalError.h"
#include "run/ParametersManagement.h"

using testsupport::TempDir;

namespace {

struct Parsed {
  std::unique_ptr<ParametersManagement> options;
  std::string out;
};

// Builds and checks the options from `args` (the program name is added).
std::unique_ptr<ParametersManagement> build(std::vector<std::string> args) {
  args.insert(args.begin(), "Selvantrix");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  std::unique_ptr<ParametersManagement> options(
      new ParametersManagement(3.0, "12-06-2013", static_cast<int>(argv.size()), argv.data()));
  options->checkParameters();
  return options;
}

// The same, capturing standard output.
Parsed parse(const std::vector<std::string>& args) {
  Parsed p;
  testing::internal::CaptureStdout();
  p.options = build(args);
  p.out = testing::internal::GetCapturedStdout();
  return p;
}

std::vector<std::string> warningLines(const std::string& out) {
  std::vector<std::string> w;
  for (const auto& l : testsupport::splitLines(out))
    if (l.rfind("WARNING!!! The value", 0) == 0) w.push_back(l);
  return w;
}

}  // namespace

TEST(ParametersManagement, CorrectionsOfInvalidValues) {
  TempDir d;
  const std::string aln = d.write("seqfile.pfas", ">c|s|i|1\nAAA\n");
  struct Case {
    std::string option;
    std::string warning;  // empty: no correction warning expected
    double kappa, gapN, conf;
    std::string usage, mode;
    unsigned reps, sort, bins;
  };
  const std::vector<Case> cases = {
      {"-kappa=0", "WARNING!!! The value (0) of the -kappa parameters is not valid ! Default value (\"1\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-kappa=1", "", 1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-kappa=2.5", "", 2, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-gapN_seq=0", "", 1, 0.0, 0.95, "all", "local", 10000, 1000000, 8},
      {"-gapN_seq=1", "", 1, 1.0, 0.95, "all", "local", 10000, 1000000, 8},
      {"-gapN_seq=1.5",
       "WARNING!!! The value (1.5) of the -gapN_seq parameters is not a valid percentage in decimal form ! Default "
       "value (\"0.5\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_confidence=0", "", 1, 0.5, 0.0, "all", "local", 10000, 1000000, 8},
      {"-bs_confidence=1", "", 1, 0.5, 1.0, "all", "local", 10000, 1000000, 8},
      {"-bs_confidence=95",
       "WARNING!!! The value (95) of the -bs_confidence parameters is not a valid percentage in decimal form ! "
       "Default value (\"0.95\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-contig_usage=Odd",
       "WARNING!!! The value (Odd) of the -contig_usage parameters is not valid ! Default value (\"all\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-contig_usage=even", "", 1, 0.5, 0.95, "even", "local", 10000, 1000000, 8},
      {"-exec_mode=Galaxy", "", 1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-exec_mode=galaxy", "", 1, 0.5, 0.95, "all", "galaxy", 10000, 1000000, 8},
      {"-bs_replicates=0",
       "WARNING!!! The value (0) of the -bs_replicates parameters is not valid ! Default value (\"10000\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_replicates=-5",
       "WARNING!!! The value (-5) of the -bs_replicates parameters is not valid ! Default value (\"10000\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_replicates=250", "", 1, 0.5, 0.95, "all", "local", 250, 1000000, 8},
      {"-bs_sort=0",
       "WARNING!!! The value (0) of the -bs_sort parameters is not valid ! Default value (\"1000000\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_sort=-1",
       "WARNING!!! The value (-1) of the -bs_sort parameters is not valid ! Default value (\"1000000\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-gc_bin=0",
       "WARNING!!! The value (0) of the -gc_bin parameters is not valid ! Default value (\"8\") will be used !", 1, 0.5,
       0.95, "all", "local", 10000, 1000000, 8},
      {"-gc_bin=-3",
       "WARNING!!! The value (-3) of the -gc_bin parameters is not valid ! Default value (\"8\") will be used !", 1,
       0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-gc_bin=3", "", 1, 0.5, 0.95, "all", "local", 10000, 1000000, 3},
      // Texts without number are rejected and shown as given.
      {"-kappa=abc",
       "WARNING!!! The value (abc) of the -kappa parameters is not valid ! Default value (\"1\") will be used !", 1,
       0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-gapN_seq=abc",
       "WARNING!!! The value (abc) of the -gapN_seq parameters is not a valid percentage in decimal form ! Default "
       "value (\"0.5\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_confidence=nan",
       "WARNING!!! The value (nan) of the -bs_confidence parameters is not a valid percentage in decimal form ! "
       "Default value (\"0.95\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_confidence=1e999",
       "WARNING!!! The value (1e999) of the -bs_confidence parameters is not a valid percentage in decimal form ! "
       "Default value (\"0.95\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_replicates=abc",
       "WARNING!!! The value (abc) of the -bs_replicates parameters is not valid ! Default value (\"10000\") will be "
       "used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_sort=x1",
       "WARNING!!! The value (x1) of the -bs_sort parameters is not valid ! Default value (\"1000000\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-gc_bin=x8",
       "WARNING!!! The value (x8) of the -gc_bin parameters is not valid ! Default value (\"8\") will be used !", 1,
       0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-kappa=1e30", "", 1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      // Counts whose memory would be out of proportion are rejected as well.
      {"-gc_bin=1000", "", 1, 0.5, 0.95, "all", "local", 10000, 1000000, 1000},
      {"-gc_bin=1001",
       "WARNING!!! The value (1001) of the -gc_bin parameters is not valid ! Default value (\"8\") will be used !", 1,
       0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-gc_bin=99999999999",
       "WARNING!!! The value (99999999999) of the -gc_bin parameters is not valid ! Default value (\"8\") will be "
       "used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_replicates=10000000", "", 1, 0.5, 0.95, "all", "local", 10000000, 1000000, 8},
      {"-bs_replicates=10000001",
       "WARNING!!! The value (10000001) of the -bs_replicates parameters is not valid ! Default value (\"10000\") "
       "will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
      {"-bs_replicates=99999999999999999999999",
       "WARNING!!! The value (9223372036854775807) of the -bs_replicates parameters is not valid ! Default value "
       "(\"10000\") will be used !",
       1, 0.5, 0.95, "all", "local", 10000, 1000000, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    Parsed p = parse({"-alignment_file=" + aln, "-ingroup=Sp", "-outgroup=Out", c.option});
    auto w = warningLines(p.out);
    if (c.warning.empty()) {
      EXPECT_TRUE(w.empty());
    } else {
      ASSERT_EQ(w.size(), 1u);
      EXPECT_EQ(w[0], c.warning);
    }
    EXPECT_EQ(p.options->get_kappa(), c.kappa);
    EXPECT_EQ(p.options->get_max_gapN_seq(), c.gapN);
    EXPECT_EQ(p.options->get_bootstrap_confidence(), c.conf);
    EXPECT_EQ(p.options->get_contig_usage(), c.usage);
    EXPECT_EQ(p.options->get_execution_mode(), c.mode);
    EXPECT_EQ(p.options->get_bootstrap_replicates(), c.reps);
    EXPECT_EQ(p.options->get_bootstrap_sort_precision(), c.sort);
    EXPECT_EQ(p.options->get_nb_gc_bin(), c.bins);
  }
}

TEST(ParametersManagement, LenientNumbersAndBooleans) {
  TempDir d;
  const std::string aln = d.write("a.fas", ">c|s|i|1\nAAA\n");
  Parsed p = parse({"-alignment_file=" + aln, "-ingroup=Sp", "-outgroup=O", "-min_nb_codon=-1", "-gapN_site=12abc",
                    "-tolerance_zone=abc", "-remove_frameshift=yes", "-compute_distances=T",
                    "-allow_internal_bc=maybe", "-print_header=0", "-debug_mode=1"});
  EXPECT_EQ(p.options->get_min_nb_codon(), 4294967295u);
  EXPECT_EQ(p.options->get_min_gapN_site(), 12u);
  // A text without number is no count: reported, and the default is used.
  EXPECT_EQ(p.options->get_tolerance_zone(), 20u);
  EXPECT_EQ(warningLines(p.out),
            std::vector<std::string>({"WARNING!!! The value (abc) of the -tolerance_zone parameters is not valid ! "
                                      "Default value (\"20\") will be used !"}));
  EXPECT_TRUE(p.options->get_remove_frameshift());
  EXPECT_TRUE(p.options->get_compute_distances());
  EXPECT_FALSE(p.options->get_allow_internal_bc());
  EXPECT_FALSE(p.options->get_print_header());
  EXPECT_TRUE(p.options->get_DEBUG());
}

TEST(ParametersManagement, DerivedOutputFileNames) {
  TempDir d;
  std::string sub = d.path() + "/data";
  ASSERT_EQ(system(("mkdir -p " + sub).c_str()), 0);
  const std::string seq = d.write("data/seqfile.pfas", ">c|s|i|1\nAAA\n");
  const std::string hidden = d.write("data/.hidden", ">c|s|i|1\nAAA\n");
  const std::string noext = d.write("data/noext", ">c|s|i|1\nAAA\n");
  struct Case {
    std::vector<std::string> extra;
    std::string alignment, expected;
  };
  const std::vector<Case> cases = {
      {{}, seq, "seqfile.out"},
      {{}, hidden, ".hidden.out"},
      {{}, noext, "noext.out"},
      {{"-exec_mode=galaxy"}, seq, "Selvantrix_output"},
      {{"-out=results/run1.txt"}, seq, "results/run1.txt"},
      {{"-out=results/run1.txt", "-exec_mode=galaxy"}, seq, "results/run1.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    std::vector<std::string> args = {"-alignment_file=" + c.alignment, "-ingroup=Sp", "-outgroup=O"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(parse(args).options->get_output_file_name(), c.expected);
  }
}

// The reading's own lines come as it goes, then the unknown and repeated options in the order of
// their first appearance, then the library's "not specified" warnings.
TEST(ParametersManagement, ReadingReportsInOrder) {
  TempDir d;
  const std::string aln = d.write("a.fas", ">c|s|i|1\nAAA\n");
  const std::string file = d.write("p.txt", "noeq2\n-kappa = 2\n");
  Parsed p = parse({"-alignment_file=" + aln, "noeq", "-ingroup=Sp", "-outgroup=O", "-zz=1", "param=" + file,
                    "-kappa=3", "-ingroup=Sp"});
  const std::vector<std::string> lines = testsupport::splitLines(p.out);
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
            std::vector<std::string>({
                "WARNING!!! Parameter 'noeq' has been ignored.",
                "Parsing file " + file + " for options.",
                "WARNING!!! Parameter 'noeq2' has been ignored.",
                "WARNING!!! The option -ingroup is given 2 times: the last value (Sp) will be used !",
                "WARNING!!! The option -zz is unknown and will be ignored !",
                "WARNING!!! The option -kappa is given 2 times: the last value (3) will be used !",
                "WARNING!!! Parameter -contig_usage not specified. Default used instead: all",
            }));
  EXPECT_EQ(p.options->get_kappa(), 3.0);
}

// Every early end of the reading is a FatalError: the help (already printed) or a message.
TEST(ParametersManagement, EarlyEnds) {
  TempDir d;
  const std::string aln = d.write("a.fas", ">c|s|i|1\nAAA\n");
  struct Case {
    std::vector<std::string> args;
    FatalError::Report report;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{}, FatalError::Report::kNone, ""},
      {{"-alignment_file=" + aln}, FatalError::Report::kNone, ""},
      {{"-alignment_file=/", "-ingroup=Sp"}, FatalError::Report::kError,
       "No output file name can be derived from the alignment file path (/) ! Please give one with -out."},
      {{"-alignment_file=" + aln, "param=" + d.file("none.txt")}, FatalError::Report::kError,
       "Cannot open the option file: " + d.file("none.txt")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    try {
      build(c.args);
      ADD_FAILURE() << "no FatalError";
    } catch (const FatalError& e) {
      EXPECT_EQ(e.report(), c.report);
      EXPECT_EQ(e.message(), c.message);
      EXPECT_EQ(e.status(), 1);
    }
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
  }
}
