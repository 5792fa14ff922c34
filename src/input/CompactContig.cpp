#include "input/CompactContig.h"

#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Site.h>

#include <memory>
#include <utility>

namespace mrv {

namespace {

std::int8_t byteOf(int code) {
  if (code < -128 || code > 127) throw bpp::Exception("Codon code out of the storable range: " + std::to_string(code));
  return static_cast<std::int8_t>(code);
}

}  // namespace

CompactContig::CompactContig(const bpp::PolymorphismSequenceContainer& container)
    : _names(container.getSequencesNames()), _nb_sites(container.getNumberOfSites()) {
  const size_t n = _names.size();
  _codons.resize(n * _nb_sites);
  for (size_t p = 0; p < _nb_sites; ++p) {
    const bpp::Site& site = container.getSite(p);
    for (size_t i = 0; i < n; ++i) _codons[i * _nb_sites + p] = byteOf(site[i]);
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

CompactContig::CompactContig(std::vector<std::string> names, const std::vector<int>& codons, size_t nb_sites)
    : _names(std::move(names)), _nb_sites(nb_sites) {
  _codons.reserve(codons.size());
  for (int code : codons) _codons.push_back(byteOf(code));
  _counts.assign(_names.size(), 1);
  _groups.assign(_names.size(), 1);
  _ingroup.assign(_names.size(), 1);
}

bpp::PolymorphismSequenceContainer* CompactContig::container(const bpp::CodonAlphabet* codon_alphabet) const {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> container(
      new bpp::PolymorphismSequenceContainer(_names, codon_alphabet));
  const size_t n = _names.size();
  // One site object is filled in place and copied into the container site after site; the codes of
  // the alphabet are looked up once, and a site holding another code is made (and refused) by the
  // library itself.
  bool accepted[256];
  for (int code = -128; code <= 127; ++code)
    accepted[static_cast<std::uint8_t>(code)] = codon_alphabet->isIntInAlphabet(code);
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
      column.reset(new bpp::Site(codes, codon_alphabet, static_cast<int>(p + 1)));
    }
    container->addSite(*column, false);
  }
  setSequenceAttributes(*container, _counts, _groups, _ingroup);
  return container.release();
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
