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
  explicit WorkingDirectory(const std::string& path) {
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) throw std::runtime_error("getcwd failed");
    previous_ = buffer;
    if (chdir(path.c_str()) != 0) throw std::runtime_error("chdir failed");
  }
  ~WorkingDirectory() {
    if (chdir(previous_.c_str()) != 0) std::abort();
  }

 private:
  std::string previous_;
};

// Options built and checked from `args` (program name added), console output discarded.
inline std::unique_ptr<ParametersManagement> options(std::vector<std::string> args) {
  args.insert(args.begin(), "Selvantrix");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  std::unique_ptr<ParametersManagement> o(
      new ParametersManagement(3.0, "12-06-2013", static_cast<int>(argv.size()), argv.data()));
  o->checkParameters();
  testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  return o;
}

}  // namespace writertest
