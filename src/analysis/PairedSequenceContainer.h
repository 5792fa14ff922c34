#pragma once
// The allele pairs of one contig: two sequences whose names agree up to their last "_" are the two
// allele sequences of one diploid individual, copied together into a two-sequence container.
// Every per-individual statistic of a contig works on these pairs, in the order they are formed,
// each named by the individual field of its first sequence.
//
// The pairs are formed here, from the names of the rows of the contig's view (ContigView), whose
// decoded nucleotides the statistics read instead of the codon alphabet. The statistics need no pair
// container, so each container is only put together from the view's codes when it is first asked for
// (get_pair, next_pair).
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "analysis/ContigView.h"
#include "analysis/NucleotideRows.h"
#include "analysis/Workspace.h"

namespace bpp {
class Alphabet;
class CodonAlphabet;
class NucleicAlphabet;
class PolymorphismSequenceContainer;
class Sequence;
}  // namespace bpp

namespace mrv {

class PairedSequenceContainer {
 public:
  // Forms every pair of `source` (which is neither changed nor kept). The separator and the field
  // count are accepted for the callers' sake: pairs always carry the first three "|"-fields of
  // their first sequence's name as general comments. The decoded arrays are leased from the
  // workspace given (the run's), which must outlive the object, or owned without one.
  PairedSequenceContainer(bpp::PolymorphismSequenceContainer* source, const bpp::CodonAlphabet* codonAlphabet,
                          std::string separator, unsigned int nbFields, Workspace* workspace = nullptr);
  // The pairs of a contig's view, which must outlive the object; pair containers carry no comments.
  explicit PairedSequenceContainer(const ContigView& view, Workspace* workspace = nullptr);
  // Deletes the pair containers and sequence copies.
  virtual ~PairedSequenceContainer();
  PairedSequenceContainer(const PairedSequenceContainer&) = delete;
  PairedSequenceContainer& operator=(const PairedSequenceContainer&) = delete;

  // The pairing rule: true when both names have a non-empty part before their last "_" (the first
  // character is never taken as that "_") and the two parts are equal.
  static bool isaPair(std::string name1, std::string name2);
  // The pairs of the sequences named `names`, as indices into `names`, in the order they are formed:
  // each sequence pairs with the first later one that isaPair accepts, except the later member of the
  // pair formed last, which opens no pair. Linear in the number of names.
  static std::vector<std::array<size_t, 2> > formPairs(const std::vector<std::string>& names);

  unsigned int get_nb_pair() const { return _nb_pair; }
  // Pair i, still owned by this object; raises bpp::Exception for i >= get_nb_pair().
  bpp::PolymorphismSequenceContainer* get_pair(unsigned int i) const;
  std::vector<std::string> get_pair_names() const { return _pair_names; }
  // Name of pair i without copying the whole list; raises like get_pair.
  const std::string& get_pair_name(unsigned int i) const;
  // The pair at the current position, which then moves on; raises bpp::Exception after the last.
  bpp::PolymorphismSequenceContainer* next_pair();
  void reset_index_position() { _current_position = 0; }
  unsigned int get_current_position() const { return _current_position; }

  // ---- Decoded nucleotides ----
  // Codon sites of every pair (the source's number of sites).
  size_t get_nb_sites() const { return _view->nb_sites(); }
  // True when every sequence of the source holds one codon at site s (below get_nb_sites()).
  bool is_constant_site(size_t s) const { return _view->constant_site(s); }
  // Nucleotide codes of sequence `allele` (0 or 1) of pair i: nucleotide k of codon site s at
  // index 3 * s + k. No range check.
  const int8_t* get_allele_row(unsigned int i, unsigned int allele) const {
    return _view->nucleotides().row(_rows[i][allele]);
  }
  // 1 where both nucleotides of pair i are resolved in the rows' own nucleic alphabet (the codon
  // alphabet's), 0 elsewhere; one byte per nucleotide position. No range check.
  const uint8_t* get_typed_row(unsigned int i) const { return _typed.data() + i * 3 * _view->nb_sites(); }
  const bpp::NucleicAlphabet* get_rows_nucleic_alphabet() const { return _view->nucleotides().get_nucleic_alphabet(); }
  // Resolved test of a nucleic alphabet, for reading the rows.
  const ResolvedNucleotides& resolved_for(const bpp::NucleicAlphabet* nucleic) const;
  const bpp::CodonAlphabet* get_codon_alphabet() const { return _codon; }

 private:
  // What isaPair compares: the part of a name before its last "_", scanning down to the second
  // character; empty when no "_" is met there.
  static std::string _allelePrefix(const std::string& name);
  // Pairs, typed rows and the refusal of pairs no container can hold.
  void _form();
  // The container of pair i (from the view's codes, built once).
  bpp::PolymorphismSequenceContainer* _container(unsigned int i) const;

  unsigned int _current_position;
  unsigned int _nb_pair;
  mutable std::vector<bpp::PolymorphismSequenceContainer*> _pairs;  // null until built
  std::vector<std::string> _pair_names;
  std::vector<std::array<size_t, 2> > _rows;  // the view's rows of the two sequences of each pair

  const bpp::CodonAlphabet* _codon;
  std::unique_ptr<const ContigView> _own_view;  // made from a source container
  const ContigView* _view;
  std::vector<std::vector<std::string> > _comments;  // of the source's sequences (none from a view)
  Workspace::Lease<uint8_t> _typed_store;
  std::vector<uint8_t>& _typed = *_typed_store;  // get_typed_row of every pair, one after the other
  mutable const bpp::NucleicAlphabet* _other_nucleic = nullptr;
  mutable std::unique_ptr<ResolvedNucleotides> _other_resolved;
};

}  // namespace mrv
