#include "analysis/ResolvedNucleotides.h"

#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

namespace mrv {

ResolvedNucleotides::ResolvedNucleotides(const bpp::NucleicAlphabet* nucleic) {
  for (int code = -128; code <= 127; ++code) {
    bool resolved = false;
    try {
      resolved = !nucleic->isUnresolved(code);
    } catch (const bpp::Exception&) {  // a code outside the alphabet
      resolved = false;
    }
    _resolved[static_cast<uint8_t>(static_cast<int8_t>(code))] = resolved;
  }
}

}  // namespace mrv
