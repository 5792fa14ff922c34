#include "report/TemporaryFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "report/HeldSignals.h"

namespace report {

namespace {

// The one state of the program that has to be global, since a signal handler can reach nothing
// else. A slot is filled while the signals are held back, and its path is complete before `active`
// is set.
struct TemporarySlot {
  char path[PATH_MAX];
  volatile std::sig_atomic_t active;
  bool used;
};
TemporarySlot temporary_slots[8];

}  // namespace

int createTemporaryFile(const std::string& pattern, int& fd) noexcept {
  if (pattern.size() >= PATH_MAX) return -1;
  HeldSignals held;
  int free_slot = -1;
  for (int i = 0; i < static_cast<int>(std::size(temporary_slots)) && free_slot < 0; ++i)
    if (!temporary_slots[i].used) free_slot = i;
  if (free_slot < 0) return -1;
  TemporarySlot& slot = temporary_slots[free_slot];
  slot.used = true;
  std::memcpy(slot.path, pattern.c_str(), pattern.size() + 1);
  fd = ::mkostemp(slot.path, O_CLOEXEC);
  if (fd < 0) {
    slot.used = false;
    return -1;
  }
  slot.active = 1;
  return free_slot;
}

const char* temporaryFilePath(int slot) noexcept { return temporary_slots[slot].path; }

void keepTemporaryFile(int slot) noexcept { temporary_slots[slot].active = 0; }

void releaseTemporaryFile(int slot) noexcept {
  TemporarySlot& entry = temporary_slots[slot];
  if (entry.active) ::unlink(entry.path);
  entry.active = 0;
  entry.used = false;
}

void removeTemporaryFiles() noexcept {
  for (TemporarySlot& slot : temporary_slots)
    if (slot.active) ::unlink(slot.path);
}

}  // namespace report
