#pragma once
// The records of a FASTA alignment file, read one at a time as nucleotide codes.
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace mrv {

// The records of a FASTA file, one at a time: a record is a header line beginning with ">"
// (the rest of the line is the sequence name) and the lines up to the next header; blanks in
// sequence lines are ignored and letters are read in either case. Lines before the first header
// are ignored.
class FastaRecordReader {
 public:
  // A code that no letter of the alphabet has.
  static constexpr int kNoLetter = -1000;

  // Throws bpp::IOException "Cannot open/read alignment file: " + path when the file cannot be opened.
  FastaRecordReader(const std::string& path, const bpp::NucleicAlphabet* nucleic);

  // Reads the next record; false when the file has no more. Throws bpp::Exception for a letter
  // outside the alphabet (naming the record, the position and the line), bpp::IOException when
  // the file cannot be read.
  bool next();

  const std::string& name() const { return _name; }
  // The record's sequence as nucleotide codes of the alphabet.
  const std::vector<std::int8_t>& nucleotides() const { return _nucleotides; }
  // Number of the record last read, counted from 1.
  size_t recordNumber() const { return _record_number; }
  // "Alignment file <path>, record <n> (<name>)", the start of every message about a record; tabs
  // and line ends of the name are shown as \t, \r and \n.
  std::string where() const;

 private:
  bool _take_header();
  bool _finish();

  std::string _path;
  std::ifstream _in;
  std::array<int, 256> _letters;  // code of every byte: a nucleotide, kNoLetter or a blank
  std::string _line;
  std::string _pending_name;
  bool _has_pending_header = false;
  std::string _name;
  std::vector<std::int8_t> _nucleotides;
  size_t _record_number = 0;
  size_t _line_number = 0;
};

}  // namespace mrv
