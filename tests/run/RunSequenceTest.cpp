// The run's start, end to end: the help, the errors before the analysis, the welcome banner, and
// output names that would overwrite an input or another output. The run from checked options, in
// process: what its run objects hold at its end.
#include <filesystem>

#include "TestSupport.h"
#include "run/RunSequence.h"

using testsupport::runSelvantrix, testsupport::splitLines, testsupport::TempDir;

TEST(CommandLine, NoArgumentPrintsTheHelpAndFails) {
  TempDir d;
  auto r = runSelvantrix({}, d.path());
  EXPECT_TRUE(r.status == 1 && r.err.empty()) << r.err;
  EXPECT_EQ(r.out, testsupport::readFile(testsupport::sourcePath("tests/run/data/help.txt")));
}

// The library's warnings for the options left out come before; then the help.
TEST(CommandLine, ErrorsBeforeTheAnalysisEndTheRunWithStatusOne) {
  TempDir d;
  d.write("a.fas", ">c|s|i|1\nAAA\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-alignment_file=a.fas"}, "Mandatory parameter -ingroup is missing ! No ingroup species name specified !"},
      {{"-alignment_file=missing.fas", "-ingroup=Sp"}, "File does not exists: missing.fas"},
      {{"-ingroup=Sp"}, "You must specify a file for this parameter: -alignment_file"},
      {{"-alignment_file=", "-ingroup=Sp"}, "You must specify a file for this parameter: -alignment_file"},
      {{"-alignment_file=/", "-ingroup=Sp"},
       "No output file name can be derived from the alignment file path (/) ! Please give one with -out."},
  };
  for (const auto& c : cases) {
    auto r = runSelvantrix(c.first, d.path());
    EXPECT_TRUE(r.status == 1 && r.err == "ERROR!!! " + c.second + "\n") << r.status << " " << r.err;
  }
  const auto lines = splitLines(runSelvantrix(cases[0].first, d.path()).out);
  ASSERT_EQ(lines.size(), 11u + 46u);
  EXPECT_EQ(lines[10], "WARNING!!! Parameter -print_header not specified. Default used instead: 1");
  EXPECT_EQ(lines[11], std::string(49, '#'));
}

// The banner's lines for each choice of the options are in the consoles the end-to-end tests
// compare; debug mode, which they do not use, opens it with its own line.
TEST(CommandLine, DebugModeOpensTheWelcomeBanner) {
  TempDir d;
  d.write("a.fas", ">c|s|i|1\nAAA\n");
  auto r = runSelvantrix({"-alignment_file=a.fas", "-ingroup=Sp1", "-debug_mode=yes"}, d.path());
  EXPECT_NE(r.out.find(" !\n\n-- DEBUG MODE IS ACTIVATED --\n\n\n" + std::string(83, '#') +
                       "\n#          Welcome in Selvantrix (Version 3 (Last update: 12-06-2013))          #\n"),
            std::string::npos) << r.out;
}

TEST(CommandLine, OutputNamesThatWouldOverwriteAnInputAreRefused) {
  TempDir d;
  const std::string alignment = d.write("run.out", ">c|s|i|1\nAAA\n"), population = d.write("pop.txt", "P;i\n");
  namespace fs = std::filesystem;
  fs::create_symlink("run.out", d.file("symlink.out")), fs::create_hard_link(alignment, d.file("hardlink.out"));
  fs::create_directory_symlink(".", d.file("here"));
  fs::create_symlink("y.out", d.file("y.sum"));  // dangling until a run writes y.out
  const std::string input = "would overwrite the alignment file ! Please choose another main output file name with "
                            "-out. Execution canceled..\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "The main output file name (run.out) " + input},
      {"-out=./run.out", "The main output file name (./run.out) " + input},
      {"-out=pop.txt", "The main output file name (pop.txt) would overwrite the population file !"},
      {"-out=x.sum", "The summary file name (x.sum) would overwrite the main output file of this run !"},
      {"-out=x.dist", "The distance file name (x.dist) would overwrite the main output file of this run !"},
      // Links: one file under another name, also a link to a file not yet created.
      {"-out=symlink.out", "The main output file name (symlink.out) " + input},
      {"-out=hardlink.out", "The main output file name (hardlink.out) " + input},
      {"-out=here/run.out", "The main output file name (here/run.out) " + input},
      {"-out=y.out", "The summary file name (y.sum) would overwrite the main output file of this run !"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    auto r = runSelvantrix({"-alignment_file=run.out", "-ingroup=s", "-population_file=pop.txt", "-compute_distances=1",
                            c.first.empty() ? "-kappa=1" : c.first}, d.path());
    EXPECT_TRUE(r.status == 1 && r.err.rfind("ERROR!!! " + c.second, 0) == 0) << r.status << " " << r.err;
    EXPECT_EQ(r.out.find("Welcome"), std::string::npos);
  }
  EXPECT_EQ(testsupport::readFile(alignment) + testsupport::readFile(population), ">c|s|i|1\nAAA\nP;i\n");
  EXPECT_FALSE(testsupport::fileExists(d.file("y.out")));
}

// runWithOptions on the example data, in its own working directory (where the summary goes): on
// return the main output holds a row per cleaned contig, each with its result store in the run
// objects; a run ended before the analysis (reading, cleaning) has no cleaned contig, one ended in
// it fewer result stores than cleaned contigs. The alignment fuzz target tells its deliberate
// endings apart by these.
TEST(RunWithOptions, TheRunObjectsShowHowFarTheRunCame) {
  TempDir d;
  const std::string example = testsupport::readFile(testsupport::sourcePath("examples/example.fas"));
  d.write("example.fas", example);
  d.write("broken.fas", example + ">contig09|Sp1|ind01|allele_1\nJJJ\n");
  d.write("populations.txt", testsupport::readFile(testsupport::sourcePath("examples/populations.txt")));
  d.write("others.txt", "PopA;x01\nPopB;x02\n");
  struct Case {
    std::vector<std::string> args;
    size_t cleaned, analysed;
    std::string error;  // part of the message that ends the run; empty when it completes
  };
  const std::vector<Case> cases = {
      {{"-population_file=populations.txt"}, 4, 4, ""},
      {{"-alignment_file=broken.fas"}, 0, 0, "Alignment file broken.fas, record 92 (contig09|Sp1|ind01|allele_1)"},
      {{"-ingroup=Sp\t1"}, 0, 0, "The ingroup species name \"Sp\\t1\" (-ingroup) holds a tab"},
      {{"-ingroup=Sp9"}, 0, 0, "there is not enough clean dataset/contig"},
      {{"-population_file=others.txt"}, 4, 0, "Individual ind01 doesn't belong to any population ! (contig contig01"},
  };
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(d.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    std::vector<std::string> args = {"-alignment_file=example.fas", "-ingroup=Sp1", "-outgroup=Sp2", "-out=run.out",
                                     "-bs_replicates=3"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    std::filesystem::remove("run.out");
    const auto options = testsupport::options(args);
    RunObjects run;
    std::string error;
    testsupport::coutLines([&] {
      try {
        runWithOptions(options.get(), run);
      } catch (const std::exception& e) {
        error = e.what();
      }
    });
    EXPECT_EQ(c.error.empty(), error.empty()) << error;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(run.cleaned.size(), c.cleaned);
    EXPECT_EQ(run.warehouses.size(), c.analysed);
    if (c.error.empty()) {
      EXPECT_EQ(splitLines(testsupport::readFile("run.out")).size(), c.analysed + 1);
      EXPECT_TRUE(run.population && run.summary);
    }
  }
  std::filesystem::current_path(previous);
}
