#include "input/FastaRecordReader.h"

#include <Bpp/Exceptions.h>

#include <cctype>
#include <cstdio>

#include "input/NameSafety.h"

namespace mrv {

namespace {

const int kBlank = -2000;  // skipped in sequence lines

bool isBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string describeByte(unsigned char c) {
  if (c > 0x20 && c < 0x7f) return "letter \"" + std::string(1, static_cast<char>(c)) + "\"";
  char buffer[8];
  std::snprintf(buffer, sizeof(buffer), "0x%02X", static_cast<unsigned int>(c));
  return std::string("byte ") + buffer;
}

}  // namespace

FastaRecordReader::FastaRecordReader(const std::string& path, const bpp::NucleicAlphabet* nucleic)
    : _path(path), _in(path, std::ios::binary) {
  if (!_in) throw bpp::IOException("Cannot open/read alignment file: " + path);
  _letters.fill(kNoLetter);
  for (unsigned char b = 0; b < 0x80; ++b)
    if (isBlank(b)) _letters[b] = kBlank;
  for (int b = 1; b < 0x80; ++b) {
    const std::string letter(1, static_cast<char>(std::toupper(b)));
    if (nucleic->isCharInAlphabet(letter)) _letters[static_cast<size_t>(b)] = nucleic->charToInt(letter);
  }
}

bool FastaRecordReader::next() {
  while (!_has_pending_header) {
    if (!std::getline(_in, _line)) return _finish();
    ++_line_number;
    _take_header();
  }
  _name = _pending_name;
  _has_pending_header = false;
  _nucleotides.clear();
  ++_record_number;
  while (std::getline(_in, _line)) {
    ++_line_number;
    if (_take_header()) break;
    // The line's letters are written in place, past the end, and the length set after.
    size_t length = _nucleotides.size();
    _nucleotides.resize(length + _line.size());
    std::int8_t* out = _nucleotides.data();
    for (char ch : _line) {
      const unsigned char b = static_cast<unsigned char>(ch);
      const int code = _letters[b];
      if (code == kBlank) continue;
      if (code == kNoLetter) {
        _nucleotides.resize(length);
        throw bpp::Exception(where() + ": unknown " + describeByte(b) + " at position " +
                             std::to_string(length + 1) + " of the sequence (line " +
                             std::to_string(_line_number) + " of the file).");
      }
      out[length++] = static_cast<std::int8_t>(code);
    }
    _nucleotides.resize(length);
  }
  _finish();
  return true;
}

std::string FastaRecordReader::where() const {
  return "Alignment file " + _path + ", record " + std::to_string(_record_number) + " (" +
         visibleName(_name) + ")";
}

bool FastaRecordReader::_take_header() {
  if (_line.empty() || _line[0] != '>') return false;
  _pending_name.assign(_line, 1, std::string::npos);
  _has_pending_header = true;
  return true;
}

bool FastaRecordReader::_finish() {
  if (_in.bad()) throw bpp::IOException("Cannot open/read alignment file: " + _path);
  return false;
}

}  // namespace mrv
