#include "report/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <streambuf>

#include "report/OutputFileNames.h"
#include "report/TemporaryFiles.h"
#include "core/FatalError.h"

namespace report {

namespace fs = std::filesystem;

namespace {

FatalError cannotCreate(const std::string& name) {
  return FatalError::plain("Error: Cannot create/open file: " + name);
}

FatalError cannotWrite(const std::string& name, const std::string& reason) {
  return FatalError::error("Cannot write file: " + name + " (" + reason +
                           "). The output files of this run have not been written; earlier files under their names "
                           "are kept.");
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

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
      _slot = createTemporaryFile(pattern, _fd);
      if (_slot < 0) throw cannotCreate(name);
      _temporary = temporaryFilePath(_slot);
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
    releaseTemporaryFile(_slot);
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
  keepTemporaryFile(_slot);  // the name is now the result's
  _release();
}

}  // namespace report
