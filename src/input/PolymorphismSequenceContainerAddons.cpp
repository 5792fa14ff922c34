#include "input/PolymorphismSequenceContainerAddons.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>
#include <Bpp/Text/StringTokenizer.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <utility>

#include "core/FatalError.h"
#include "input/ContigEdits.h"

namespace mrv {

bool readNameField(const std::string& name, size_t field, std::string& value) {
  size_t first_begin = std::string::npos, first_end = std::string::npos, count = 0;
  for (size_t begin = name.find_first_not_of('|'); begin != std::string::npos;
       begin = name.find_first_not_of('|', begin)) {
    const size_t end = std::min(name.find('|', begin), name.size());
    if (++count == 1) {
      first_begin = begin;
      first_end = end;
    }
    if (count == field) {
      value.assign(name, begin, end - begin);
      return true;
    }
    if (end == name.size()) break;
    begin = end;
  }
  if (count == 0) return false;
  value.assign(name, first_begin, first_end - first_begin);
  return true;
}

namespace {

// Field `field` of a name, or field 1 when it has fewer; a name without any field raises the
// tokenizer's "No more token in tokenizer.".
std::string fieldOrFirst(const std::string& name, size_t field) {
  std::string value;
  if (!readNameField(name, field, value)) {
    bpp::StringTokenizer tokens(name, "|", false, false);
    return tokens.nextToken();
  }
  return value;
}

const char* const kEmptyForContigName = "Selected container is empty ! Contig name can't be extracted !";
const char* const kEmptyForIndividualName = "Selected container is empty ! Individual name can't be extracted !";

}  // namespace

void PolymorphismSequenceContainerAddons::_throwNameProblem(const std::string& message, bool as_warning) {
  throw FatalError(as_warning ? FatalError::Report::kWarning : FatalError::Report::kError, message);
}

void PolymorphismSequenceContainerAddons::_checkIndexOrThrow(size_t n, unsigned int index,
                                                             const std::string& empty_message,
                                                             bool empty_as_warning) {
  if (n > 0 && index >= n)
    _throwNameProblem("Selected index does not exists in the container !!", false);
  if (n == 0) _throwNameProblem(empty_message, empty_as_warning);
}

std::string PolymorphismSequenceContainerAddons::getContigNameFromContainer(
    const bpp::PolymorphismSequenceContainer* container, unsigned int index) {
  _checkIndexOrThrow(container->getNumberOfSequences(), index, kEmptyForContigName, false);
  return getContigNameFromName(std::string(container->getName(index)));
}

std::string PolymorphismSequenceContainerAddons::getContigNameFromContainer(const CompactContig& contig,
                                                                          unsigned int index) {
  _checkIndexOrThrow(contig.nb_sequences(), index, kEmptyForContigName, false);
  return getContigNameFromName(contig.names()[index]);
}

std::string PolymorphismSequenceContainerAddons::getContigNameFromName(const std::string& name) {
  return fieldOrFirst(name, 1);
}

std::string PolymorphismSequenceContainerAddons::getSpeciesNameFromContainer(
    const bpp::PolymorphismSequenceContainer* container, unsigned int index) {
  _checkIndexOrThrow(container->getNumberOfSequences(), index,
                    "Selected container is empty ! Species name can't be extracted !", false);
  return getSpeciesNameFromName(std::string(container->getName(index)));
}

std::string PolymorphismSequenceContainerAddons::getSpeciesNameFromName(const std::string& name) {
  return fieldOrFirst(name, 2);
}

std::string PolymorphismSequenceContainerAddons::getIndividualNameFromContainer(
    const bpp::PolymorphismSequenceContainer* container, unsigned int index) {
  _checkIndexOrThrow(container->getNumberOfSequences(), index,
                    kEmptyForIndividualName, true);
  return getIndividualNameFromName(std::string(container->getName(index)));
}

std::string PolymorphismSequenceContainerAddons::getIndividualNameFromName(const std::string& name) {
  return fieldOrFirst(name, 3);
}

std::vector<std::string> PolymorphismSequenceContainerAddons::getNameElementsFromContainer(
    const bpp::PolymorphismSequenceContainer* container, const std::string& separator,
    unsigned int index, unsigned int max_count) {
  _checkIndexOrThrow(container->getNumberOfSequences(), index,
                    kEmptyForIndividualName, true);
  return getNameElementsFromName(std::string(container->getName(index)), separator, max_count);
}

std::vector<std::string> PolymorphismSequenceContainerAddons::getNameElementsFromName(const std::string& name,
                                                                                      const std::string& separator,
                                                                                      unsigned int max_count) {
  bpp::StringTokenizer tokens(name, separator, false, false);
  std::vector<std::string> fields;
  while (fields.size() < max_count && tokens.hasMoreToken()) fields.push_back(tokens.nextToken());
  return fields;
}


namespace {

// Makes a step's edit on the contig and, when the edits are kept, keeps it.
void make(CompactContig& contig, ContigEdit edit, ContigEdits* edits) {
  edit.apply_to(contig);
  if (edits) edits->add(std::move(edit));
}

// Runs a step's compact form on a compact copy of the container, keeping its edits, and makes
// them on the container itself.
template <class Step>
void editInPlace(bpp::PolymorphismSequenceContainer* container, Step step) {
  CompactContig contig(*container);
  ContigEdits edits;
  step(contig, edits);
  edits.replay(*container);
}

// The trim of removeLeftBadSites (or, `right_side`, removeRightBadSites), with its debug line: the
// first (last) `n` sites of the contig; nothing when n is negative. More than the contig holds throws
// bpp::IndexOutOfBoundsException after the line, nothing removed.
void trimContig(CompactContig& contig, int n, bool right_side, bool debug, std::ostream& out, ContigEdits* edits) {
  if (n < 0) return;
  if (debug)
    out << (right_side ? "(DEBUG - removeRightBadSites) Stop/Frameshift codon(s) have been detected in the tolerance "
                         "zone (right side): ignoring last "
                       : "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance "
                         "zone (left side): ignoring first ")
        << n << " codons" << std::endl;
  const size_t count = static_cast<size_t>(n), nb_sites = contig.nb_sites();
  if (count > nb_sites)
    throw bpp::IndexOutOfBoundsException(right_side ? "PolymorphismSequenceContainerAddons::removeRightBadSites"
                                                    : "PolymorphismSequenceContainerAddons::removeLeftBadSites",
                                         count, 0, nb_sites);
  ContigEdit edit;
  edit.removed_sites.assign(nb_sites, 0);
  const auto from = edit.removed_sites.begin() + static_cast<std::ptrdiff_t>(right_side ? nb_sites - count : 0);
  std::fill(from, from + static_cast<std::ptrdiff_t>(count), 1);
  make(contig, std::move(edit), edits);
}

// The end of the tagging debug line of group 0, 1 and 2.
const char* const kTagTails[] = {" is part of the ingroup", " is part of the outgroup (main outgroup species)",
                                 " is part of the outgroup (other species)"};

}  // namespace

void PolymorphismSequenceContainerAddons::tagAllSequences(
    bpp::PolymorphismSequenceContainer* container, const std::string& focal_species, bool debug,
    const std::string& outgroup_species) {
  editInPlace(container, [&](CompactContig& contig, ContigEdits& edits) {
    tagAllSequences(contig, focal_species, debug, outgroup_species, std::cout, &edits);
  });
}

void PolymorphismSequenceContainerAddons::tagAllSequences(CompactContig& contig, const std::string& focal_species,
                                                          bool debug, const std::string& outgroup_species,
                                                          std::ostream& out, ContigEdits* edits) {
  const std::vector<std::string>& names = contig.names();
  ContigEdit edit;
  edit.groups.resize(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string species = getSpeciesNameFromName(names[i]);
    const unsigned int group = species == focal_species ? 0 : species == outgroup_species ? 1 : 2;
    edit.groups[i] = group;
    if (debug) out << "(DEBUG - tagAllSequences) Sequence: " << names[i] << kTagTails[group] << std::endl;
  }
  make(contig, std::move(edit), edits);
}

std::map<unsigned int, unsigned int> PolymorphismSequenceContainerAddons::getNumberOfMembers(
    const bpp::PolymorphismSequenceContainer* container, bool debug) {
  std::vector<unsigned int> groups(container->getNumberOfSequences());
  for (size_t i = 0; i < groups.size(); ++i) groups[i] = static_cast<unsigned int>(container->getGroupId(i));
  return getNumberOfMembers(container->getSequencesNames(), groups, debug);
}

std::map<unsigned int, unsigned int> PolymorphismSequenceContainerAddons::getNumberOfMembers(
    const std::vector<std::string>& names, const std::vector<unsigned int>& groups, bool debug, std::ostream& out) {
  if (groups.empty()) bpp::ApplicationTools::displayError("There is no group associated to your container !");
  std::map<unsigned int, unsigned int> counts;
  for (size_t i = 0; i < groups.size(); ++i) {
    ++counts[groups[i]];
    if (debug)
      out << "(DEBUG - getNumberOfMembers) Sequence " << names[i] << " is a member of group " << groups[i]
          << std::endl;
  }
  if (debug) {
    out << "(DEBUG - getNumberOfMembers) Number of groups: " << counts.size() << std::endl;
    for (const auto& entry : counts)
      out << "(DEBUG - getNumberOfMembers) Group " << entry.first << ": " << entry.second << " member(s)"
          << std::endl;
  }
  return counts;
}

void requireCodonAlphabet(const bpp::PolymorphismSequenceContainer& container, const bpp::CodonAlphabet* codon_alphabet,
                          const std::string& where) {
  if (container.getAlphabet()->getAlphabetType() != codon_alphabet->getAlphabetType())
    throw bpp::AlphabetMismatchException(where + ": container and codon alphabet differ ", container.getAlphabet(),
                                         codon_alphabet);
}

unsigned int groupMemberCount(const std::map<unsigned int, unsigned int>& counts, unsigned int group_id) {
  const auto it = counts.find(group_id);
  return it == counts.end() ? 0 : it->second;
}

bpp::Site PolymorphismSequenceContainerAddons::generateValidUnknownSite(
    const bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet) {
  const std::vector<int> content(container->getNumberOfSequences(),
                                 codon_alphabet->getUnknownCharacterCode());
  return bpp::Site(content, codon_alphabet);
}

bool PolymorphismSequenceContainerAddons::dealWithBadCodons(
    bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
    unsigned int tolerance_zone, bool allow_internal_bad_codons, bool debug) {
  requireCodonAlphabet(*container, codon_alphabet, "PolymorphismSequenceContainerAddons::dealWithBadCodons");
  const CodonCodeFacts codons(codon_alphabet);
  bool reject = false;
  editInPlace(container, [&](CompactContig& contig, ContigEdits& edits) {
    reject = dealWithBadCodons(contig, codons, tolerance_zone, allow_internal_bad_codons, debug, std::cout, &edits);
  });
  return reject;
}

bool PolymorphismSequenceContainerAddons::dealWithBadCodons(CompactContig& contig, const CodonCodeFacts& codons,
                                                            unsigned int tolerance_zone,
                                                            bool allow_internal_bad_codons, bool debug,
                                                            std::ostream& out, ContigEdits* edits) {
  const size_t n_sequences = contig.nb_sequences();
  // Most contigs hold no such codon: one pass over the codes finds that out first.
  bool any = false;
  for (size_t s = 0; s < n_sequences && !any; ++s) {
    const std::int8_t* row = contig.row(s);
    for (size_t p = 0; p < contig.nb_sites(); ++p) any |= codons.isBad(row[p]);
  }
  if (!any) return false;

  // The zone bounds are signed: a zone wider than the alignment makes the right bound negative,
  // and a zone above 2147483647 is a negative value that leaves every position in the core.
  const int64_t n_sites = static_cast<int64_t>(contig.nb_sites());
  const int64_t zone = static_cast<int32_t>(tolerance_zone);
  const int64_t right_bound = n_sites - zone;
  int64_t left = -1, right = -1;
  bool reject = false;
  ContigEdit edit;
  edit.unresolved_code = codons.unknownCode();
  // A column turned unresolved holds no bad codon for the sequences read after it.
  std::vector<char> unresolved(contig.nb_sites(), 0);
  for (size_t s = 0; s < n_sequences; ++s) {
    const std::int8_t* row = contig.row(s);
    for (int64_t p = 1; p <= n_sites; ++p) {
      const std::int8_t code = row[p - 1];
      if (!codons.isBad(code) || unresolved[p - 1]) continue;
      const bool in_left = zone >= p, in_right = !in_left && right_bound < p;
      if (debug)
        out << "(DEBUG - dealWithBadCodons) " << codons.name(code) << " codon (Int Code: " << static_cast<int>(code)
            << ") detected "
            << (in_left ? "in the tolerance zone (left side)"
                        : in_right ? "in the tolerance zone (right side)" : "in the core part of the sequence")
            << " ! (Position: " << p << " - Sequence: " << s + 1 << ")" << std::endl;
      if (in_left) {
        left = std::max(left, p);
      } else if (in_right) {
        right = std::max(right, n_sites - p + 1);
        break;  // the rest of this sequence goes with the right trim
      } else if (allow_internal_bad_codons) {
        unresolved[p - 1] = 1;
        edit.unresolved_columns.push_back(static_cast<size_t>(p - 1));
      } else {
        reject = true;
      }
    }
  }
  if (reject) return true;
  if (!edit.unresolved_columns.empty()) make(contig, std::move(edit), edits);
  // The right trim counts the sites the left trim leaves; left + right never exceeds the sites.
  if (left >= 0) removeLeftBadSites(contig, static_cast<int>(left), debug, out, edits);
  removeRightBadSites(contig, static_cast<int>(right), debug, out, edits);
  return false;
}

void PolymorphismSequenceContainerAddons::removeLeftBadSites(bpp::PolymorphismSequenceContainer* container,
                                                             int number_of_sites, bool debug) {
  editInPlace(container, [&](CompactContig& contig, ContigEdits& edits) {
    removeLeftBadSites(contig, number_of_sites, debug, std::cout, &edits);
  });
}

void PolymorphismSequenceContainerAddons::removeLeftBadSites(CompactContig& contig, int number_of_sites, bool debug,
                                                             std::ostream& out, ContigEdits* edits) {
  trimContig(contig, number_of_sites, false, debug, out, edits);
}

void PolymorphismSequenceContainerAddons::removeRightBadSites(bpp::PolymorphismSequenceContainer* container,
                                                              int number_of_sites, bool debug) {
  editInPlace(container, [&](CompactContig& contig, ContigEdits& edits) {
    removeRightBadSites(contig, number_of_sites, debug, std::cout, &edits);
  });
}

void PolymorphismSequenceContainerAddons::removeRightBadSites(CompactContig& contig, int number_of_sites, bool debug,
                                                              std::ostream& out, ContigEdits* edits) {
  trimContig(contig, number_of_sites, true, debug, out, edits);
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSites(
    bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
    unsigned int nb_ingroup, unsigned int min_resolved, bool debug) {
  requireCodonAlphabet(*container, codon_alphabet, "PolymorphismSequenceContainerAddons::removeHighlyGappedSites");
  const CodonCodeFacts codons(codon_alphabet);
  editInPlace(container, [&](CompactContig& contig, ContigEdits& edits) {
    removeHighlyGappedSites(contig, codons, nb_ingroup, min_resolved, debug, std::cout, &edits);
  });
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSites(CompactContig& contig, const CodonCodeFacts& codons,
                                                                  unsigned int nb_ingroup, unsigned int min_resolved,
                                                                  bool debug, std::ostream& out, ContigEdits* edits) {
  const size_t n_sites = contig.nb_sites();
  std::vector<std::uint32_t> gapped(n_sites, 0);  // ingroup sequences with a gap-or-N codon, per site
  for (size_t i = 0; i < contig.nb_sequences(); ++i) {
    if (!contig.ingroup()[i]) continue;
    const std::int8_t* row = contig.row(i);
    for (size_t j = 0; j < n_sites; ++j) gapped[j] += static_cast<std::uint32_t>(codons.isGapOrUnresolved(row[j]));
  }
  // Sites are visited from the last and taken out together afterwards, which leaves what removing
  // each one on the spot leaves.
  ContigEdit edit;
  edit.removed_sites.assign(n_sites, 0);
  for (size_t j = n_sites; j-- > 0;) {
    if (static_cast<std::uint32_t>(nb_ingroup - gapped[j]) >= min_resolved) continue;
    if (debug)
      out << "(DEBUG - removeHighlyGappedSites) Site number " << j << " will be removed (" << gapped[j]
          << " sequence(s) with too much gaps or N bases)" << std::endl;
    edit.removed_sites[j] = 1;
  }
  make(contig, std::move(edit), edits);
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSequences(
    bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
    double max_share, bool debug) {
  requireCodonAlphabet(*container, codon_alphabet, "PolymorphismSequenceContainerAddons::removeHighlyGappedSequences");
  const CodonCodeFacts codons(codon_alphabet);
  editInPlace(container, [&](CompactContig& contig, ContigEdits& edits) {
    removeHighlyGappedSequences(contig, codons, max_share, debug, std::cout, &edits);
  });
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSequences(CompactContig& contig,
                                                                      const CodonCodeFacts& codons, double max_share,
                                                                      bool debug, std::ostream& out,
                                                                      ContigEdits* edits) {
  const size_t n_sites = contig.nb_sites();
  ContigEdit edit;
  edit.removed_sequences.assign(contig.nb_sequences(), 0);
  for (size_t i = contig.nb_sequences(); i-- > 0;) {
    const std::int8_t* row = contig.row(i);
    size_t gapped = 0;
    for (size_t j = 0; j < n_sites; ++j) gapped += static_cast<size_t>(codons.isGapOrUnresolved(row[j]));
    const double share = static_cast<double>(gapped) / static_cast<double>(n_sites);  // no site: NaN, kept
    if (!(share > max_share)) continue;
    if (debug)
      out << "(DEBUG - removeHighlyGappedSequences) Sequence " << contig.names()[i] << " will be removed ("
          << share * 100 << " % of gaps or N bases)" << std::endl;
    edit.removed_sequences[i] = 1;
  }
  make(contig, std::move(edit), edits);
}

void PolymorphismSequenceContainerAddons::removeGroupFromContainer(bpp::PolymorphismSequenceContainer* container,
                                                                   unsigned int group_id, bool debug) {
  editInPlace(container, [&](CompactContig& contig, ContigEdits& edits) {
    removeGroupFromContainer(contig, group_id, debug, std::cout, &edits);
  });
}

void PolymorphismSequenceContainerAddons::removeGroupFromContainer(CompactContig& contig, unsigned int group_id,
                                                                   bool debug, std::ostream& out, ContigEdits* edits) {
  ContigEdit edit;
  edit.removed_sequences.assign(contig.nb_sequences(), 0);
  for (size_t i = contig.nb_sequences(); i-- > 0;) {
    if (contig.groups()[i] != group_id) continue;
    if (debug)
      out << "(DEBUG - removeGroupFromContainer) Sequence " << contig.names()[i]
          << " will be removed (Member of group " << group_id << ")" << std::endl;
    edit.removed_sequences[i] = 1;
  }
  make(contig, std::move(edit), edits);
}

}  // namespace mrv
