#pragma once
// What the cleaning asks of each codon code, looked up once in the codon alphabet so that loops over
// the codes of a contig read a table: whether a container of the alphabet can hold the code, whether
// it is a stop or frameshift codon (a "bad codon": its name is "Stop" or "FrameShift"), whether it is
// a gap or unresolved, and its name. Codes are those a CompactContig holds (-128..127).
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace mrv {

class CompactContig;

class CodonCodeFacts {
 public:
  // Throws bpp::Exception when the alphabet's unknown character code does not fit in one byte.
  explicit CodonCodeFacts(const bpp::CodonAlphabet* alphabet);
  virtual ~CodonCodeFacts() {}

  // A code the alphabet does not hold is neither bad nor gap-or-unresolved, and has an empty name.
  bool isKnown(std::int8_t code) const { return _known[_at(code)] != 0; }
  bool isBad(std::int8_t code) const { return _bad[_at(code)] != 0; }
  bool isGapOrUnresolved(std::int8_t code) const { return _gap_or_unresolved[_at(code)] != 0; }
  const std::string& name(std::int8_t code) const { return _names[_at(code)]; }
  // The unresolved codon "NNN" (the alphabet's unknown character code).
  std::int8_t unknownCode() const { return _unknown_code; }

  // Throws the bpp::BadIntException that a container of the alphabet raises for the first code of
  // `contig` it cannot hold (site after site, sequences in order within a site); returns when it
  // can hold them all.
  void requireKnownCodes(const CompactContig& contig) const;

 private:
  static size_t _at(std::int8_t code) { return static_cast<std::uint8_t>(code); }

  const bpp::CodonAlphabet* _alphabet;
  std::array<char, 256> _known{}, _bad{}, _gap_or_unresolved{};  // indexed by the code's byte
  std::array<std::string, 256> _names;
  std::int8_t _unknown_code;
};

}  // namespace mrv
