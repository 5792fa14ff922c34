#pragma once
// How `main` reports the exception that ended a run.
#include <exception>

// Prints the report of the exception that ended the run (a FatalError as it asks, the library's and
// the program's other exceptions as "ERROR!!! " + their message, an exhausted memory as a fixed
// line) and returns the exit status. Never throws.
int reportFatalError(std::exception_ptr failure) noexcept;
