#pragma once
// The codon code of every triplet of nucleotide codes.
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mrv {

// Codon code of every triplet of nucleotide codes, worked out once as the codon alphabet reads the
// triplet's letters: the same codes as writing a sequence in letters and reading it back in words.
class TripletTable {
 public:
  // Throws bpp::Exception when the codon alphabet gives a code that does not fit in one byte.
  TripletTable(const bpp::NucleicAlphabet* nucleic, const bpp::CodonAlphabet* codon);

  // The codon code of three nucleotide codes of the alphabet, as one byte.
  std::int8_t codon(int a, int b, int c) const { return _codes[_index(a, b, c)]; }

 private:
  size_t _index(int a, int b, int c) const {
    return (static_cast<size_t>(a + 1) * _side + static_cast<size_t>(b + 1)) * _side +
           static_cast<size_t>(c + 1);
  }
  static constexpr std::int8_t kNoTriplet = -128;  // letters outside the alphabet: never read
  size_t _side;  // number of nucleotide codes, from -1 to the largest
  std::vector<std::int8_t> _codes;
};

}  // namespace mrv
