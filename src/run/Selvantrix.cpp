// Entry point of Selvantrix: the only place where the run ends and its exit status is decided.
#include <exception>

#include "run/FatalErrorReport.h"
#include "run/RunSequence.h"

int main(int argc, char* argv[]) {
  try {
    return runSelvantrix(argc, argv);
  } catch (...) {
    return reportFatalError(std::current_exception());
  }
}
