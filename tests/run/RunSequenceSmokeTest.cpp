#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"

using testsupport::runSelvantrix;
using testsupport::splitLines;
using testsupport::TempDir;

TEST(CommandLine, NoArgumentPrintsTheHelpAndFails) {
  TempDir d;
  auto r = runSelvantrix({}, d.path());
  EXPECT_EQ(r.status, 1);
  auto lines = splitLines(r.out);
  ASSERT_EQ(lines.size(), 46u);
  EXPECT_EQ(lines[0], std::string(49, '#'));
  EXPECT_EQ(lines[1], "#           Selvantrix - Help section           #");
  EXPECT_EQ(lines[3], "Version: 3 (12-06-2013)");
  EXPECT_EQ(lines[11],
            "Selvantrix -alignment_file=seqfile.pfas -population_file=custom_pop.txt -ingroup=Species_name_1 "
            "-outgroup=Species_name_2 -gc_bin=8 -gapN_site=10 -gapN_seq=0.5 -min_nb_codon=10 -kappa=1 "
            "-remove_frameshift=no -compute_distances=no -tolerance_zone=20 -allow_internal_bc=no -print_header=yes "
            "-contig_usage=all -out=Selvantrix_output");
  EXPECT_EQ(lines[28],
            "-kappa:                Transition/Transversion ratio \"Kappa\" to use in SequenceStatistics methods [>0 - "
            "Default: 1]");
  EXPECT_EQ(lines[44], "-bs_confidence:        Percentage of confidence [0 to 1 - Default: 0.95]");
  EXPECT_EQ(lines[45], "");
  EXPECT_EQ(r.err, "");
}

TEST(CommandLine, AlignmentOnlyWarnsInOrderThenAsksForTheIngroup) {
  TempDir d;
  d.write("a.fas", ">c|s|i|1\nAAA\n");
  auto r = runSelvantrix({"-alignment_file=a.fas"}, d.path());
  EXPECT_EQ(r.status, 1);
  auto lines = splitLines(r.out);
  const std::vector<std::string> names = {"-contig_usage", "-gc_bin",  "-gapN_site",         "-gapN_seq",
                                          "-tolerance_zone", "-min_nb_codon", "-kappa", "-remove_frameshift",
                                          "-compute_distances", "-allow_internal_bc", "-print_header"};
  const std::vector<std::string> defaults = {"all", "8", "10", "0.5", "20", "10", "1", "0", "0", "0", "1"};
  ASSERT_EQ(lines.size(), names.size() + 46);
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(lines[i], "WARNING!!! Parameter " + names[i] + " not specified. Default used instead: " + defaults[i]);
  EXPECT_EQ(lines[names.size()], std::string(49, '#'));
  EXPECT_EQ(r.err, "ERROR!!! Mandatory parameter -ingroup is missing ! No ingroup species name specified !\n");
}

TEST(CommandLine, LibraryErrorsEndTheRunWithStatusOne) {
  TempDir d;
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::vector<Case> cases = {
      {{"-alignment_file=missing.fas", "-ingroup=Sp"}, "ERROR!!! File does not exists: missing.fas\n"},
      {{"-ingroup=Sp"}, "ERROR!!! You must specify a file for this parameter: -alignment_file\n"},
      {{"-alignment_file=", "-ingroup=Sp"}, "ERROR!!! You must specify a file for this parameter: -alignment_file\n"},
  };
  for (const auto& c : cases) {
    auto r = runSelvantrix(c.args, d.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out.find("terminate called"), std::string::npos);
  }
}

TEST(CommandLine, WelcomeBannerForADebugFrameshiftRun) {
  TempDir d;
  d.write("a.fas", ">c|s|i|1\nAAA\n");
  auto r = runSelvantrix({"-alignment_file=a.fas", "-ingroup=Sp1", "-outgroup=Sp2", "-debug_mode=yes",
                          "-remove_frameshift=1", "-allow_internal_bc=1", "-compute_distances=1", "-tolerance_zone=7",
                          "-contig_usage=odd", "-gc_bin=8", "-gapN_site=10", "-gapN_seq=0.5", "-min_nb_codon=10",
                          "-kappa=1", "-print_header=1"},
                         d.path());
  auto lines = splitLines(r.out);
  ASSERT_GE(lines.size(), 23u);
  size_t i = 0;
  const std::vector<std::string> head = {
      "", "-- DEBUG MODE IS ACTIVATED --", "", "", std::string(83, '#'),
      "#          Welcome in Selvantrix (Version 3 (Last update: 12-06-2013))          #", std::string(83, '#')};
  for (; i < head.size(); ++i) EXPECT_EQ(lines[i], head[i]);
  EXPECT_EQ(lines[i++].rfind("Start time: ", 0), 0u);
  const std::vector<std::string> tail = {
      "",
      "Selected alignment file: a.fas",
      "Selected population file: none",
      "",
      "Selected focal/ingroup species: Sp1",
      "Selected external/outgroup species: Sp2",
      "",
      "Frameshift-containing contigs will be rejected during the initial cleaning procedure !",
      "Stop codons will be tolerated in the first/last 7 codon(s) of each sequence.",
      "Internal Stop codons will be tolerated and replaced by NNN codons.",
      "",
      "Distance between focal individuals will be computed !",
      "",
      "The following contigs will be used to generate the Biological summary: odd contigs",
      ""};
  for (size_t k = 0; k < tail.size(); ++k, ++i) EXPECT_EQ(lines[i], tail[k]) << "line " << i;
}

TEST(CommandLine, WelcomeBannerWithoutOutgroupKeepsFrameshifts) {
  TempDir d;
  d.write("a.fas", ">c|s|i|1\nAAA\n");
  auto r = runSelvantrix({"-alignment_file=a.fas", "-ingroup=Sp1"}, d.path());
  const std::string expected =
      "Selected focal/ingroup species: Sp1\n"
      "\n"
      "Frameshift-containing contigs will be conserved during the alignment file loading.\n"
      "Stop and Frameshift codons will be tolerated in the first/last 20 codon(s) of each sequence.\n"
      "Internal Stop and Frameshift codons are forbidden and the corresponding contig will be rejected !\n"
      "\n"
      "The following contigs will be used to generate the Biological summary: all contigs\n\n";
  EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
}

TEST(CommandLine, OutputNamesThatWouldOverwriteAnInputAreRefused) {
  TempDir d;
  const std::string alnText = ">c|s|i|1\nAAA\n";
  d.write("run.out", alnText);
  d.write("pop.txt", "P;i\n");
  struct Case {
    std::vector<std::string> args;
    std::string fragment;
  };
  const std::vector<Case> cases = {
      {{"-alignment_file=run.out", "-ingroup=s"}, "The main output file name (run.out) would overwrite the alignment file"},
      {{"-alignment_file=run.out", "-ingroup=s", "-out=./run.out"}, "would overwrite the alignment file"},
      {{"-alignment_file=run.out", "-ingroup=s", "-population_file=pop.txt", "-out=pop.txt"},
       "would overwrite the population file"},
      {{"-alignment_file=run.out", "-ingroup=s", "-out=x.sum"},
       "The summary file name (x.sum) would overwrite the main output file of this run"},
      {{"-alignment_file=run.out", "-ingroup=s", "-out=x.dist", "-compute_distances=1"},
       "The distance file name (x.dist) would overwrite the main output file of this run"},
      // Links: one file under another name, also a link to a file not yet created.
      {{"-alignment_file=run.out", "-ingroup=s", "-out=symlink.out"}, "would overwrite the alignment file"},
      {{"-alignment_file=run.out", "-ingroup=s", "-out=hardlink.out"}, "would overwrite the alignment file"},
      {{"-alignment_file=run.out", "-ingroup=s", "-out=here/run.out"}, "would overwrite the alignment file"},
      {{"-alignment_file=run.out", "-ingroup=s", "-out=y.out"},
       "The summary file name (y.sum) would overwrite the main output file of this run"},
  };
  std::filesystem::create_symlink("run.out", d.file("symlink.out"));
  std::filesystem::create_hard_link(d.file("run.out"), d.file("hardlink.out"));
  std::filesystem::create_directory_symlink(".", d.file("here"));
  std::filesystem::create_symlink("y.out", d.file("y.sum"));  // dangling until a run writes y.out
  for (const auto& c : cases) {
    auto r = runSelvantrix(c.args, d.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ERROR!!! " ), std::string::npos);
    EXPECT_NE(r.err.find(c.fragment), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Welcome"), std::string::npos);
  }
  EXPECT_EQ(testsupport::readFile(d.file("run.out")), alnText);
  EXPECT_EQ(testsupport::readFile(d.file("pop.txt")), "P;i\n");
  EXPECT_FALSE(testsupport::fileExists(d.file("y.out")));
}
