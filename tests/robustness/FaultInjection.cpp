// LD_PRELOAD shim of the robustness tests: injects one fault into a run of the real binary.
// SELVANTRIX_FAIL_ALLOCATION=K: the K-th call of operator new counted from the start of main (start-up
// is left alone) throws std::bad_alloc, the nothrow forms return null.
// SELVANTRIX_COUNT_ALLOCATIONS=FILE: the number of calls from the start of main is written to FILE
// when the process ends normally.
// SELVANTRIX_SIGNAL_AT_WRITE=K:S: in the K-th write() to a file other than the console (the output
// files) half of the data is written, then signal S is raised.
#include <dlfcn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

bool counting = false;
unsigned long calls = 0, fail_at = 0, writes = 0, signal_at_write = 0;
int signal_number = 0;
const char* count_file = nullptr;

using MainFunction = int (*)(int, char**, char**);
MainFunction real_main = nullptr;

void writeCount() {
  if (FILE* f = count_file ? std::fopen(count_file, "w") : nullptr) {
    std::fprintf(f, "%lu\n", calls);
    std::fclose(f);
  }
}

int countingMain(int argc, char** argv, char** env) {
  if (const char* k = std::getenv("SELVANTRIX_FAIL_ALLOCATION")) fail_at = std::strtoul(k, nullptr, 10);
  count_file = std::getenv("SELVANTRIX_COUNT_ALLOCATIONS");
  if (const char* w = std::getenv("SELVANTRIX_SIGNAL_AT_WRITE")) {
    char* rest = nullptr;
    signal_at_write = std::strtoul(w, &rest, 10);
    if (rest && *rest == ':') signal_number = static_cast<int>(std::strtol(rest + 1, nullptr, 10));
  }
  std::atexit(writeCount);
  counting = true;
  return real_main(argc, argv, env);
}

// True when this call is the one to fail.
bool failsNow() { return counting && ++calls == fail_at; }

void* allocate(std::size_t size) {
  if (failsNow()) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* allocateOrNull(std::size_t size) noexcept { return failsNow() ? nullptr : std::malloc(size ? size : 1); }

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
  if (counting && fd > 2 && signal_number != 0 && ++writes == signal_at_write) {
    const ssize_t half = syscall(SYS_write, fd, data, size / 2);
    raise(signal_number);
    return half;
  }
  return syscall(SYS_write, fd, data, size);
}

extern "C" int __libc_start_main(MainFunction main, int argc, char** argv, void (*init)(), void (*fini)(),
                                 void (*rtld_fini)(), void* stack_end) {
  using Start = int (*)(MainFunction, int, char**, void (*)(), void (*)(), void (*)(), void*);
  Start real_start = reinterpret_cast<Start>(dlsym(RTLD_NEXT, "__libc_start_main"));
  real_main = main;
  return real_start(countingMain, argc, argv, init, fini, rtld_fini, stack_end);
}

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocateOrNull(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
