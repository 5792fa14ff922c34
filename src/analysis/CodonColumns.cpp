#include "analysis/CodonColumns.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/Alphabet.h>
#include <Bpp/Seq/Sequence.h>
#include <Bpp/Seq/Site.h>

#include <algorithm>

namespace mrv {

CodonColumns::CodonColumns(size_t nb_sequences, const bpp::Alphabet* alphabet, Workspace* workspace)
    : _usable(false),
      _nb_sequences(nb_sequences),
      _alphabet(alphabet),
      _sites_store(workspace),
      _owned_store(workspace),
      _complete_store(workspace),
      _nb_complete(0) {}

CodonColumns::CodonColumns(const bpp::PolymorphismSequenceContainer& container, Workspace* workspace)
    : CodonColumns(container.getNumberOfSequences(), container.getAlphabet(), workspace) {
  const size_t nb_sites = container.getNumberOfSites();
  _sites.resize(nb_sites);
  for (size_t s = 0; s < nb_sites; ++s) {
    const bpp::Site& site = container.getSite(s);
    if (site.size() != _nb_sequences) {  // not a well-formed alignment: leave it to the library
      _sites.clear();
      return;
    }
    // The site's codes are one contiguous vector.
    _sites[s] = _nb_sequences > 0 ? &site[0] : nullptr;
  }
  _usable = true;
  _classify();
}

CodonColumns::CodonColumns(const std::vector<const bpp::Sequence*>& sequences, const bpp::Alphabet* alphabet,
                           Workspace* workspace)
    : CodonColumns(sequences.size(), alphabet, workspace) {
  if (sequences.empty()) return;
  const size_t nb_sites = sequences[0]->size();
  for (const bpp::Sequence* sequence : sequences)
    if (sequence->size() != nb_sites || !sameAlphabetType(sequence->getAlphabet(), alphabet)) return;
  _owned.resize(nb_sites * _nb_sequences);
  _sites.resize(nb_sites);
  for (size_t q = 0; q < _nb_sequences; ++q) {
    const bpp::Sequence& sequence = *sequences[q];
    for (size_t s = 0; s < nb_sites; ++s) _owned[s * _nb_sequences + q] = sequence[s];
  }
  for (size_t s = 0; s < nb_sites; ++s) _sites[s] = _owned.data() + s * _nb_sequences;
  _usable = true;
  _classify();
}

CodonColumns::CodonColumns(const int* codes, size_t nb_sequences, size_t nb_sites, const bpp::Alphabet* alphabet,
                           Workspace* workspace)
    : CodonColumns(nb_sequences, alphabet, workspace) {
  _sites.resize(nb_sites);
  for (size_t s = 0; s < nb_sites; ++s) _sites[s] = nb_sequences > 0 ? codes + s * nb_sequences : nullptr;
  _usable = true;
  _classify();
}

void CodonColumns::_classify() {
  // Codes -1 to 126 are looked up once in the alphabet; any other code is asked directly.
  const int kLast = 126;
  signed char known[kLast + 2];
  for (int c = -1; c <= kLast; ++c) known[c + 1] = -1;
  auto incomplete = [&](int c) -> bool {
    if (c < -1 || c > kLast) return _alphabet->isGap(c) || _alphabet->isUnresolved(c);
    signed char& k = known[c + 1];
    if (k < 0) k = static_cast<signed char>(_alphabet->isGap(c) || _alphabet->isUnresolved(c));
    return k != 0;
  };
  _complete.assign(_sites.size(), 1);
  _nb_complete = 0;
  for (size_t s = 0; s < _sites.size(); ++s) {
    const int* codes = _sites[s];
    for (size_t q = 0; q < _nb_sequences; ++q) {
      if (incomplete(codes[q])) {
        _complete[s] = 0;
        break;
      }
    }
    _nb_complete += static_cast<size_t>(_complete[s]);
  }
}
bool sameAlphabetType(const bpp::Alphabet* a, const bpp::Alphabet* b) {
  return a == b || a->getAlphabetType() == b->getAlphabetType();
}

}  // namespace mrv
