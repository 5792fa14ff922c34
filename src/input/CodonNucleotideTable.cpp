#include "input/CodonNucleotideTable.h"

#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>

namespace mrv {

CodonNucleotideTable::CodonNucleotideTable(const bpp::CodonAlphabet* codon_alphabet,
                                           const bpp::NucleicAlphabet* nucleic_alphabet) {
  for (int codon = FIRST_CODE; codon <= LAST_CODE; ++codon) {
    if (!codon_alphabet->isIntInAlphabet(codon))
      throw bpp::BadIntException(codon, "CodonNucleotideTable: codon code missing from the alphabet",
                                 codon_alphabet);
    Row& row = _rows[static_cast<std::size_t>(codon + 1)];
    for (std::size_t k = 0; k < 3; ++k) {
      const int n = codon_alphabet->getNPosition(codon, k);
      row.nucleotide[k] = static_cast<std::int8_t>(n);
      row.resolved[k] = !nucleic_alphabet->isUnresolved(n);
    }
  }
}

}  // namespace mrv
