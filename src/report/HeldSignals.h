#pragma once
// The signals that end a run after removing its temporary output files, and a guard that holds
// them back.
#include <signal.h>

namespace report {

const int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Holds SIGINT, SIGTERM and SIGHUP back for its lifetime.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : kCleanedSignals) sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &_previous);
  }
  ~HeldSignals() { sigprocmask(SIG_SETMASK, &_previous, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t _previous;
};

}  // namespace report
