// Output files: nothing under a final name changes before the run's outputs are committed, links
// are followed to the file they name, and what cannot be created is refused with the designed line.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TestSupport.h"
#include "report/OutputFiles.h"
#include "run/FatalError.h"

using testsupport::readFile;
using testsupport::TempDir;
namespace fs = std::filesystem;

namespace {

size_t entries(const std::string& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

}  // namespace

TEST(OutputFiles, FinalNamesChangeOnlyWhenTheWholeSetIsCommitted) {
  TempDir d;
  d.write("a.out", "earlier a\n");
  ::chmod(d.file("a.out").c_str(), 0640);
  d.write("real.sum", "earlier real\n");
  fs::create_symlink("real.sum", d.file("b.sum"));
  fs::create_symlink("later.txt", d.file("c.txt"));  // dangling: names the file it would create
  {
    report::OutputFiles outputs;
    outputs.create(d.file("a.out")).stream() << "new a\n";
    outputs.create(d.file("b.sum")).stream() << "new b\n";
    EXPECT_EQ(readFile(d.file("a.out")), "earlier a\n");
    EXPECT_EQ(entries(d.path()), 6u);  // two temporary files beside the four entries
    // Going without commit: the earlier files stay and the temporary files go.
  }
  EXPECT_EQ(readFile(d.file("a.out")), "earlier a\n");
  EXPECT_EQ(readFile(d.file("real.sum")), "earlier real\n");
  EXPECT_EQ(entries(d.path()), 4u);

  report::OutputFiles outputs;
  outputs.create(d.file("a.out")).stream() << "new a\n";
  outputs.create(d.file("b.sum")).stream() << "new b\n";
  outputs.create(d.file("c.txt")).stream() << "new c\n";
  outputs.commit();
  EXPECT_EQ(readFile(d.file("a.out")), "new a\n");
  EXPECT_EQ(readFile(d.file("real.sum")), "new b\n");
  EXPECT_TRUE(fs::is_symlink(d.file("b.sum")));
  EXPECT_EQ(readFile(d.file("later.txt")), "new c\n");
  EXPECT_TRUE(fs::is_symlink(d.file("c.txt")));
  struct stat st;
  ASSERT_EQ(::stat(d.file("a.out").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // a replaced file keeps its permissions
  EXPECT_EQ(entries(d.path()), 5u);
}

TEST(OutputFiles, PlacesThatCannotBeCreatedAreRefused) {
  TempDir d;
  d.write("file", "x");
  fs::create_directory(d.file("dir"));
  fs::create_symlink("missing/x.out", d.file("into-missing"));
  for (const std::string name : {"dir", "missing/x.out", "file/x.out", "into-missing", "dir/"}) {
    SCOPED_TRACE(name);
    const std::string path = d.file(name);
    for (int stage = 0; stage < 2; ++stage) {
      try {
        if (stage == 0) report::checkOutputPlace(path);
        else report::OutputFile file(path);
        ADD_FAILURE() << "accepted";
      } catch (const FatalError& e) {
        EXPECT_EQ(e.report(), FatalError::Report::kPlain);
        EXPECT_EQ(e.message(), "Error: Cannot create/open file: " + path);
        EXPECT_EQ(e.status(), 1);
      }
    }
  }
  EXPECT_EQ(entries(d.path()), 3u);
  report::checkOutputPlace(d.file("new.out"));  // a free name: accepted, nothing left behind
  report::checkOutputPlace("/dev/null");
  EXPECT_EQ(entries(d.path()), 3u);
}

TEST(OutputFiles, NamesResolveThroughLinksToTheirFile) {
  TempDir d;
  fs::create_directory(d.file("dir"));
  fs::create_directory_symlink("dir", d.file("linked"));
  fs::create_symlink("dir/second", d.file("first"));
  fs::create_symlink("../final", d.file("dir/second"));  // a chain ending at a file not yet created
  const std::string real = fs::canonical(d.path()).string();
  EXPECT_EQ(report::resolvedFileName(d.file("first")), real + "/final");
  EXPECT_EQ(report::resolvedFileName(d.file("linked/x.out")), real + "/dir/x.out");
  EXPECT_EQ(report::resolvedFileName(d.file("dir/../dir/x.out")), real + "/dir/x.out");
}
