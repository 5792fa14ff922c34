// The outputs of a run: a place that cannot be created is refused; nothing under a final name
// changes before the whole set is committed; and, end to end, earlier results survive failed and
// interrupted runs.
#include "report/OutputFile.h"
#include "report/OutputFiles.h"
#include "robustness/BadInputSupport.h"
#include "core/FatalError.h"

using badinput::BadInput;
using testsupport::readFile;
using testsupport::TempDir;
namespace fs = std::filesystem;

namespace {

// Every entry, hidden temporary files included, links as "name -> target".
std::set<std::string> entries(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    const std::string name = e.path().lexically_relative(dir).string();
    names.insert(e.is_symlink() ? name + " -> " + fs::read_symlink(e.path()).string() : name);
  }
  return names;
}

}  // namespace

TEST(OutputFile, PlacesThatCannotBeCreatedAreRefused) {
  TempDir d;
  d.write("file", "x");
  fs::create_directory(d.file("dir"));
  fs::create_symlink("missing/x.out", d.file("into-missing"));
  for (const std::string name : {"dir", "missing/x.out", "file/x.out", "into-missing", "dir/"})
    for (int stage = 0; stage < 2; ++stage) {
      SCOPED_TRACE(name + (stage ? " opened" : " checked"));
      try {
        if (stage == 0) report::checkOutputPlace(d.file(name));
        else report::OutputFile file(d.file(name));
        ADD_FAILURE() << "accepted";
      } catch (const FatalError& e) {
        EXPECT_EQ(e.report(), FatalError::Report::kPlain);
        EXPECT_EQ(e.message(), "Error: Cannot create/open file: " + d.file(name));
        EXPECT_EQ(e.status(), 1);
      }
    }
  report::checkOutputPlace(d.file("new.out"));  // a free name: accepted, nothing left behind
  report::checkOutputPlace("/dev/null");
  EXPECT_EQ(entries(d.path()), (std::set<std::string>{"dir", "file", "into-missing -> missing/x.out"}));
}

// Until commit the earlier files stay and the new ones wait in temporary files beside them; a set
// that goes without commit leaves nothing. Commit follows links, also dangling ones, and keeps the
// replaced file's permissions.
TEST(OutputFiles, FinalNamesChangeOnlyWhenTheWholeSetIsCommitted) {
  TempDir d;
  d.write("a.out", "earlier a\n");
  fs::permissions(d.file("a.out"), fs::perms(0640));
  d.write("real.sum", "earlier real\n");
  fs::create_symlink("real.sum", d.file("b.sum"));
  fs::create_symlink("later.txt", d.file("c.txt"));
  for (bool commit : {false, true}) {
    report::OutputFiles outputs;
    for (const char* name : {"a.out", "b.sum", "c.txt"}) outputs.create(d.file(name)).stream() << "new " << name << "\n";
    EXPECT_EQ(readFile(d.file("a.out")), "earlier a\n");
    EXPECT_EQ(entries(d.path()).size(), 7u);  // three temporary files beside the four entries
    if (commit) outputs.commit();
  }
  EXPECT_EQ(readFile(d.file("a.out")) + readFile(d.file("real.sum")) + readFile(d.file("later.txt")),
            "new a.out\nnew b.sum\nnew c.txt\n");
  EXPECT_EQ(fs::status(d.file("a.out")).permissions(), fs::perms(0640));
  EXPECT_EQ(entries(d.path()), (std::set<std::string>{"a.out", "b.sum -> real.sum", "c.txt -> later.txt", "later.txt", "real.sum"}));
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
    testsupport::RunSetting setting = {};
  };
  const badinput::Files earlier = {
      {"results/", ""}, {"example.out", "earlier table\n"}, {"example.sum", "earlier summary\n"},
      {"results/real.out", "earlier real\n"}, {"link.sum", "earlier link summary\n"}};
  const rlim_t out = reference_files.at("example.out").size(), dist = reference_files.at("example.dist").size(),
               sum = reference_files.at("example.sum").size();
  ASSERT_LT(out, std::min(dist, sum));
  testsupport::RunSetting closed;
  closed.closed_console = true;
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
       closed},
  };
  if (!std::string(SELVANTRIX_FAULT_INJECTION).empty()) {
    const char* outputs[] = {"main output", "distance file", "summary"};
    for (int k = 1; k <= 3; ++k)
      for (const auto& s : std::vector<std::pair<std::string, int>>{{"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}})
        scenarios.push_back({s.first + " while writing the " + outputs[k - 1], {"-compute_distances=yes", "-out=link.out"},
                             128 + s.second, "\nERROR!!! Execution interrupted by " + s.first + " ! Output files not "
                             "complete by then have not been written; earlier files under their names are kept.", 0, {},
                             badinput::withShim("SELVANTRIX_SIGNAL_AT_WRITE=" + std::to_string(k) + ":" +
                                                std::to_string(s.second))});
  }
  for (const Scenario& c : scenarios) {
    SCOPED_TRACE(c.name);
    TempDir d;
    badinput::writeAll(d, dataWith(alignment));
    badinput::writeAll(d, earlier);
    fs::create_hard_link(d.file("example.out"), d.file("snapshot.out"));
    fs::create_symlink("results/real.out", d.file("link.out"));
    std::set<std::string> expected = entries(d.path());
    const testsupport::RunResult r = badinput::runIn(d, {}, badinput::runArgs(c.extra), c.setting, c.file_size_limit);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err, c.error.empty() ? "" : c.error + "\n");
    for (const auto& f : earlier)
      if (!c.after.count(f.first) && f.first.back() != '/') EXPECT_EQ(readFile(d.file(f.first)), f.second) << f.first;
    EXPECT_EQ(readFile(d.file("snapshot.out")), "earlier table\n");
    for (const auto& f : c.after) {
      expected.insert(f.first);
      if (!f.second.empty()) EXPECT_EQ(readFile(d.file(f.first)), reference_files.at(f.second.substr(1))) << f.first;
    }
    EXPECT_EQ(entries(d.path()), expected);  // no temporary file left, links still links
  }
  EXPECT_TRUE(fs::is_character_file(fs::symlink_status("/dev/full")));
}
