// The names of the run's outputs and the files they designate.
#include <filesystem>

#include "ReportTestSupport.h"
#include "TestSupport.h"
#include "report/OutputFileNames.h"

namespace fs = std::filesystem;

// The main output keeps its directory; the summary and distance files take its base name without
// the last extension, in the working directory; "galaxy" mode has fixed names.
TEST(OutputFileNames, NamesOfTheThreeOutputs) {
  const std::vector<std::vector<std::string>> cases = {  // options, main output, summary, distances
      {"", "seqs.out", "seqs.sum", "seqs.dist"},
      {"-alignment_file=data/.hidden", ".hidden.out", ".hidden.sum", ".hidden.dist"},
      {"-alignment_file=data/noext", "noext.out", "noext.sum", "noext.dist"},
      {"-exec_mode=galaxy", "Selvantrix_output", "Selvantrix_summary", "Selvantrix_distances"},
      {"-out=results/run1.txt", "results/run1.txt", "run1.sum", "run1.dist"},
      {"-out=results/noext", "results/noext", "noext.sum", "noext.dist"},
      {"-out=my.dir/run1", "my.dir/run1", "run1.sum", "run1.dist"},
      {"-out=run.1.txt", "run.1.txt", "run.1.sum", "run.1.dist"},
      {"-out=dir/.hidden", "dir/.hidden", ".hidden.sum", ".hidden.dist"},
      {"-out=res//run.out", "res//run.out", "run.sum", "run.dist"},
      {"-out=run.out\\", "run.out\\", "run.sum", "run.dist"},
      {"-out=run#1 x.out", "run#1 x.out", "run#1 x.sum", "run#1 x.dist"},
  };
  testsupport::TempDir d;
  fs::create_directory(d.file("data"));
  for (const char* name : {"data/seqs.fas", "data/.hidden", "data/noext"}) d.write(name, ">c|s|i|1\nAAA\n");
  reporttest::WorkingDirectory here(d.path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    auto options = reporttest::options({"-alignment_file=data/seqs.fas", "-ingroup=Sp1", c[0]});
    EXPECT_EQ(std::vector<std::string>({options->get_output_file_name(), report::summaryFileName(*options),
                                        report::distanceFileName(*options)}),
              std::vector<std::string>(c.begin() + 1, c.end()));
  }
  auto galaxy = reporttest::options({"-alignment_file=data/seqs.fas", "-ingroup=Sp1", "-out=r/x.txt", "-exec_mode=galaxy"});
  EXPECT_EQ(galaxy->get_output_file_name(), "r/x.txt");
}

TEST(OutputFileNames, NamesResolveThroughLinksToTheirFileAndDirectOutputs) {
  testsupport::TempDir d;
  fs::create_directory(d.file("dir"));
  fs::create_directory_symlink("dir", d.file("linked"));
  fs::create_symlink("dir/second", d.file("first"));
  fs::create_symlink("../final", d.file("dir/second"));  // a chain ending at a file not yet created
  const std::string real = fs::canonical(d.path()).string();
  EXPECT_EQ(report::resolvedFileName(d.file("first")), real + "/final");
  EXPECT_EQ(report::resolvedFileName(d.file("linked/x.out")), real + "/dir/x.out");
  EXPECT_EQ(report::resolvedFileName(d.file("dir/../dir/x.out")), real + "/dir/x.out");
  // Written directly: a device, the process's own open files; not a directory, a link to a file not
  // yet created, a missing file.
  EXPECT_TRUE(report::isDirectOutput("/dev/null") && report::isDirectOutput("/dev/stdout"));
  EXPECT_FALSE(report::isDirectOutput(d.file("dir")) || report::isDirectOutput(d.file("first")) ||
               report::isDirectOutput(d.file("none")));
}
