#pragma once
// The signal dispositions of a run.
#include <signal.h>

namespace report {

// For the time of a run: SIGINT, SIGTERM and SIGHUP remove the temporary output files, say so on
// standard error and end the process as the signal would; SIGPIPE and SIGXFSZ are ignored, so that
// a closed console or a file size limit becomes a failed write instead of a killed run. The
// previous dispositions are restored by the destructor.
class SignalGuard {
 public:
  SignalGuard();
  ~SignalGuard();
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

 private:
  struct sigaction _previous[5];  // SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ
};

}  // namespace report
