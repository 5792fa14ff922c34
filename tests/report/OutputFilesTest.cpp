// The outputs of a run: nothing under a final name changes before the whole set is committed; and,
// end to end, earlier results survive failed and interrupted runs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TestSupport.h"
#include "report/OutputFiles.h"
#include "robustness/BadInputSupport.h"

// The preloadable fault-injection shim (tests/robustness/FaultInjection.cpp); none in sanitized builds.
#ifndef SELVANTRIX_FAULT_INJECTION
#define SELVANTRIX_FAULT_INJECTION ""
#endif

using badinput::BadInput;
using testsupport::readFile;
using testsupport::TempDir;
namespace fs = std::filesystem;

namespace {

size_t entries(const std::string& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

}  // namespace

// Until commit the earlier files stay and the new ones wait in temporary files beside them; a set
// that goes without commit leaves nothing. Commit follows links, also dangling ones, and keeps the
// replaced file's permissions.
TEST(OutputFiles, FinalNamesChangeOnlyWhenTheWholeSetIsCommitted) {
  TempDir d;
  d.write("a.out", "earlier a\n");
  ::chmod(d.file("a.out").c_str(), 0640);
  d.write("real.sum", "earlier real\n");
  fs::create_symlink("real.sum", d.file("b.sum"));
  fs::create_symlink("later.txt", d.file("c.txt"));
  for (bool commit : {false, true}) {
    report::OutputFiles outputs;
    for (const char* name : {"a.out", "b.sum", "c.txt"}) outputs.create(d.file(name)).stream() << "new " << name << "\n";
    EXPECT_EQ(readFile(d.file("a.out")), "earlier a\n");
    EXPECT_EQ(entries(d.path()), 7u);  // three temporary files beside the four entries
    if (commit) outputs.commit();
  }
  EXPECT_EQ(readFile(d.file("a.out")), "new a.out\n");
  EXPECT_EQ(readFile(d.file("real.sum")), "new b.sum\n");
  EXPECT_EQ(readFile(d.file("later.txt")), "new c.txt\n");
  EXPECT_TRUE(fs::is_symlink(d.file("b.sum")) && fs::is_symlink(d.file("c.txt")));
  struct stat st;
  ASSERT_EQ(::stat(d.file("a.out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(entries(d.path()), 5u);
}

// Whole runs over earlier results (a hard link, a symbolic link, a device): a complete run replaces
// the file a link points to, keeping the link; a full disk in any output, a full device and a signal
// while writing any output leave every earlier file as it was and no temporary file; a closed
// console only costs the console report.
TEST_F(BadInput, EarlierResultsSurviveFailedAndInterruptedRuns) {
  auto cannotWrite = [](const std::string& name) {
    return "ERROR!!! Cannot write file: " + name + " (disk full or file size limit?). The output files of this run "
           "have not been written; earlier files under their names are kept.";
  };
  struct Scenario {
    std::string name;
    std::vector<std::string> extra;
    int status;
    std::string error;                         // all of standard error but its last line end
    rlim_t file_size_limit;                    // 0: none
    std::map<std::string, std::string> after;  // files changed ("=name": the reference's; "": any content)
    std::string signal_at_write = "";          // "K:S" for the fault-injection shim
    bool closed_console = false;
  };
  const std::map<std::string, std::string> earlier = {
      {"example.out", "earlier table\n"}, {"snapshot.out", "earlier table\n"}, {"example.sum", "earlier summary\n"},
      {"results/real.out", "earlier real\n"}, {"link.sum", "earlier link summary\n"}};
  const rlim_t out = reference_files.at("example.out").size(), dist = reference_files.at("example.dist").size(),
               sum = reference_files.at("example.sum").size();
  ASSERT_LT(out, std::min(dist, sum));
  std::vector<Scenario> scenarios = {
      {"complete run", {}, 0, "", 0, {{"example.out", "=example.out"}, {"example.sum", ""}}},
      {"complete run through a link", {"-out=link.out"}, 0, "", 0, {{"results/real.out", "=example.out"}, {"link.sum", ""}}},
      // Outputs are moved into place together once all are written. (A limit applies to each file.)
      {"full disk in the main output", {}, 1, cannotWrite("example.out"), out / 2, {}},
      {"full disk in the distance file", {"-compute_distances=yes"}, 1, cannotWrite("example.dist"), (out + dist) / 2, {}},
      {"full disk in the summary", {}, 1, cannotWrite("example.sum"), (out + sum) / 2, {}},
      {"full disk through a link", {"-out=link.out"}, 1, cannotWrite("link.out"), 400, {}},
      {"a device that is full", {"-out=/dev/full"}, 1, cannotWrite("/dev/full"), 0, {}},
      {"closed console", {"-compute_distances=yes"}, 0,
       "WARNING!!! The console report could not be written completely (standard output closed or full); the output "
       "files are complete.", 0, {{"example.out", "=example.out"}, {"example.dist", "=example.dist"}, {"example.sum", ""}},
       "", true},
  };
  if (!std::string(SELVANTRIX_FAULT_INJECTION).empty()) {
    const char* outputs[] = {"main output", "distance file", "summary"};
    for (int k = 1; k <= 3; ++k)
      for (const auto& s : std::vector<std::pair<std::string, int>>{{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}})
        scenarios.push_back({s.first + " while writing the " + outputs[k - 1], {"-compute_distances=yes", "-out=link.out"},
                             128 + s.second, "\nERROR!!! Execution interrupted by " + s.first + " ! Output files not "
                             "complete by then have not been written; earlier files under their names are kept.",
                             0, {}, std::to_string(k) + ":" + std::to_string(s.second)});
  }
  // Every entry, hidden temporary files included, links as "name -> target".
  auto entries = [](const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
      const std::string name = fs::relative(e.path(), dir).string();
      names.insert(e.is_symlink() ? name + " -> " + fs::read_symlink(e.path()).string() : name);
    }
    return names;
  };
  for (const Scenario& c : scenarios) {
    SCOPED_TRACE(c.name);
    TempDir d;
    d.write(badinput::kAlignment, alignment);
    d.write(badinput::kPopulations, populations);
    fs::create_directory(d.file("results"));
    for (const auto& f : earlier) d.write(f.first, f.second);
    fs::remove(d.file("snapshot.out"));
    fs::create_hard_link(d.file("example.out"), d.file("snapshot.out"));
    fs::create_symlink("results/real.out", d.file("link.out"));
    std::set<std::string> expected = entries(d.path());
    testsupport::RunSetting setting;
    setting.closed_console = c.closed_console;
    if (!c.signal_at_write.empty())
      setting.environment = {std::string("LD_PRELOAD=") + SELVANTRIX_FAULT_INJECTION,
                             "SELVANTRIX_SIGNAL_AT_WRITE=" + c.signal_at_write};
    const auto args = badinput::runArgs(c.extra);
    const testsupport::RunResult r = c.file_size_limit ? badinput::runWithFileSizeLimit(args, d.path(), c.file_size_limit)
                                                       : testsupport::runSelvantrix(args, d.path(), setting);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err, c.error.empty() ? "" : c.error + "\n");
    for (const auto& f : earlier)
      if (!c.after.count(f.first)) EXPECT_EQ(readFile(d.file(f.first)), f.second) << f.first;
    for (const auto& f : c.after) {
      expected.insert(f.first);
      if (!f.second.empty()) EXPECT_EQ(readFile(d.file(f.first)), reference_files.at(f.second.substr(1))) << f.first;
    }
    EXPECT_EQ(entries(d.path()), expected);  // no temporary file left, links still links
    struct stat st;
    ASSERT_EQ(::lstat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
  }
}
