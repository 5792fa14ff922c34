#pragma once
// Names of the run's output files, and how they are written without ever losing a user's file.
//
// A regular output (or a name not yet taken) is written to a temporary file beside its final place,
// ".<name>.XXXXXX" in the directory of the final file once symbolic links are resolved, and moved
// into place with rename() only when every output of the run is complete and on disk. Until then
// whatever was under the final name stays untouched; a symbolic link stays a link and its target is
// replaced, and a hard link elsewhere keeps the earlier content. On a failure, and on SIGINT, SIGTERM
// or SIGHUP, only the temporary files are removed. An output that is not a regular file (a character
// device, a FIFO, /dev/stdout and the other /proc/<pid>/fd/ names) is written directly, appended
// to, and never removed.
#include <signal.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

class ParametersManagement;

namespace report {

// Name of a file derived from the main output file name: in "galaxy" mode `galaxy_name`; otherwise
// the main output name without directories and last extension, followed by `suffix` (".sum",
// ".dist"); when that part is empty, the last "/"-separated piece of the main output name + suffix.
// The result never holds a directory: such files are created in the working directory.
std::string derivedOutputFileName(const ParametersManagement& options, const std::string& suffix,
                                  const std::string& galaxy_name);

std::string summaryFileName(const ParametersManagement& options);
std::string distanceFileName(const ParametersManagement& options);

// The file a name finally designates: absolute, with every symbolic link resolved, also a dangling
// one (then the file the link would create). Two names designate the same file when these agree.
std::string resolvedFileName(const std::string& name);

// Throws FatalError "Error: Cannot create/open file: " + name when `name` cannot be written as an
// output: a directory, a missing or unwritable directory, an existing file without write permission.
// Creates nothing that stays.
void checkOutputPlace(const std::string& name);

// One output file being written.
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
  const std::string& name() const { return _name; }

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

// The outputs of a run: each is created when its writer starts and all are moved into place
// together by commit(), after the last one is finished. Those not committed are removed when the
// set goes.
class OutputFiles {
 public:
  OutputFile& create(const std::string& name);
  // Moves every finished file into place, in creation order, with SIGINT, SIGTERM and SIGHUP held
  // back meanwhile so that the set is not cut in the middle.
  void commit();

 private:
  std::vector<std::unique_ptr<OutputFile> > _files;
};

// For the time of a run: SIGINT, SIGTERM and SIGHUP remove the temporary output files, say so on
// standard error and end the process as the signal would; SIGPIPE and SIGXFSZ are ignored, so that
// a closed console or a file size limit becomes a failed write instead of a killed run. The
// previous dispositions are restored by the destructor.
class SignalGuard {
 public:
  SignalGuard();
  ~SignalGuard();
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

 private:
  struct sigaction _previous[5];  // SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ
};

}  // namespace report
