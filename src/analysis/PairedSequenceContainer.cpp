#include "analysis/PairedSequenceContainer.h"

#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Sequence.h>
#include <Bpp/Seq/Site.h>

#include <unordered_map>

#include "analysis/CodonSiteStatistics.h"
#include "input/PolymorphismSequenceContainerAddons.h"

namespace mrv {

namespace {

// The part of a name before its last "_", scanning down to the second character; empty when no
// "_" is met there.
std::string prefixBeforeLastUnderscore(const std::string& name) {
  for (size_t p = name.size(); p-- > 1;)
    if (name[p] == '_') return name.substr(0, p);
  return std::string();
}

const size_t NO_PARTNER = static_cast<size_t>(-1);

// The comments a container keeps for sequence i, read where it keeps them: its getComments builds
// the whole sequence first. (A member pointer named through a derived class reads the protected
// member of any container.)
struct StoredComments : bpp::VectorSiteContainer {
  static const bpp::Comments& of(const bpp::VectorSiteContainer& container, size_t i) {
    std::vector<bpp::Comments*> bpp::VectorSiteContainer::*comments = &StoredComments::comments_;
    return *(container.*comments)[i];
  }
};

}  // namespace

bool PairedSequenceContainer::isaPair(std::string name1, std::string name2) {
  const std::string prefix1 = prefixBeforeLastUnderscore(name1);
  if (prefix1.empty()) return false;
  const std::string prefix2 = prefixBeforeLastUnderscore(name2);
  if (prefix2.empty()) return false;
  return prefix1 == prefix2;
}

PairedSequenceContainer::PairedSequenceContainer(bpp::PolymorphismSequenceContainer* source,
                                                 const bpp::CodonAlphabet* codonAlphabet, std::string separator,
                                                 unsigned int nbFields, Workspace* workspace)
    : current_position(0),
      nb_pair(0),
      _codon(codonAlphabet),
      _workspace(workspace),
      _codes_store(workspace),
      _typed_store(workspace) {
  (void)separator;
  (void)nbFields;
  const std::vector<std::string> names = source->getSequencesNames();
  const size_t n = names.size();

  // partner[i]: the first later sequence whose prefix equals that of sequence i (the one isaPair
  // would accept first), found in one backward pass.
  std::vector<size_t> partner(n, NO_PARTNER);
  {
    std::unordered_map<std::string, size_t> nextWithPrefix;
    for (size_t i = n; i-- > 0;) {
      const std::string prefix = prefixBeforeLastUnderscore(names[i]);
      if (prefix.empty()) continue;
      auto found = nextWithPrefix.find(prefix);
      if (found != nextWithPrefix.end()) {
        partner[i] = found->second;
        found->second = i;
      } else {
        nextWithPrefix.emplace(prefix, i);
      }
    }
  }

  std::vector<size_t> rowSequences;
  // Each pair keeps what the source's getSequence would give for its two sequences (name, codes,
  // comments), the codes of all pairs in one block; the sequences are only made when a pair
  // container is asked for.
  const size_t nbSites = source->getNumberOfSites();
  _source_alphabet = source->getAlphabet();
  _nb_source_sites = nbSites;
  _codes.reserve(n * nbSites);
  std::vector<const bpp::Site*> sites(nbSites);
  for (size_t s = 0; s < nbSites; ++s) sites[s] = &source->getSite(s);
  auto keep = [&](size_t sequence, _PairSource& pair, int which) {
    pair.names[which] = names[sequence];
    pair.comments[which] = StoredComments::of(*source, sequence);
    pair.offset[which] = _codes.size();
    for (size_t s = 0; s < nbSites; ++s) _codes.push_back((*sites[s])[sequence]);
  };
  try {
    // Only the later member of the most recent pair is barred from opening a pair.
    std::string lastPairedName;
    for (size_t i = 0; i < n; ++i) {
      if (names[i] == lastPairedName) continue;
      const size_t j = partner[i];
      if (j == NO_PARTNER) continue;
      const unsigned int first = static_cast<unsigned int>(i);
      _PairSource pair;
      pair.fields = PolymorphismSequenceContainerAddons::getNameElementsFromName(names[first], "|", 3);
      pair_names.push_back(PolymorphismSequenceContainerAddons::getIndividualNameFromName(names[first]));
      keep(i, pair, 0);
      keep(j, pair, 1);
      _sources.push_back(std::move(pair));
      pairs.push_back(nullptr);
      rowSequences.push_back(i);
      rowSequences.push_back(j);
      lastPairedName = names[j];
      // A pair the container would refuse (the same name twice, another alphabet) is refused now.
      if (names[i] == names[j] ||
          !sameAlphabetType(source->getAlphabet(), codonAlphabet))
        _container(static_cast<unsigned int>(pairs.size() - 1));
    }
    _rows.reset(
        new NucleotideRows(*source, rowSequences, codonAlphabet, codonAlphabet->getNucleicAlphabet(), _workspace));
    const size_t width = _rows->get_nb_positions();
    const ResolvedNucleotides& resolved = _rows->resolved();
    _typed.resize(pairs.size() * width);
    for (size_t i = 0; i < pairs.size(); ++i) {
      const int8_t* a = _rows->row(2 * i);
      const int8_t* b = _rows->row(2 * i + 1);
      uint8_t* typed = _typed.data() + i * width;
      for (size_t p = 0; p < width; ++p) typed[p] = static_cast<uint8_t>(resolved(a[p]) && resolved(b[p]));
    }
  } catch (...) {
    for (bpp::PolymorphismSequenceContainer* pair : pairs) delete pair;
    throw;
  }
  nb_pair = static_cast<unsigned int>(pairs.size());
}

bpp::PolymorphismSequenceContainer* PairedSequenceContainer::_container(unsigned int i) const {
  if (pairs[i] != nullptr) return pairs[i];
  _PairSource& source = _sources[i];
  std::unique_ptr<bpp::PolymorphismSequenceContainer> pair(new bpp::PolymorphismSequenceContainer(_codon));
  pair->setGeneralComments(source.fields);
  for (int which = 0; which < 2; ++which) {
    const std::vector<int> codes(_codes.begin() + static_cast<std::ptrdiff_t>(source.offset[which]),
                                 _codes.begin() + static_cast<std::ptrdiff_t>(source.offset[which] + _nb_source_sites));
    pair->addSequenceWithFrequency(bpp::BasicSequence(source.names[which], codes, source.comments[which], _source_alphabet),
                                   1, true);
  }
  pairs[i] = pair.release();
  source.comments[0].clear();
  source.comments[1].clear();
  return pairs[i];
}

PairedSequenceContainer::~PairedSequenceContainer() {
  for (bpp::PolymorphismSequenceContainer* pair : pairs) delete pair;
}

bpp::PolymorphismSequenceContainer* PairedSequenceContainer::get_pair(unsigned int i) const {
  if (i >= nb_pair) throw bpp::Exception("Requested pair doesn't exist the container");
  return _container(i);
}

const std::string& PairedSequenceContainer::get_pair_name(unsigned int i) const {
  if (i >= nb_pair) throw bpp::Exception("Requested pair doesn't exist the container");
  return pair_names[i];
}

bpp::PolymorphismSequenceContainer* PairedSequenceContainer::next_pair() {
  if (current_position >= nb_pair) throw bpp::Exception("There is no more pair in the container");
  bpp::PolymorphismSequenceContainer* pair = _container(current_position);
  current_position += 1;
  return pair;
}

const ResolvedNucleotides& PairedSequenceContainer::resolved_for(const bpp::NucleicAlphabet* nucleic) const {
  if (nucleic == _rows->get_nucleic_alphabet()) return _rows->resolved();
  if (!_other_resolved || _other_nucleic != nucleic) {
    _other_resolved.reset(new ResolvedNucleotides(nucleic));
    _other_nucleic = nucleic;
  }
  return *_other_resolved;
}

}  // namespace mrv
