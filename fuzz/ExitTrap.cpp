#include "ExitTrap.h"

#include <csetjmp>
#include <cstdlib>

extern "C" [[noreturn]] void __real_exit(int status);

namespace {
std::jmp_buf* active_trap = nullptr;
int trapped_status = 0;
}  // namespace

extern "C" [[noreturn]] void __wrap_exit(int status) {
  if (active_trap) {
    std::jmp_buf* trap = active_trap;
    active_trap = nullptr;
    trapped_status = status;
    std::longjmp(*trap, 1);
  }
  __real_exit(status);
}

namespace fuzzsupport {

int runTrappingExit(const std::function<void()>& body) {
  std::jmp_buf trap;
  if (setjmp(trap) != 0) return trapped_status;
  active_trap = &trap;
  try {
    body();
  } catch (...) {
    active_trap = nullptr;
    throw;
  }
  active_trap = nullptr;
  return -1;
}

}  // namespace fuzzsupport
