#pragma once
// Options and working directory for the writer tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "run/ParametersManagement.h"

namespace writertest {

// Runs the enclosed code in another working directory.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : previous_(getcwd(buffer_, sizeof buffer_) ? buffer_ : "") {
    if (previous_.empty() || chdir(path.c_str()) != 0) throw std::runtime_error("cannot change directory");
  }
  ~WorkingDirectory() {
    if (chdir(previous_.c_str()) != 0) std::abort();
  }

 private:
  char buffer_[4096];
  std::string previous_;
};

// Options built and checked from `args` (program name added), console output discarded.
inline std::unique_ptr<ParametersManagement> options(std::vector<std::string> args) {
  args.insert(args.begin(), "Selvantrix");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(&a[0]);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  std::unique_ptr<ParametersManagement> o(new ParametersManagement(3.0, "12-06-2013", static_cast<int>(argv.size()), argv.data()));
  o->checkParameters();
  testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  return o;
}

}  // namespace writertest
