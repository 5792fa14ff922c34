#pragma once
// The temporary files of the outputs being written, listed where a signal handler can find and
// remove them. The list has room for a few files; its entries are set with the signals held back.
#include <string>

namespace report {

// Creates a temporary file from `pattern` (its last six characters "XXXXXX" replaced, as mkostemp
// does) and lists it. Returns its place in the list, with `fd` open on it; -1 when the list is full
// or the file cannot be created. Allocates nothing: once the file exists, the caller holds its place
// and releases it on any failure.
int createTemporaryFile(const std::string& pattern, int& fd) noexcept;
// The name of the file listed at `slot`.
const char* temporaryFilePath(int slot) noexcept;
// The file listed at `slot` has been moved into place: it is no longer removed.
void keepTemporaryFile(int slot) noexcept;
// Removes the file listed at `slot` unless kept, and frees its place. Never throws.
void releaseTemporaryFile(int slot) noexcept;
// Removes every listed file that is not kept; safe within a signal handler.
void removeTemporaryFiles() noexcept;

}  // namespace report
