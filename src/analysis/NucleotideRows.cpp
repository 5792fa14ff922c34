#include "analysis/NucleotideRows.h"

#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <string>

#include "input/CodonNucleotideTable.h"

namespace mrv {

namespace {

int8_t narrowNucleotide(int code) {
  if (code < -128 || code > 127)
    throw bpp::Exception("Nucleotide code out of the decodable range: " + std::to_string(code));
  return static_cast<int8_t>(code);
}

}  // namespace

NucleotideRows::NucleotideRows(const int* codes, size_t nb_sequences, size_t nb_sites,
                               const bpp::CodonAlphabet* codon, const bpp::NucleicAlphabet* nucleic,
                               Workspace* workspace)
    : _nucleic(nucleic), _resolved(nucleic), _nb_rows(nb_sequences), _nb_sites(nb_sites), _codes_store(workspace) {
  _codes.assign(_nb_rows * get_nb_positions(), 0);
  if (_nb_rows == 0 || _nb_sites == 0) return;
  _decodeSites(codes, codon);
}

void NucleotideRows::_decodeSites(const int* codes, const bpp::CodonAlphabet* codon) {
  const size_t width = get_nb_positions();
  const CodonNucleotideTable table(codon, _nucleic);
  for (size_t s = 0; s < _nb_sites; ++s) {
    const int* site = codes + s * _nb_rows;
    int8_t* out = _codes.data() + 3 * s;
    for (size_t r = 0; r < _nb_rows; ++r, out += width) {
      const int c = site[r];
      if (CodonNucleotideTable::covers(c)) {
        out[0] = static_cast<int8_t>(table.nucleotide(c, 0));
        out[1] = static_cast<int8_t>(table.nucleotide(c, 1));
        out[2] = static_cast<int8_t>(table.nucleotide(c, 2));
      } else {  // not a codon of the alphabet: the alphabet answers (or raises) itself
        for (unsigned int k = 0; k < 3; ++k) out[k] = narrowNucleotide(codon->getNPosition(c, k));
      }
    }
  }
}

}  // namespace mrv
