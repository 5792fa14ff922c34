#include "run/FatalErrorReport.h"

#include <Bpp/App/ApplicationTools.h>

#include <cstdio>
#include <iostream>
#include <new>

#include "core/FatalError.h"
#include "run/Banners.h"

namespace {

// Printed without allocating anything: memory may be exhausted.
void reportOutOfMemory() noexcept {
  std::cout.flush();
  std::fputs("ERROR!!! Not enough memory to go on with the analysis ! Execution canceled..\n", stderr);
  std::fflush(stderr);
}

void report(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const FatalError& e) {
    switch (e.report()) {
      case FatalError::Report::kError: bpp::ApplicationTools::displayError(e.message()); break;
      case FatalError::Report::kWarning: bpp::ApplicationTools::displayWarning(e.message()); break;
      case FatalError::Report::kPlain: std::cerr << e.message() << std::endl; break;
      case FatalError::Report::kNone: break;
    }
    if (e.goodbye()) displayGoodbyeMessage();
  } catch (const std::bad_alloc&) {
    reportOutOfMemory();
  } catch (const std::exception& e) {
    // Errors raised by the library or by the program's own checks end the run with their message.
    bpp::ApplicationTools::displayError(e.what());
  } catch (...) {
    bpp::ApplicationTools::displayError("An unexpected error ended the analysis ! Execution canceled..");
  }
}

}  // namespace

int reportFatalError(std::exception_ptr failure) noexcept {
  int status = 1;
  try {
    std::rethrow_exception(failure);
  } catch (const FatalError& e) {
    status = e.status();
  } catch (...) {
  }
  try {
    report(failure);
  } catch (...) {  // the report itself ran out of memory
    reportOutOfMemory();
  }
  return status;
}
