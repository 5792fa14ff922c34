#include "input/CompactContig.h"

#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/Alphabet.h>
#include <Bpp/Seq/Site.h>

#include <algorithm>
#include <memory>
#include <utility>

namespace mrv {

std::int8_t storableCodonCode(int code) {
  if (code < -128 || code > 127) throw bpp::Exception("Codon code out of the storable range: " + std::to_string(code));
  return static_cast<std::int8_t>(code);
}

CompactContig::CompactContig(const bpp::PolymorphismSequenceContainer& container)
    : _names(container.getSequencesNames()), _nb_sites(container.getNumberOfSites()) {
  const size_t n = _names.size();
  _codons.resize(n * _nb_sites);
  for (size_t p = 0; p < _nb_sites; ++p) {
    const bpp::Site& site = container.getSite(p);
    for (size_t i = 0; i < n; ++i) _codons[i * _nb_sites + p] = storableCodonCode(site[i]);
  }
  _counts.resize(n);
  _groups.resize(n);
  _ingroup.resize(n);
  for (size_t i = 0; i < n; ++i) {
    _counts[i] = container.getSequenceCount(i);
    _groups[i] = container.getGroupId(i);
    _ingroup[i] = container.isIngroupMember(i);
  }
}

bpp::PolymorphismSequenceContainer* CompactContig::container(const bpp::Alphabet* alphabet) const {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> container(
      new bpp::PolymorphismSequenceContainer(_names, alphabet));
  const size_t n = _names.size();
  // One site object is filled in place and copied into the container site after site; the codes of
  // the alphabet are looked up once, and a site holding another code is made (and refused) by the
  // library itself.
  bool accepted[256];
  for (int code = -128; code <= 127; ++code)
    accepted[static_cast<std::uint8_t>(code)] = alphabet->isIntInAlphabet(code);
  std::vector<int> codes(n);
  std::unique_ptr<bpp::Site> column;
  for (size_t p = 0; p < _nb_sites; ++p) {
    bool known = column != nullptr;
    for (size_t i = 0; i < n; ++i) {
      codes[i] = _codons[i * _nb_sites + p];
      known = known && accepted[static_cast<std::uint8_t>(codes[i])];
    }
    if (known) {
      for (size_t i = 0; i < n; ++i) (*column)[i] = codes[i];
      column->setPosition(static_cast<int>(p + 1));
    } else {
      column.reset(new bpp::Site(codes, alphabet, static_cast<int>(p + 1)));
    }
    container->addSite(*column, false);
  }
  setSequenceAttributes(*container, _counts, _groups, _ingroup);
  return container.release();
}

void CompactContig::set_column(size_t p, std::int8_t code) {
  for (size_t i = 0; i < _names.size(); ++i) _codons[i * _nb_sites + p] = code;
}

void CompactContig::remove_sequences(const std::vector<char>& gone) {
  size_t to = 0;
  for (size_t i = 0; i < _names.size(); ++i) {
    if (gone[i]) continue;
    if (to != i) {  // rows move towards the front only: a row is read before anything is written over it
      _names[to] = std::move(_names[i]);
      std::copy(row(i), row(i) + _nb_sites, _codons.begin() + static_cast<std::ptrdiff_t>(to * _nb_sites));
      _counts[to] = _counts[i];
      _groups[to] = _groups[i];
      _ingroup[to] = _ingroup[i];
    }
    ++to;
  }
  _names.resize(to);
  _codons.resize(to * _nb_sites);
  _counts.resize(to);
  _groups.resize(to);
  _ingroup.resize(to);
}

void CompactContig::remove_sites(const std::vector<char>& gone) {
  const size_t kept = static_cast<size_t>(std::count(gone.begin(), gone.end(), 0));
  if (kept == _nb_sites) return;
  // The kept codes move towards the front of the block, never past one not yet read.
  size_t to = 0;
  for (size_t i = 0; i < _names.size(); ++i) {
    const size_t from = i * _nb_sites;
    for (size_t p = 0; p < _nb_sites; ++p)
      if (!gone[p]) _codons[to++] = _codons[from + p];
  }
  _codons.resize(to);
  _nb_sites = kept;
}

void setSequenceAttributes(bpp::PolymorphismSequenceContainer& container, const std::vector<unsigned int>& counts,
                           const std::vector<unsigned int>& groups, const std::vector<char>& ingroup) {
  for (size_t i = 0; i < counts.size(); ++i) {
    container.setSequenceCount(i, counts[i]);
    if (ingroup[i])
      container.setAsIngroupMember(i);
    else
      container.setAsOutgroupMember(i);
    container.setGroupId(i, groups[i]);
  }
}

}  // namespace mrv
