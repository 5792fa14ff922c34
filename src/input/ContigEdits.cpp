#include "input/ContigEdits.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>

#include <algorithm>
#include <string>

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
  const size_t end = n_sites - static_cast<size_t>(std::find(gone.rbegin(), gone.rend(), 1) - gone.rbegin());
  if (std::find(gone.begin() + static_cast<std::ptrdiff_t>(first), gone.begin() + static_cast<std::ptrdiff_t>(end),
                0) == gone.begin() + static_cast<std::ptrdiff_t>(end)) {
    container.deleteSites(first, end - first);
    return;
  }
  std::vector<int> positions = container.getSitePositions();
  const size_t n_sequences = container.getNumberOfSequences();
  size_t to = first;
  for (size_t j = first + 1; j < n_sites; ++j) {
    if (gone[j]) continue;
    for (size_t i = 0; i < n_sequences; ++i) container.valueAt(i, to) = container.valueAt(i, j);
    positions[to++] = positions[j];
  }
  container.deleteSites(to, n_sites - to);
  positions.resize(to);
  container.setSitePositions(positions);
}

// Removes the flagged sequences (one flag per sequence) in time linear in the container: each kept
// sequence after the first removed one moves forward (codes, name, comments, count, group and
// ingroup flag), and the sequences left at the end are removed from the last, which moves nothing.
void removeFlaggedSequences(bpp::PolymorphismSequenceContainer& container, const std::vector<char>& gone) {
  const size_t n_sequences = gone.size();
  const auto first_gone = std::find(gone.begin(), gone.end(), 1);
  if (first_gone == gone.end()) return;
  const size_t first = static_cast<size_t>(first_gone - gone.begin());
  std::vector<size_t> moved;  // the kept sequences after the first removed one, in order
  for (size_t i = first + 1; i < n_sequences; ++i)
    if (!gone[i]) moved.push_back(i);
  std::vector<std::string> names;
  if (!moved.empty()) {
    names = container.getSequencesNames();
    for (size_t j = 0; j < container.getNumberOfSites(); ++j)
      for (size_t k = 0; k < moved.size(); ++k) container.valueAt(first + k, j) = container.valueAt(moved[k], j);
    for (size_t k = 0; k < moved.size(); ++k) {
      const size_t to = first + k, from = moved[k];
      names[to] = names[from];
      container.setComments(to, bpp::Comments(container.getComments(from)));
      container.setSequenceCount(to, container.getSequenceCount(from));
      container.setGroupId(to, container.getGroupId(from));
      if (container.isIngroupMember(from))
        container.setAsIngroupMember(to);
      else
        container.setAsOutgroupMember(to);
    }
  }
  const size_t kept = first + moved.size();
  for (size_t i = n_sequences; i-- > kept;) container.deleteSequence(i);
  if (!moved.empty()) {
    names.resize(kept);
    container.setSequencesNames(names, false);
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
