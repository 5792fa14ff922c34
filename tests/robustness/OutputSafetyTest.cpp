// A run never loses or corrupts a user's file: output places checked before the analysis, earlier
// results kept through failed and interrupted runs (links, snapshots, devices), every out-of-memory
// reported, and a closed console harmless.
#include <sys/stat.h>

#include <fstream>

#include "robustness/BadInputSupport.h"

// The preloadable fault-injection shim (tests/robustness/FaultInjection.cpp); none in sanitized builds.
#ifndef SELVANTRIX_FAULT_INJECTION
#define SELVANTRIX_FAULT_INJECTION ""
#endif

using namespace badinput;
namespace fs = std::filesystem;

namespace {

const char* kAnalysis = "Dataset/Contig analysis procedure:";

std::string cannotWrite(const std::string& name) {
  return "ERROR!!! Cannot write file: " + name +
         " (disk full or file size limit?). The output files of this run have not been written; earlier files "
         "under their names are kept.";
}

// Every entry of a directory (hidden temporary files included), links shown as "name -> target"
// and directories recursively.
std::set<std::string> entriesIn(const std::string& dir, const std::string& prefix = "") {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = prefix + entry.path().filename().string();
    if (entry.is_symlink()) {
      names.insert(name + " -> " + fs::read_symlink(entry.path()).string());
    } else if (entry.is_directory()) {
      names.insert(name + "/");
      const std::set<std::string> inner = entriesIn(entry.path().string(), name + "/");
      names.insert(inner.begin(), inner.end());
    } else {
      names.insert(name);
    }
  }
  return names;
}

}  // namespace

TEST_F(BadInput, OutputPlacesAreCheckedBeforeTheAnalysis) {
  const auto data = dataWith(alignment);
  check({
      {"output directory that does not exist", data, runArgs({"-out=missing/example.out"}), 1,
       "Error: Cannot create/open file: missing/example.out", "", {}, 0, {}, kAnalysis},
      // As root no permission stops a write: a regular file in the place of a directory does.
      {"a file in the place of the output directory", data, runArgs({"-out=" + kPopulations + "/example.out"}), 1,
       "Error: Cannot create/open file: populations.txt/example.out", "", {}, 0, {}, kAnalysis},
      {"a directory named as main output", data, runArgs({"-out=adir"}), 1, "Error: Cannot create/open file: adir",
       "", {}, 0, {"adir"}, kAnalysis},
      {"a directory in the place of the summary", data, runArgs({}), 1,
       "Error: Cannot create/open file: example.sum", "", {}, 0, {"example.sum"}, kAnalysis},
      {"a directory in the place of the distance file", data, runArgs({"-compute_distances=yes"}), 1,
       "Error: Cannot create/open file: example.dist", "", {}, 0, {"example.dist"}, kAnalysis},
  });
}

TEST_F(BadInput, AFullDiskWritesNoOutput) {
  const auto data = dataWith(alignment);
  const rlim_t main_size = reference_files.at("example.out").size();
  const rlim_t dist_size = reference_files.at("example.dist").size();
  const rlim_t sum_size = reference_files.at("example.sum").size();
  ASSERT_LT(main_size, dist_size);
  ASSERT_LT(main_size, sum_size);
  // Outputs are moved into place together once all are written: a failure in any of them leaves
  // none, not a mixed set of new and earlier files. (A limit applies to each file, the captured
  // standard error included.)
  check({
      {"in the main output", data, runArgs({}), 1, cannotWrite("example.out"), "", {}, main_size / 2},
      {"in the distance file", data, runArgs({"-compute_distances=yes"}), 1, cannotWrite("example.dist"), "", {},
       (main_size + dist_size) / 2},
      {"in the summary", data, runArgs({}), 1, cannotWrite("example.sum"), "", {}, (main_size + sum_size) / 2},
  });
}

// Earlier results behind links, snapshots and devices survive failed and interrupted runs, and a
// complete run replaces the file a link points to, keeping the link.
TEST_F(BadInput, EarlierResultsSurviveFailedAndInterruptedRuns) {
  const bool injection = std::string(SELVANTRIX_FAULT_INJECTION).size() > 0;
  struct Scenario {
    std::string name;
    std::vector<std::string> extra;
    int status;
    std::string first_error;
    rlim_t file_size_limit;
    std::string signal_at_write;      // "K:S" for the fault-injection shim, empty: none
    std::map<std::string, std::string> after;  // content of files afterwards ("=name": the reference's)
  };
  const std::map<std::string, std::string> unchanged = {{"example.out", "earlier table\n"},
                                                        {"snapshot.out", "earlier table\n"},
                                                        {"example.sum", "earlier summary\n"},
                                                        {"results/real.out", "earlier real\n"},
                                                        {"link.sum", "earlier link summary\n"}};
  auto with = [&](std::map<std::string, std::string> changes) {
    std::map<std::string, std::string> files = unchanged;
    for (const auto& c : changes) files[c.first] = c.second;
    return files;
  };
  auto interrupted = [](const char* name) {
    return "ERROR!!! Execution interrupted by " + std::string(name) +
           " ! Output files not complete by then have not been written; earlier files under their names are kept.";
  };
  std::vector<Scenario> scenarios = {
      {"complete run", {}, 0, "", 0, "", with({{"example.out", "=example.out"}, {"example.sum", ""}})},
      {"complete run through a link", {"-out=link.out"}, 0, "", 0, "", with({{"results/real.out", "=example.out"}, {"link.sum", ""}})},
      {"full disk", {}, 1, cannotWrite("example.out"), 400, "", unchanged},
      {"full disk through a link", {"-out=link.out"}, 1, cannotWrite("link.out"), 400, "", unchanged},
      {"a device that is full", {"-out=/dev/full"}, 1, cannotWrite("/dev/full"), 0, "", unchanged},
  };
  if (injection) {
    const std::pair<const char*, int> signals[] = {{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}};
    const char* outputs[] = {"main output", "distance file", "summary"};
    for (int k = 1; k <= 3; ++k)
      for (const auto& s : signals)
        scenarios.push_back({std::string(s.first) + " while writing the " + outputs[k - 1],
                             {"-compute_distances=yes", "-out=link.out"}, 128 + s.second, interrupted(s.first), 0,
                             std::to_string(k) + ":" + std::to_string(s.second), unchanged});
  }
  for (const Scenario& c : scenarios) {
    SCOPED_TRACE(c.name);
    TempDir d;
    d.write(kAlignment, alignment);
    d.write(kPopulations, populations);
    fs::create_directory(d.file("results"));
    for (const auto& f : unchanged) d.write(f.first, f.second);
    fs::remove(d.file("snapshot.out"));
    fs::create_hard_link(d.file("example.out"), d.file("snapshot.out"));
    fs::create_symlink("results/real.out", d.file("link.out"));
    const std::set<std::string> before = entriesIn(d.path());

    testsupport::RunSetting setting;
    if (!c.signal_at_write.empty())
      setting.environment = {std::string("LD_PRELOAD=") + SELVANTRIX_FAULT_INJECTION,
                             "SELVANTRIX_SIGNAL_AT_WRITE=" + c.signal_at_write};
    RunResult r;
    if (c.file_size_limit) {
      r = runWithFileSizeLimit(runArgs(c.extra), d.path(), c.file_size_limit);
    } else {
      r = runSelvantrix(runArgs(c.extra), d.path(), setting);
    }
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::vector<std::string> err = splitLines(r.err);
    if (c.first_error.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      ASSERT_FALSE(err.empty());
      EXPECT_EQ(err.back(), c.first_error);
    }
    for (const auto& f : c.after) {
      if (f.second.empty()) continue;  // a new summary: its bootstrap intervals vary
      const std::string expected = f.second[0] == '=' ? reference_files.at(f.second.substr(1)) : f.second;
      EXPECT_EQ(readFile(d.file(f.first)), expected) << f.first;
    }
    // Nothing else: no temporary file left, links still links.
    EXPECT_EQ(entriesIn(d.path()), before);
    struct stat st;
    ASSERT_EQ(::lstat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
  }
}

// Out of memory at any allocation after start-up: the run ends with the clear error and status 1,
// leaving no file, or it completes with the same results as without the failure.
TEST(OutOfMemory, EveryAllocationFailureEndsWithAClearErrorOrTheSameResults) {
  const std::string shim = SELVANTRIX_FAULT_INJECTION;
  if (shim.empty()) GTEST_SKIP() << "no fault injection in sanitized builds";
  const std::map<std::string, std::string> inputs = {
      {"tiny.fas",
       ">c1|Sp1|i1|allele_1\nATGAAACCCGGGTTTAAACCCGGGTTTAAA\n>c1|Sp1|i1|allele_2\nATGAAACCCGGGTTTAAACCCGGGTTCAAA\n"
       ">c1|Sp1|i2|allele_1\nATGAAACCTGGGTTTAAACCCGGGTTTAAA\n>c1|Sp1|i2|allele_2\nATGAAACCCGGGTTTAAACCCGGGTTTAAA\n"
       ">c1|Sp2|o1|allele_1\nATGAAGCCCGGGTTTAAACCCGGATTTAAA\n"},
      {"tiny.pop", "P1;i1\nP2;i2\n"}};
  const std::vector<std::string> args = {"-alignment_file=tiny.fas", "-population_file=tiny.pop", "-ingroup=Sp1",
                                         "-outgroup=Sp2",           "-bs_replicates=2",          "-gapN_site=1",
                                         "-min_nb_codon=1",         "-compute_distances=yes"};
  TempDir reference;
  for (const auto& f : inputs) reference.write(f.first, f.second);
  testsupport::RunSetting counting;
  counting.environment = {"LD_PRELOAD=" + shim, "SELVANTRIX_COUNT_ALLOCATIONS=" + reference.file("count")};
  ASSERT_EQ(runSelvantrix(args, reference.path(), counting).status, 0);
  const unsigned long allocations = std::stoul(readFile(reference.file("count")));
  ASSERT_GT(allocations, 100u);
  const std::string table = readFile(reference.file("tiny.out")), distances = readFile(reference.file("tiny.dist"));

  unsigned long failed_runs = 0;
  for (unsigned long k = 1; k <= allocations; ++k) {
    TempDir d;
    for (const auto& f : inputs) d.write(f.first, f.second);
    testsupport::RunSetting failing;
    failing.environment = {"LD_PRELOAD=" + shim, "SELVANTRIX_FAIL_ALLOCATION=" + std::to_string(k)};
    const RunResult r = runSelvantrix(args, d.path(), failing);
    std::set<std::string> left = filesIn(d.path());
    if (r.status == 0) {
      EXPECT_EQ(r.err, "") << "allocation " << k;
      EXPECT_EQ(readFile(d.file("tiny.out")), table) << "allocation " << k;
      EXPECT_EQ(readFile(d.file("tiny.dist")), distances) << "allocation " << k;
      continue;
    }
    ++failed_runs;
    ASSERT_EQ(r.status, 1) << "allocation " << k << ": " << r.err;
    ASSERT_EQ(r.err.rfind("ERROR!!! ", 0), 0u) << "allocation " << k << ": " << r.err;
    ASSERT_EQ(left, (std::set<std::string>{"tiny.fas", "tiny.pop"})) << "allocation " << k;
  }
  EXPECT_GT(failed_runs, allocations / 2);
}

TEST_F(BadInput, AClosedConsoleDoesNotStopTheRun) {
  TempDir d;
  d.write(kAlignment, alignment);
  d.write(kPopulations, populations);
  testsupport::RunSetting setting;
  setting.closed_console = true;
  const RunResult r = runSelvantrix(referenceArgs({"-compute_distances=yes"}), d.path(), setting);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err,
            "WARNING!!! The console report could not be written completely (standard output closed or full); the "
            "output files are complete.\n");
  EXPECT_EQ(readFile(d.file("example.out")), reference_files.at("example.out"));
  EXPECT_EQ(readFile(d.file("example.dist")), reference_files.at("example.dist"));
}
