// Entry point of Selvantrix.
#include <Bpp/App/ApplicationTools.h>

#include <csignal>
#include <exception>
#include <new>

#include "run/RunSequence.h"

int main(int argc, char* argv[]) {
  // Past a file size limit a write then fails like on a full disk, and the writers remove the
  // incomplete file, instead of the process being killed with the truncated file left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  try {
    return runSelvantrix(argc, argv);
  } catch (std::bad_alloc&) {
    bpp::ApplicationTools::displayError("Not enough memory to go on with the analysis ! Execution canceled..");
    return 1;
  } catch (std::exception& e) {
    // Errors raised by the library or by the program's own checks end the run with their message.
    bpp::ApplicationTools::displayError(e.what());
    return 1;
  } catch (...) {
    bpp::ApplicationTools::displayError("An unexpected error ended the analysis ! Execution canceled..");
    return 1;
  }
}
