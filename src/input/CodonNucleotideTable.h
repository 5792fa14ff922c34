#pragma once
// The three nucleotides of every codon code, read once from the codon alphabet, so that loops
// over the sites of a contig read a table instead of the alphabet's letter look-ups.
//
// For codon code c (-1 to 65) and position k (0 to 2): nucleotide(c, k) is the codon alphabet's
// getNPosition(c, k), and isResolved(c, k) is true when the nucleic alphabet does not call it
// unresolved, that is for A, C, G, T (0 to 3) and for the gap (-1).
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <array>
#include <cstddef>
#include <cstdint>

namespace mrv {

class CodonNucleotideTable {
 public:
  static const int FIRST_CODE = -1;
  static const int LAST_CODE = 65;

  // Throws bpp::BadIntException when the codon alphabet lacks a code of -1 to 65.
  CodonNucleotideTable(const bpp::CodonAlphabet* codon_alphabet,
                       const bpp::NucleicAlphabet* nucleic_alphabet);
  virtual ~CodonNucleotideTable() {}

  // True for the codes the table holds (-1 to 65); the other accessors require one of them.
  static bool covers(int codon) { return codon >= FIRST_CODE && codon <= LAST_CODE; }

  int nucleotide(int codon, std::size_t position) const {
    return _rows[static_cast<std::size_t>(codon + 1)].nucleotide[position];
  }
  bool isResolved(int codon, std::size_t position) const {
    return _rows[static_cast<std::size_t>(codon + 1)].resolved[position];
  }

 private:
  struct Row {
    std::int8_t nucleotide[3];
    bool resolved[3];
  };
  std::array<Row, LAST_CODE - FIRST_CODE + 1> _rows;
};

}  // namespace mrv
