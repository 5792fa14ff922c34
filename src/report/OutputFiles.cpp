#include "report/OutputFiles.h"

#include <Bpp/Io/FileTools.h>
#include <Bpp/Text/StringTokenizer.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <streambuf>

#include "run/FatalError.h"
#include "run/ParametersManagement.h"

namespace report {

namespace fs = std::filesystem;

std::string derivedOutputFileName(const ParametersManagement& options, const std::string& suffix,
                                  const std::string& galaxy_name) {
  if (options.get_execution_mode() != "local") return galaxy_name;
  const std::string main_name = options.get_output_file_name();
  std::string name = bpp::FileTools::getFileName(main_name, bpp::FileTools::DIR_SEP) + suffix;
  if (name == suffix) {
    bpp::StringTokenizer pieces(main_name, "/", false, false);
    std::string last;
    while (pieces.hasMoreToken()) last = pieces.nextToken();
    name = last + suffix;
  }
  return name;
}

std::string summaryFileName(const ParametersManagement& options) {
  return derivedOutputFileName(options, ".sum", "Selvantrix_summary");
}

std::string distanceFileName(const ParametersManagement& options) {
  return derivedOutputFileName(options, ".dist", "Selvantrix_distances");
}

namespace {

// The temporary files of the outputs being written, for the signal handler: the one state of the
// program that has to be global, since a handler can reach nothing else. A slot is filled while
// the signals are held back, and its path is complete before `active` is set.
struct TemporarySlot {
  char path[PATH_MAX];
  volatile std::sig_atomic_t active;
  bool used;
};
TemporarySlot temporary_slots[8];

const int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Holds SIGINT, SIGTERM and SIGHUP back for its lifetime.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : kCleanedSignals) sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &_previous);
  }
  ~HeldSignals() { sigprocmask(SIG_SETMASK, &_previous, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t _previous;
};

void writeAll(int fd, const char* text) {
  size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t w = ::write(fd, text, left);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    text += w;
    left -= static_cast<size_t>(w);
  }
}

extern "C" void removeTemporariesAndEnd(int signal_number) {
  for (TemporarySlot& slot : temporary_slots)
    if (slot.active) ::unlink(slot.path);
  const char* name = signal_number == SIGINT ? "SIGINT" : signal_number == SIGTERM ? "SIGTERM" : "SIGHUP";
  writeAll(STDERR_FILENO, "\nERROR!!! Execution interrupted by ");
  writeAll(STDERR_FILENO, name);
  writeAll(STDERR_FILENO,
           " ! Output files not complete by then have not been written; earlier files under their names are "
           "kept.\n");
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);  // delivered when the handler returns
}

FatalError cannotCreate(const std::string& name) {
  return FatalError::plain("Error: Cannot create/open file: " + name);
}

FatalError cannotWrite(const std::string& name, const std::string& reason) {
  return FatalError::error("Cannot write file: " + name + " (" + reason +
                           "). The output files of this run have not been written; earlier files under their names "
                           "are kept.");
}

// /proc/<pid>/fd, the directory of a process's open files.
bool isDescriptorDirectory(const fs::path& directory) {
  std::vector<std::string> parts;
  for (const fs::path& part : directory) parts.push_back(part.string());
  return parts.size() == 4 && parts[0] == "/" && parts[1] == "proc" && parts[3] == "fd";
}

// Resolves `name` as resolvedFileName does; `descriptor` tells whether it goes through a
// /proc/<pid>/fd/ link (/dev/stdout, /dev/fd/N), which names an open file of the process.
std::string resolve(const std::string& name, bool& descriptor) {
  descriptor = false;
  std::error_code ec;
  fs::path p = fs::absolute(name, ec);
  if (ec) return name;
  for (int hop = 0; hop < 40; ++hop) {
    fs::path parent = fs::weakly_canonical(p.parent_path(), ec);
    if (ec) parent = p.parent_path().lexically_normal();
    if (isDescriptorDirectory(parent)) descriptor = true;
    p = parent / p.filename();
    if (!fs::is_symlink(fs::symlink_status(p, ec))) return p.string();
    const fs::path target = fs::read_symlink(p, ec);
    if (ec) return p.string();
    p = target.is_absolute() ? target : parent / target;
  }
  return p.string();
}

// An output written directly: a name of an open file of the process, or an existing file that is
// neither regular nor a directory.
bool isDirectOutput(const std::string& name) {
  bool descriptor = false;
  resolve(name, descriptor);
  if (descriptor) return true;
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string resolvedFileName(const std::string& name) {
  bool descriptor = false;
  return resolve(name, descriptor);
}

void checkOutputPlace(const std::string& name) {
  if (isDirectOutput(name)) {
    // Not opened here: opening a FIFO would already be read as its end by the other side.
    if (::access(name.c_str(), W_OK) != 0) throw cannotCreate(name);
    return;
  }
  OutputFile probe(name);  // its temporary file goes with it
}

// Buffered writing to a file descriptor; a failed write is remembered and ends the writing.
class OutputFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(int fd) : _fd(fd) { setp(_data, _data + sizeof _data); }
  bool failed() const { return _failed; }

 protected:
  int_type overflow(int_type c) override {
    if (!_drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return _drain() ? 0 : -1; }

 private:
  bool _drain() {
    const char* p = pbase();
    size_t left = static_cast<size_t>(pptr() - pbase());
    while (left > 0 && !_failed) {
      const ssize_t w = ::write(_fd, p, left);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        _failed = true;
        break;
      }
      p += w;
      left -= static_cast<size_t>(w);
    }
    setp(_data, _data + sizeof _data);
    return !_failed;
  }

  int _fd;
  bool _failed = false;
  char _data[1 << 16];
};

OutputFile::OutputFile(const std::string& name) : _name(name) {
  try {
    if (isDirectOutput(name)) {
      _fd = ::open(name.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
      if (_fd < 0) throw cannotCreate(name);
    } else {
      _target = resolvedFileName(name);
      const fs::path target(_target);
      struct stat st;
      const bool exists = ::stat(_target.c_str(), &st) == 0;
      if (target.filename().empty() || (exists && (S_ISDIR(st.st_mode) || ::access(_target.c_str(), W_OK) != 0)))
        throw cannotCreate(name);
      const std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
      if (pattern.size() >= PATH_MAX) throw cannotCreate(name);
      HeldSignals held;
      for (int i = 0; i < static_cast<int>(std::size(temporary_slots)) && _slot < 0; ++i)
        if (!temporary_slots[i].used) _slot = i;
      if (_slot < 0) throw cannotCreate(name);
      TemporarySlot& slot = temporary_slots[_slot];
      slot.used = true;
      std::memcpy(slot.path, pattern.c_str(), pattern.size() + 1);
      _fd = ::mkostemp(slot.path, O_CLOEXEC);
      if (_fd < 0) throw cannotCreate(name);
      slot.active = 1;
      _temporary = slot.path;
      // The new file gets the permissions of the file it replaces, else those of a new file.
      ::fchmod(_fd, exists ? (st.st_mode & 07777) : newFileMode());
    }
    _buffer.reset(new Buffer(_fd));
    _stream.reset(new std::ostream(_buffer.get()));
  } catch (...) {
    _release();
    throw;
  }
}

OutputFile::~OutputFile() { _release(); }

void OutputFile::_release() noexcept {
  if (_fd >= 0) ::close(_fd);
  _fd = -1;
  if (_slot >= 0) {
    TemporarySlot& slot = temporary_slots[_slot];
    if (slot.active) ::unlink(slot.path);
    slot.active = 0;
    slot.used = false;
    _slot = -1;
  }
}

void OutputFile::finish() {
  _stream->flush();
  bool ok = !_stream->fail() && !_buffer->failed();
  std::string reason = "disk full or file size limit?";
  // Regular files go to disk before they take the place of an earlier result.
  if (ok && !_temporary.empty() && ::fsync(_fd) != 0 && errno != EINVAL) ok = false;
  if (::close(_fd) != 0 && ok) ok = false;
  _fd = -1;
  if (!ok) {
    _release();
    throw cannotWrite(_name, reason);
  }
  _finished = true;
}

void OutputFile::commit() {
  if (!_finished) finish();
  if (_temporary.empty()) return;
  if (::rename(_temporary.c_str(), _target.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    _release();
    throw cannotWrite(_name, reason);
  }
  temporary_slots[_slot].active = 0;  // the name is now the result's
  _release();
}

OutputFile& OutputFiles::create(const std::string& name) {
  _files.reserve(_files.size() + 1);
  _files.push_back(std::make_unique<OutputFile>(name));
  return *_files.back();
}

void OutputFiles::commit() {
  for (auto& file : _files) file->finish();
  HeldSignals held;
  for (auto& file : _files) file->commit();
  _files.clear();
}

SignalGuard::SignalGuard() {
  for (size_t i = 0; i < std::size(kCleanedSignals); ++i) ::sigaction(kCleanedSignals[i], nullptr, &_previous[i]);
  ::sigaction(SIGPIPE, nullptr, &_previous[3]);
  ::sigaction(SIGXFSZ, nullptr, &_previous[4]);
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = removeTemporariesAndEnd;
  sigemptyset(&action.sa_mask);
  for (int s : kCleanedSignals) sigaddset(&action.sa_mask, s);
  for (int s : kCleanedSignals) ::sigaction(s, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

SignalGuard::~SignalGuard() {
  for (size_t i = 0; i < std::size(kCleanedSignals); ++i) ::sigaction(kCleanedSignals[i], &_previous[i], nullptr);
  ::sigaction(SIGPIPE, &_previous[3], nullptr);
  ::sigaction(SIGXFSZ, &_previous[4], nullptr);
}

}  // namespace report
