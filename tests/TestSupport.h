#pragma once
// Helpers shared by the tests: temporary directories, files, and running the real binary.
#include <string>
#include <vector>

namespace testsupport {

struct RunResult {
  int status = -1;        // exit status (or 128 + signal)
  std::string out;        // standard output
  std::string err;        // standard error
};

// A fresh empty directory under the system temporary directory, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  // Writes `content` to `name` inside the directory and returns its full path.
  std::string write(const std::string& name, const std::string& content) const;

 private:
  std::string path_;
};

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
std::vector<std::string> splitLines(const std::string& text);

// How the binary is started besides its arguments.
struct RunSetting {
  std::vector<std::string> environment;  // "NAME=value" added to the environment
  bool closed_console = false;           // standard output is a pipe whose reader has gone
};

// Runs the Selvantrix binary with `args` in working directory `cwd`.
RunResult runSelvantrix(const std::vector<std::string>& args, const std::string& cwd,
                        const RunSetting& setting = RunSetting());

// Path of a file in the source tree (examples, test data).
std::string sourcePath(const std::string& relative);

}  // namespace testsupport
