#include "input/CodonCodeFacts.h"

#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Site.h>

#include <vector>

#include "input/CompactContig.h"
#include "input/FrameshiftCodonAlphabet.h"

namespace mrv {

CodonCodeFacts::CodonCodeFacts(const bpp::CodonAlphabet* alphabet) : _alphabet(alphabet) {
  for (int code = -128; code <= 127; ++code) {
    const size_t b = _at(static_cast<std::int8_t>(code));
    if (!alphabet->isIntInAlphabet(code)) continue;
    _known[b] = 1;
    _names[b] = alphabet->getName(alphabet->intToChar(code));
    _bad[b] = _names[b] == FrameshiftCodonAlphabet::STOP || _names[b] == FrameshiftCodonAlphabet::FRAMESHIFT;
    _gap_or_unresolved[b] = alphabet->isGap(code) || alphabet->isUnresolved(code);
  }
  _unknown_code = storableCodonCode(alphabet->getUnknownCharacterCode());
}

void CodonCodeFacts::requireKnownCodes(const CompactContig& contig) const {
  const size_t n = contig.nb_sequences(), sites = contig.nb_sites();
  bool all_known = true;
  for (size_t i = 0; i < n; ++i) {
    const std::int8_t* row = contig.row(i);
    for (size_t p = 0; p < sites; ++p) all_known &= isKnown(row[p]);
  }
  if (all_known) return;
  std::vector<int> column(n);
  for (size_t p = 0; p < sites; ++p) {
    bool known = true;
    for (size_t i = 0; i < n; ++i) {
      column[i] = contig.row(i)[p];
      known = known && isKnown(contig.row(i)[p]);
    }
    // The site a container would be made of: the library refuses the code with its own exception.
    if (!known) bpp::Site(column, _alphabet, static_cast<int>(p + 1));
  }
}

}  // namespace mrv
