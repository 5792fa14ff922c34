#pragma once
// Turns the program's deliberate process endings (help text, fatal input errors) into an ordinary
// return while a fuzz input runs.
//
// The fuzz executables are linked with -Wl,--wrap=exit, so every call to exit() made by the
// program's own objects reaches __wrap_exit. While an input is running under runTrappingExit,
// __wrap_exit jumps back into runTrappingExit with the requested status instead of ending the
// process; at any other time it calls the real exit(). Objects on the skipped frames are not
// destroyed, so a target keeps the objects it creates outside the trapped call.
#include <functional>

namespace fuzzsupport {

// Runs `body`; returns -1 when it returned normally, or the status it asked exit() for.
int runTrappingExit(const std::function<void()>& body);

}  // namespace fuzzsupport
