#pragma once
// One output file being written, without ever losing a user's file.
//
// A regular output (or a name not yet taken) is written to a temporary file beside its final place,
// ".<name>.XXXXXX" in the directory of the final file once symbolic links are resolved, and moved
// into place with rename() only when it is complete and on disk. Until then whatever was under the
// final name stays untouched; a symbolic link stays a link and its target is replaced, and a hard
// link elsewhere keeps the earlier content. On a failure, and on SIGINT, SIGTERM or SIGHUP, only
// the temporary file is removed. An output that is not a regular file (a character device, a FIFO,
// /dev/stdout and the other /proc/<pid>/fd/ names) is written directly, appended to, and never
// removed.
#include <memory>
#include <ostream>
#include <string>

namespace report {

// Throws FatalError "Error: Cannot create/open file: " + name when `name` cannot be written as an
// output: a directory, a missing or unwritable directory, an existing file without write permission.
// Creates nothing that stays.
void checkOutputPlace(const std::string& name);

class OutputFile {
 public:
  // Creates the temporary file (or opens a non-regular output for appending). Throws FatalError
  // "Error: Cannot create/open file: " + name when that fails.
  explicit OutputFile(const std::string& name);
  // Removes the temporary file unless it was moved into place. Never throws.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  std::ostream& stream() { return *_stream; }

  // Flushes everything to disk. Throws FatalError "Cannot write file: ..." when any write failed
  // (a full disk, a file size limit).
  void finish();
  // Moves the finished temporary file into place. Throws FatalError when that fails.
  void commit();

 private:
  class Buffer;
  void _release() noexcept;

  std::string _name;        // as given: used in messages
  std::string _target;      // the final file, links resolved (regular outputs)
  std::string _temporary;   // empty for a non-regular output, written directly
  int _fd = -1;
  int _slot = -1;           // place in the list of temporary files removed on a signal
  bool _finished = false;
  std::unique_ptr<Buffer> _buffer;
  std::unique_ptr<std::ostream> _stream;
};

}  // namespace report
