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

// The preloadable fault-injection shim (FaultInjection.cpp); none in sanitized builds.
#ifndef SELVANTRIX_FAULT_INJECTION
#define SELVANTRIX_FAULT_INJECTION ""
#endif

namespace badinput {

using testsupport::readFile, testsupport::RunResult, testsupport::RunSetting, testsupport::sourcePath,
    testsupport::splitLines, testsupport::TempDir;
using Files = std::map<std::string, std::string>;  // name ("NAME/": a directory), content

inline const std::string kAlignment = "example.fas", kPopulations = "populations.txt";
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

// The binary started with the fault-injection shim and its setting `variable`.
inline RunSetting withShim(const std::string& variable) {
  RunSetting setting;
  setting.environment = {std::string("LD_PRELOAD=") + SELVANTRIX_FAULT_INJECTION, variable};
  return setting;
}

inline void writeAll(const TempDir& d, const Files& files) {
  for (const auto& f : files)
    if (f.first.back() == '/') std::filesystem::create_directory(d.file(f.first));
    else d.write(f.first, f.second);
}

// Writes `files` into `d` and runs the binary there. A `file_size_limit` (0: none) applies to every file
// the process writes: a full disk as far as it can tell (it ignores SIGXFSZ itself). The limit is
// restored afterwards; the test process writes no file meanwhile.
inline RunResult runIn(const TempDir& d, const Files& files, const std::vector<std::string>& args,
                       const RunSetting& setting = RunSetting(), rlim_t file_size_limit = 0) {
  writeAll(d, files);
  if (file_size_limit == 0) return testsupport::runSelvantrix(args, d.path(), setting);
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = file_size_limit;
  auto previous = std::signal(SIGXFSZ, SIG_DFL);
  setrlimit(RLIMIT_FSIZE, &limited);
  RunResult r = testsupport::runSelvantrix(args, d.path(), setting);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  return r;
}

// A run's files, arguments, status and first line on standard error (empty: nothing there); a line
// expected on standard output ("!TEXT": a text it must not hold); whether its main output is the
// reference run's.
struct Case {
  std::string name;
  Files files;
  std::vector<std::string> args;
  int status;
  std::string first_error, console = "";
  bool same_table = false;
};

class BadInput : public testing::Test {
 protected:
  void SetUp() override {
    alignment = readFile(sourcePath("examples/" + kAlignment));
    populations = readFile(sourcePath("examples/" + kPopulations));
    ASSERT_FALSE(alignment.empty());
    // The reference run, with distances: its main output and distance file hold no random value.
    TempDir reference;
    RunResult r = runIn(reference, dataWith(alignment), runArgs({"-compute_distances=yes"}));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"example.out", "example.dist", "example.sum"})
      reference_files[name] = readFile(reference.file(name));
  }

  // Left behind: the input files and, after a complete run, its main output and summary.
  void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      TempDir d;
      const RunResult r = runIn(d, c.files, c.args);
      EXPECT_EQ(r.status, c.status) << r.err;
      const std::vector<std::string> err = splitLines(r.err), out = splitLines(r.out);
      EXPECT_EQ(err.empty() ? "" : err[0], c.first_error) << r.err;
      EXPECT_TRUE(r.err.find("Sanitizer") == std::string::npos && r.err.find("runtime error") == std::string::npos) << r.err;
      if (c.console[0] == '!') EXPECT_EQ(r.out.find(c.console.substr(1)), std::string::npos) << r.out;
      else if (!c.console.empty()) EXPECT_NE(std::find(out.begin(), out.end(), c.console), out.end()) << r.out;
      if (c.same_table) EXPECT_EQ(readFile(d.file("example.out")), reference_files.at("example.out"));
      std::set<std::string> expected;
      for (const auto& f : c.files)
        if (f.first.back() != '/') expected.insert(f.first);
      if (c.status == 0) expected.insert({"example.out", "example.sum"});
      EXPECT_EQ(filesIn(d.path()), expected);
    }
  }

  // The example's population file, the alignment `fasta` and, if named, a directory.
  Files dataWith(const std::string& fasta, const std::string& directory = "") {
    Files files = {{kAlignment, fasta}, {kPopulations, populations}};
    if (!directory.empty()) files[directory + "/"] = "";
    return files;
  }

  std::string alignment, populations;
  std::map<std::string, std::string> reference_files;
};

}  // namespace badinput
