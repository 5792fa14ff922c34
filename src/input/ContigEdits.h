#pragma once
// What the cleaning steps do to a contig, step by step, so that what was decided once on its compact
// form can be made again, in place, on the container the compact form was copied from.
//
// Each edit is given in the indices the contig has when its step begins. A container that goes
// through the same edits in the same order passes through the same states as the compact contig: its
// sequences keep their names, comments, counts and order, its remaining sites keep their positions,
// and it keeps its general comments.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace bpp {
class PolymorphismSequenceContainer;
}  // namespace bpp

namespace mrv {

class CompactContig;

// One step's edit, made in this order: tags, unresolved columns, removed sites, removed sequences.
struct ContigEdit {
  std::vector<unsigned int> groups;         // a group id per sequence, group 0 flagged ingroup; empty: no tagging
  std::vector<size_t> unresolved_columns;   // sites whose every codon becomes `unresolved_code`
  std::int8_t unresolved_code = 0;
  std::vector<char> removed_sites;          // a flag per site; empty: none removed
  std::vector<char> removed_sequences;      // a flag per sequence; empty: none removed

  void apply_to(CompactContig& contig) const;
  // Codons are replaced where they stand. Sites and sequences go in time linear in the container: a
  // range of sites in one range deletion, scattered sites by moving the kept ones forward with their
  // positions and cutting the tail once; sequences by the container's own removal while its sites
  // are out, each site then dropping the same codes.
  void apply_to(bpp::PolymorphismSequenceContainer& container) const;
};

// The edits of several steps, in step order.
class ContigEdits {
 public:
  virtual ~ContigEdits() {}

  void add(ContigEdit edit) { _edits.push_back(std::move(edit)); }
  // Makes every edit, in order, on `container`, which must hold what the contig held before the
  // first one.
  void replay(bpp::PolymorphismSequenceContainer& container) const;

 private:
  std::vector<ContigEdit> _edits;
};

}  // namespace mrv
