#include "input/TripletTable.h"

#include <Bpp/Exceptions.h>

#include <algorithm>
#include <string>

#include "input/CompactContig.h"

namespace mrv {

TripletTable::TripletTable(const bpp::NucleicAlphabet* nucleic, const bpp::CodonAlphabet* codon) {
  int max_code = -1;
  for (size_t i = 0; i < nucleic->getNumberOfStates(); ++i) max_code = std::max(max_code, nucleic->getIntCodeAt(i));
  _side = static_cast<size_t>(max_code) + 2;
  _codes.assign(_side * _side * _side, kNoTriplet);
  for (int a = -1; a <= max_code; ++a)
    for (int b = -1; b <= max_code; ++b)
      for (int c = -1; c <= max_code; ++c) {
        if (!nucleic->isIntInAlphabet(a) || !nucleic->isIntInAlphabet(b) || !nucleic->isIntInAlphabet(c)) continue;
        const int code = codon->charToInt(nucleic->intToChar(a) + nucleic->intToChar(b) + nucleic->intToChar(c));
        const std::int8_t stored = storableCodonCode(code);
        if (stored == kNoTriplet)
          throw bpp::Exception("Codon code reserved for letters outside the alphabet: " + std::to_string(code));
        _codes[_index(a, b, c)] = stored;
      }
}

}  // namespace mrv
