// One output file: what cannot be created is refused with the designed line, and nothing is left.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "report/OutputFile.h"
#include "run/FatalError.h"

using testsupport::TempDir;
namespace fs = std::filesystem;

namespace {

size_t entries(const std::string& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

}  // namespace

TEST(OutputFile, PlacesThatCannotBeCreatedAreRefused) {
  TempDir d;
  d.write("file", "x");
  fs::create_directory(d.file("dir"));
  fs::create_symlink("missing/x.out", d.file("into-missing"));
  for (const std::string name : {"dir", "missing/x.out", "file/x.out", "into-missing", "dir/"}) {
    SCOPED_TRACE(name);
    for (int stage = 0; stage < 2; ++stage) {
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
  }
  report::checkOutputPlace(d.file("new.out"));  // a free name: accepted, nothing left behind
  report::checkOutputPlace("/dev/null");
  EXPECT_EQ(entries(d.path()), 3u);
}
