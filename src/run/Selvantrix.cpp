// Entry point of Selvantrix.
#include <Bpp/App/ApplicationTools.h>

#include <exception>
#include <new>

#include "run/RunSequence.h"

int main(int argc, char* argv[]) {
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
