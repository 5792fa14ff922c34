#pragma once
// Codon codes of a contig read straight from the containers' site columns, once, for the per-site
// statistics (CodonSiteStatistics.h).
#include <cstddef>
#include <vector>

#include "analysis/Workspace.h"

namespace bpp {
class Alphabet;
class Sequence;
class PolymorphismSequenceContainer;
}  // namespace bpp

namespace mrv {

// Codon codes of one container, of a few sequences or of codes held elsewhere, site by site. The
// arrays are leased from the workspace given (the run's), or owned without one.
class CodonColumns {
 public:
  // Every sequence of the container.
  explicit CodonColumns(const bpp::PolymorphismSequenceContainer& container, Workspace* workspace = nullptr);
  // The sequences as the sites of a container of the given alphabet would hold them; not usable
  // when a sequence is of another alphabet type or of another length than the first.
  CodonColumns(const std::vector<const bpp::Sequence*>& sequences, const bpp::Alphabet* alphabet,
               Workspace* workspace = nullptr);
  // Codes held elsewhere, site after site (`nb_sequences` codes each), which must outlive the columns.
  CodonColumns(const int* codes, size_t nb_sequences, size_t nb_sites, const bpp::Alphabet* alphabet,
               Workspace* workspace = nullptr);
  CodonColumns(const CodonColumns&) = delete;
  CodonColumns& operator=(const CodonColumns&) = delete;

  bool usable() const { return _usable; }
  size_t nb_sequences() const { return _nb_sequences; }
  size_t nb_sites() const { return _sites.size(); }
  // Codes of site s, one per sequence.
  const int* site(size_t s) const { return _sites[s]; }
  const bpp::Alphabet* alphabet() const { return _alphabet; }
  // A site is complete when none of its codes is a gap or unresolved in the alphabet.
  bool is_complete(size_t s) const { return _complete[s] != 0; }
  size_t nb_complete_sites() const { return _nb_complete; }

  // Sums worked out over these columns, kept for a second request: by genetic code tables and ratio.
  struct SumMemo {
    const void* tables;
    double ratio;
    double sum;
  };
  std::vector<SumMemo>& sum_memos() const { return _sums; }

 private:
  // What every constructor starts from: no site read, not usable.
  CodonColumns(size_t nb_sequences, const bpp::Alphabet* alphabet, Workspace* workspace);
  void _classify();

  bool _usable;
  size_t _nb_sequences;
  const bpp::Alphabet* _alphabet;
  Workspace::Lease<const int*> _sites_store;
  Workspace::Lease<int> _owned_store;
  Workspace::Lease<char> _complete_store;
  std::vector<const int*>& _sites = *_sites_store;
  std::vector<int>& _owned = *_owned_store;  // codes of sequences put side by side
  std::vector<char>& _complete = *_complete_store;
  size_t _nb_complete;
  mutable std::vector<SumMemo> _sums;
};

// True when the two alphabets have the same type name (the same alphabet needs no names built).
bool sameAlphabetType(const bpp::Alphabet* a, const bpp::Alphabet* b);

}  // namespace mrv
