#pragma once
// One contig kept between reading, cleaning and analysis: its sequence names, one byte per codon
// and what the container says of each sequence (count, group, ingroup flag). A container of the
// library costs an int per codon and an object per site; the run keeps every contig from reading
// to analysis, so its memory follows these bytes, and a container is made for one contig at a
// time, when a step needs it. The cleaning works on this form in place.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bpp {
class Alphabet;
class PolymorphismSequenceContainer;
}  // namespace bpp

namespace mrv {

class CompactContig {
 public:
  CompactContig() = default;
  // The sequences of `container`, as they are (codon codes must be storable, which every code of the
  // program's codon alphabet is).
  explicit CompactContig(const bpp::PolymorphismSequenceContainer& container);
  // Every part given: rows of `nb_sites` codes in one block, and per sequence its count, group id
  // and ingroup flag.
  CompactContig(std::vector<std::string> names, std::vector<std::int8_t> codons, size_t nb_sites,
                std::vector<unsigned int> counts, std::vector<unsigned int> groups, std::vector<char> ingroup)
      : _names(std::move(names)),
        _codons(std::move(codons)),
        _nb_sites(nb_sites),
        _counts(std::move(counts)),
        _groups(std::move(groups)),
        _ingroup(std::move(ingroup)) {}

  // A new container of `alphabet` holding these sequences, site by site (sites numbered from 1),
  // with their counts, groups and ingroup flags. A code the alphabet does not hold raises the
  // library's bpp::BadIntException.
  bpp::PolymorphismSequenceContainer* container(const bpp::Alphabet* alphabet) const;

  const std::vector<std::string>& names() const { return _names; }
  size_t nb_sequences() const { return _names.size(); }
  size_t nb_sites() const { return _nb_sites; }
  // The codon codes of sequence i, nb_sites() of them.
  const std::int8_t* row(size_t i) const { return _codons.data() + i * _nb_sites; }
  const std::vector<unsigned int>& counts() const { return _counts; }
  const std::vector<unsigned int>& groups() const { return _groups; }
  const std::vector<char>& ingroup() const { return _ingroup; }

  // Sets the group id and the ingroup flag of sequence i.
  void set_tag(size_t i, unsigned int group, bool ingroup) {
    _groups[i] = group;
    _ingroup[i] = ingroup;
  }
  // Writes `code` at site p of every sequence.
  void set_column(size_t p, std::int8_t code);
  // Removes every sequence i with gone[i] set (one flag per sequence), the others kept in order.
  void remove_sequences(const std::vector<char>& gone);
  // Removes every site p with gone[p] set (one flag per site), the others kept in order.
  void remove_sites(const std::vector<char>& gone);

 private:
  std::vector<std::string> _names;
  std::vector<std::int8_t> _codons;  // row i: the codons of sequence i
  size_t _nb_sites = 0;
  std::vector<unsigned int> _counts;
  std::vector<unsigned int> _groups;
  std::vector<char> _ingroup;
};

// A codon code as a compact contig stores it: one byte. A code outside -128..127 throws bpp::Exception.
std::int8_t storableCodonCode(int code);

// Gives sequence i of `container` its count, group id and ingroup flag.
void setSequenceAttributes(bpp::PolymorphismSequenceContainer& container, const std::vector<unsigned int>& counts,
                           const std::vector<unsigned int>& groups, const std::vector<char>& ingroup);

}  // namespace mrv
