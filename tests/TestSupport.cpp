#include "TestSupport.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "selvantrix_test_XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
  std::string p = file(name);
  std::ofstream o(p, std::ios::binary);
  o << content;
  return p;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}


RunResult runSelvantrix(const std::vector<std::string>& args, const std::string& cwd, const RunSetting& setting) {
  TempDir capture;
  std::string outPath = capture.file("stdout"), errPath = capture.file("stderr");
  int closed[2] = {-1, -1};
  if (setting.closed_console) {
    if (pipe(closed) != 0) throw std::runtime_error("pipe failed");
    close(closed[0]);  // the reader is gone before anything is written
  }
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(127);
    FILE* o = freopen(outPath.c_str(), "w", stdout);
    FILE* e = freopen(errPath.c_str(), "w", stderr);
    if (!o || !e) _exit(127);
    if (setting.closed_console) {
      if (dup2(closed[1], STDOUT_FILENO) < 0) _exit(127);
      signal(SIGPIPE, SIG_DFL);  // as a shell leaves it
    }
    for (const std::string& variable : setting.environment) putenv(const_cast<char*>(variable.c_str()));
    std::vector<char*> argv;
    std::string bin = SELVANTRIX_BINARY;
    argv.push_back(const_cast<char*>(bin.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(bin.c_str(), argv.data());
    _exit(127);
  }
  if (setting.closed_console) close(closed[1]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  RunResult r;
  if (WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
  else if (WIFSIGNALED(wstatus)) r.status = 128 + WTERMSIG(wstatus);
  r.out = readFile(outPath);
  r.err = readFile(errPath);
  return r;
}

std::string sourcePath(const std::string& relative) {
  return std::string(SELVANTRIX_SOURCE_DIR) + "/" + relative;
}

}  // namespace testsupport
