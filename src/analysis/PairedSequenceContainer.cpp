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

// The comments a container keeps for sequence i, read where it keeps them: its getComments builds
// the whole sequence first. (A member pointer named through a derived class reads the protected
// member of any container.)
struct StoredComments : bpp::VectorSiteContainer {
  static const bpp::Comments& of(const bpp::VectorSiteContainer& container, size_t i) {
    std::vector<bpp::Comments*> bpp::VectorSiteContainer::*comments = &StoredComments::comments_;
    return *(container.*comments)[i];
  }
};

// Refuses a pair index past the last pair.
void requireExistingPair(unsigned int i, unsigned int nb_pair) {
  if (i >= nb_pair) throw bpp::Exception("Requested pair doesn't exist the container");
}

}  // namespace

std::string PairedSequenceContainer::_allelePrefix(const std::string& name) {
  for (size_t p = name.size(); p-- > 1;)
    if (name[p] == '_') return name.substr(0, p);
  return std::string();
}

bool PairedSequenceContainer::isaPair(std::string name1, std::string name2) {
  const std::string prefix1 = _allelePrefix(name1);
  if (prefix1.empty()) return false;
  const std::string prefix2 = _allelePrefix(name2);
  if (prefix2.empty()) return false;
  return prefix1 == prefix2;
}

std::vector<std::array<size_t, 2> > PairedSequenceContainer::formPairs(const std::vector<std::string>& names) {
  const size_t n = names.size();
  const size_t none = static_cast<size_t>(-1);
  // partner[i]: the first later sequence that isaPair accepts with sequence i, that is the first later
  // one of the same non-empty prefix, found in one backward pass.
  std::vector<size_t> partner(n, none);
  {
    std::unordered_map<std::string, size_t> next_with_prefix;
    for (size_t i = n; i-- > 0;) {
      std::string prefix = _allelePrefix(names[i]);
      if (prefix.empty()) continue;
      auto found = next_with_prefix.find(prefix);
      if (found != next_with_prefix.end()) {
        partner[i] = found->second;
        found->second = i;
      } else {
        next_with_prefix.emplace(std::move(prefix), i);
      }
    }
  }
  // Only the later member of the most recent pair is barred from opening a pair.
  std::vector<std::array<size_t, 2> > pairs;
  const std::string empty;
  const std::string* last_paired = &empty;
  for (size_t i = 0; i < n; ++i) {
    if (names[i] == *last_paired) continue;
    if (partner[i] == none) continue;
    pairs.push_back({i, partner[i]});
    last_paired = &names[partner[i]];
  }
  return pairs;
}

PairedSequenceContainer::PairedSequenceContainer(bpp::PolymorphismSequenceContainer* source,
                                                 const bpp::CodonAlphabet* codonAlphabet, std::string separator,
                                                 unsigned int nbFields, Workspace* workspace)
    : _current_position(0), _nb_pair(0), _codon(codonAlphabet), _view(nullptr), _typed_store(workspace) {
  (void)separator;
  (void)nbFields;
  _own_view.reset(new ContigView(*source, codonAlphabet, codonAlphabet->getNucleicAlphabet(), nullptr, false));
  _view = _own_view.get();
  _comments.resize(_view->nb_rows());
  for (size_t i = 0; i < _comments.size(); ++i) _comments[i] = StoredComments::of(*source, i);
  _form();
}

PairedSequenceContainer::PairedSequenceContainer(const ContigView& view, Workspace* workspace)
    : _current_position(0), _nb_pair(0), _codon(view.codon_alphabet()), _view(&view), _typed_store(workspace) {
  _form();
}

void PairedSequenceContainer::_form() {
  const std::vector<std::string>& names = _view->names();
  _rows = formPairs(names);
  _pair_names.reserve(_rows.size());
  for (const std::array<size_t, 2>& rows : _rows)
    _pair_names.push_back(PolymorphismSequenceContainerAddons::getIndividualNameFromName(names[rows[0]]));
  _pairs.assign(_rows.size(), nullptr);
  try {
    // A pair no container can hold (the same name twice, another alphabet) is refused now.
    for (size_t i = 0; i < _pairs.size(); ++i) {
      const std::array<size_t, 2>& rows = _rows[i];
      if (names[rows[0]] == names[rows[1]] || !sameAlphabetType(_view->alphabet(), _codon))
        _container(static_cast<unsigned int>(i));
    }
    const NucleotideRows& rows = _view->nucleotides();
    const size_t width = rows.get_nb_positions();
    const ResolvedNucleotides& resolved = resolved_for(_codon->getNucleicAlphabet());
    _typed.resize(_pairs.size() * width);
    for (size_t i = 0; i < _pairs.size(); ++i) {
      const int8_t* a = rows.row(_rows[i][0]);
      const int8_t* b = rows.row(_rows[i][1]);
      uint8_t* typed = _typed.data() + i * width;
      for (size_t p = 0; p < width; ++p) typed[p] = static_cast<uint8_t>(resolved(a[p]) && resolved(b[p]));
    }
  } catch (...) {
    for (bpp::PolymorphismSequenceContainer* pair : _pairs) delete pair;
    throw;
  }
  _nb_pair = static_cast<unsigned int>(_pairs.size());
}

bpp::PolymorphismSequenceContainer* PairedSequenceContainer::_container(unsigned int i) const {
  if (_pairs[i] != nullptr) return _pairs[i];
  const std::array<size_t, 2>& rows = _rows[i];
  const std::vector<std::string>& names = _view->names();
  std::unique_ptr<bpp::PolymorphismSequenceContainer> pair(new bpp::PolymorphismSequenceContainer(_codon));
  pair->setGeneralComments(PolymorphismSequenceContainerAddons::getNameElementsFromName(names[rows[0]], "|", 3));
  for (int which = 0; which < 2; ++which) {
    const size_t row = rows[which];
    std::vector<int> codes(_view->nb_sites());
    for (size_t s = 0; s < codes.size(); ++s) codes[s] = _view->code(row, s);
    const std::vector<std::string> none;
    pair->addSequenceWithFrequency(
        bpp::BasicSequence(names[row], codes, _comments.empty() ? none : _comments[row], _view->alphabet()), 1, true);
  }
  _pairs[i] = pair.release();
  return _pairs[i];
}

PairedSequenceContainer::~PairedSequenceContainer() {
  for (bpp::PolymorphismSequenceContainer* pair : _pairs) delete pair;
}

bpp::PolymorphismSequenceContainer* PairedSequenceContainer::get_pair(unsigned int i) const {
  requireExistingPair(i, _nb_pair);
  return _container(i);
}

const std::string& PairedSequenceContainer::get_pair_name(unsigned int i) const {
  requireExistingPair(i, _nb_pair);
  return _pair_names[i];
}

bpp::PolymorphismSequenceContainer* PairedSequenceContainer::next_pair() {
  if (_current_position >= _nb_pair) throw bpp::Exception("There is no more pair in the container");
  bpp::PolymorphismSequenceContainer* pair = _container(_current_position);
  _current_position += 1;
  return pair;
}

const ResolvedNucleotides& PairedSequenceContainer::resolved_for(const bpp::NucleicAlphabet* nucleic) const {
  if (nucleic == _view->nucleotides().get_nucleic_alphabet()) return _view->nucleotides().resolved();
  if (!_other_resolved || _other_nucleic != nucleic) {
    _other_resolved.reset(new ResolvedNucleotides(nucleic));
    _other_nucleic = nucleic;
  }
  return *_other_resolved;
}

}  // namespace mrv
