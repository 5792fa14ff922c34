#include "report/SignalGuard.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>

#include "report/HeldSignals.h"
#include "report/TemporaryFiles.h"

namespace report {

namespace {

void writeAll(int fd, const char* text) {
  size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t w = ::write(fd, text, left);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    text += w;
    left -= static_cast<size_t>(w);
  }
}

extern "C" void removeTemporariesAndEnd(int signal_number) {
  removeTemporaryFiles();
  const char* name = signal_number == SIGINT ? "SIGINT" : signal_number == SIGTERM ? "SIGTERM" : "SIGHUP";
  writeAll(STDERR_FILENO, "\nERROR!!! Execution interrupted by ");
  writeAll(STDERR_FILENO, name);
  writeAll(STDERR_FILENO,
           " ! Output files not complete by then have not been written; earlier files under their names are "
           "kept.\n");
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);  // delivered when the handler returns
}

}  // namespace

SignalGuard::SignalGuard() {
  for (size_t i = 0; i < std::size(kCleanedSignals); ++i) ::sigaction(kCleanedSignals[i], nullptr, &_previous[i]);
  ::sigaction(SIGPIPE, nullptr, &_previous[3]);
  ::sigaction(SIGXFSZ, nullptr, &_previous[4]);
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = removeTemporariesAndEnd;
  sigemptyset(&action.sa_mask);
  for (int s : kCleanedSignals) sigaddset(&action.sa_mask, s);
  for (int s : kCleanedSignals) ::sigaction(s, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

SignalGuard::~SignalGuard() {
  for (size_t i = 0; i < std::size(kCleanedSignals); ++i) ::sigaction(kCleanedSignals[i], &_previous[i], nullptr);
  ::sigaction(SIGPIPE, &_previous[3], nullptr);
  ::sigaction(SIGXFSZ, &_previous[4], nullptr);
}

}  // namespace report
