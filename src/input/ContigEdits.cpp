#include "input/ContigEdits.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Site.h>

#include <algorithm>
#include <memory>

#include "input/CompactContig.h"

namespace mrv {

namespace {

// Removes the flagged sites (one flag per site) in time linear in the container. Sites that form
// one range go in one range deletion; otherwise each kept site after the first removed one moves
// forward, codes and position, and the tail goes in one range deletion.
void removeFlaggedSites(bpp::PolymorphismSequenceContainer& container, const std::vector<char>& gone) {
  const size_t n_sites = gone.size();
  const auto first_gone = std::find(gone.begin(), gone.end(), 1);
  if (first_gone == gone.end()) return;
  const size_t first = static_cast<size_t>(first_gone - gone.begin());
  const auto count = std::count(first_gone, gone.end(), 1);
  if (std::find(first_gone, first_gone + count, 0) == first_gone + count) {  // one range
    container.deleteSites(first, static_cast<size_t>(count));
    return;
  }
  std::vector<int> positions = container.getSitePositions();
  const size_t n_sequences = container.getNumberOfSequences();
  size_t to = first;
  for (size_t j = first + 1; j < n_sites; ++j) {
    if (gone[j]) continue;
    if (n_sequences > 0) {  // a site's codes are one array, one code per sequence
      const int* codes = &container.getSite(j)[0];
      std::copy(codes, codes + n_sequences, &container(0, to));
    }
    positions[to++] = positions[j];
  }
  container.deleteSites(to, n_sites - to);
  positions.resize(to);
  container.setSitePositions(positions);
}

// Up to this many sequences are removed in place, each removal walking every site.
const size_t kRemovalsInPlace = 10;

// Removes the flagged sequences (one flag per sequence) in time linear in the container, by the
// container's own removal, which takes each one's name, comments, count, group and flag with it.
// Each removal walks every site; for more than a few, the sites are taken out first, each from the
// end, which moves nothing, so that the removals touch no site, and each site then drops the same
// codes and goes back with its position (one copy of each site, about the cost of ten removals).
void removeFlaggedSequences(bpp::PolymorphismSequenceContainer& container, const std::vector<char>& gone) {
  const size_t n_sequences = gone.size();
  const size_t removed = static_cast<size_t>(std::count(gone.begin(), gone.end(), 1));
  if (removed == 0) return;
  if (removed <= kRemovalsInPlace) {
    for (size_t i = n_sequences; i-- > 0;)
      if (gone[i]) container.deleteSequence(i);
    return;
  }
  std::vector<std::unique_ptr<bpp::Site>> sites(container.getNumberOfSites());
  for (size_t j = sites.size(); j-- > 0;) sites[j].reset(container.removeSite(j));
  for (size_t i = n_sequences; i-- > 0;)
    if (gone[i]) container.deleteSequence(i);
  const size_t kept = container.getNumberOfSequences();
  for (std::unique_ptr<bpp::Site>& site : sites) {
    size_t to = 0;
    for (size_t i = 0; i < n_sequences; ++i)
      if (!gone[i]) (*site)[to++] = (*site)[i];
    site->deleteElements(kept, n_sequences - kept);
    container.addSite(*site, false);
  }
}

}  // namespace

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
  removeFlaggedSites(container, removed_sites);
  removeFlaggedSequences(container, removed_sequences);
}

void ContigEdits::replay(bpp::PolymorphismSequenceContainer& container) const {
  for (const ContigEdit& edit : _edits) edit.apply_to(container);
}

}  // namespace mrv
