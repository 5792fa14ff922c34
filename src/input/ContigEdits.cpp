#include "input/ContigEdits.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>

#include "input/CompactContig.h"

namespace mrv {

void ContigEdit::apply_to(CompactContig& contig) const {
  for (size_t i = 0; i < groups.size(); ++i) contig.set_tag(i, groups[i], groups[i] == 0);
  for (size_t p : unresolved_columns) contig.set_column(p, unresolved_code);
  if (!removed_sites.empty()) contig.remove_sites(removed_sites);
  if (!removed_sequences.empty()) contig.remove_sequences(removed_sequences);
}

void ContigEdit::apply_to(bpp::PolymorphismSequenceContainer& container) const {
  for (size_t i = 0; i < groups.size(); ++i) {
    if (groups[i] == 0)
      container.setAsIngroupMember(i);
    else
      container.setAsOutgroupMember(i);
    container.setGroupId(i, groups[i]);
  }
  for (size_t p : unresolved_columns)
    for (size_t i = 0; i < container.getNumberOfSequences(); ++i) container.valueAt(i, p) = unresolved_code;
  // From the last, so that the indices still to visit stay those of the step's start.
  for (size_t j = removed_sites.size(); j-- > 0;)
    if (removed_sites[j]) container.deleteSite(j);
  for (size_t i = removed_sequences.size(); i-- > 0;)
    if (removed_sequences[i]) container.deleteSequence(i);
}

void ContigEdits::replay(bpp::PolymorphismSequenceContainer& container) const {
  for (const ContigEdit& edit : _edits) edit.apply_to(container);
}

}  // namespace mrv
