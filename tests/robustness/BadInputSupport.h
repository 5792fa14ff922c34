#pragma once
// Runs of the real binary on the example data made broken in one way, each in a directory of its
// own, checked for the status, the first error line, a console line and what is left behind.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace badinput {

using testsupport::readFile, testsupport::RunResult, testsupport::runSelvantrix, testsupport::sourcePath,
    testsupport::splitLines, testsupport::TempDir;

inline const std::string kAlignment = "example.fas";
inline const std::string kPopulations = "populations.txt";
inline const char* kNoContig =
    "ERROR!!! Sorry, there is not enough dataset/contig to perform the analysis ! Execution canceled..";
inline const char* kNoCleanContig =
    "ERROR!!! Sorry, there is not enough clean dataset/contig to perform the analysis ! Execution canceled..";

inline std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The regular files of a directory.
inline std::set<std::string> filesIn(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.is_regular_file()) names.insert(entry.path().filename().string());
  return names;
}

// The example's arguments (50 bootstrap replicates) followed by `extra`.
inline std::vector<std::string> runArgs(std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"-alignment_file=" + kAlignment, "-population_file=" + kPopulations,
                                   "-ingroup=Sp1", "-outgroup=Sp2", "-bs_replicates=50"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

// Runs with the size of every file the process writes limited to `bytes`: a full disk as far as the
// process can tell (it ignores SIGXFSZ itself). The limit is restored afterwards; the test process
// writes no file meanwhile.
inline RunResult runWithFileSizeLimit(const std::vector<std::string>& args, const std::string& cwd, rlim_t bytes) {
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = bytes;
  auto previous = std::signal(SIGXFSZ, SIG_DFL);
  setrlimit(RLIMIT_FSIZE, &limited);
  RunResult r = runSelvantrix(args, cwd);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  return r;
}

// Files written and directories made in the working directory, the run's arguments, its status,
// the first line on standard error (empty: nothing there), a line expected on standard output and one
// that must not be there (empty: none), the output files equal to the reference run's.
struct Case {
  std::string name;
  std::map<std::string, std::string> files;
  std::vector<std::string> args;
  int status;
  std::string first_error, console_line;
  std::vector<std::string> kept, dirs = {};
  std::string absent_console_line = "";
};

class BadInput : public testing::Test {
 protected:
  void SetUp() override {
    alignment = readFile(sourcePath("examples/" + kAlignment));
    populations = readFile(sourcePath("examples/" + kPopulations));
    ASSERT_FALSE(alignment.empty());
    // The reference run, with distances: its main output and distance file hold no random value.
    reference.write(kAlignment, alignment);
    reference.write(kPopulations, populations);
    RunResult r = runSelvantrix(runArgs({"-compute_distances=yes"}), reference.path());
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"example.out", "example.dist", "example.sum"})
      reference_files[name] = readFile(reference.file(name));
  }

  // Left behind: the inputs, the files named as kept (equal to the reference run's) and, after a
  // complete run, its main output and summary.
  void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      TempDir d;
      std::set<std::string> expected;
      for (const auto& f : c.files) expected.insert((d.write(f.first, f.second), f.first));
      for (const std::string& dir : c.dirs) std::filesystem::create_directory(d.file(dir));
      RunResult r = runSelvantrix(c.args, d.path());
      EXPECT_EQ(r.status, c.status) << r.err;
      const std::vector<std::string> err = splitLines(r.err);
      EXPECT_EQ(err.empty() ? "" : err[0], c.first_error) << r.err;
      EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
      const std::vector<std::string> out = splitLines(r.out);
      if (!c.absent_console_line.empty()) EXPECT_EQ(r.out.find(c.absent_console_line), std::string::npos) << r.out;
      if (!c.console_line.empty()) EXPECT_NE(std::find(out.begin(), out.end(), c.console_line), out.end()) << r.out;
      for (const std::string& k : c.kept) EXPECT_EQ(readFile(d.file((expected.insert(k), k))), reference_files.at(k));
      if (c.status == 0) expected.insert({"example.out", "example.sum"});
      EXPECT_EQ(filesIn(d.path()), expected);
    }
  }

  std::map<std::string, std::string> dataWith(const std::string& fasta) {
    return {{kAlignment, fasta}, {kPopulations, populations}};
  }

  TempDir reference;
  std::string alignment, populations;
  std::map<std::string, std::string> reference_files;
};

}  // namespace badinput
