// Entry point of Selvantrix.
#include <Bpp/App/ApplicationTools.h>

#include <exception>

#include "run/RunSequence.h"

int main(int argc, char* argv[]) {
  try {
    return runSelvantrix(argc, argv);
  } catch (std::exception& e) {
    // Errors raised by the library or by the program's own checks end the run with their message.
    bpp::ApplicationTools::displayError(e.what());
    return 1;
  }
}
