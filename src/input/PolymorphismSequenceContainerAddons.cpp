#include "input/PolymorphismSequenceContainerAddons.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/Text/StringTokenizer.h>

#include <algorithm>
#include <cstdint>
#include <iostream>

#include "core/FatalError.h"

namespace mrv {

namespace {

// Field `field` (from 1) of a name, or field 1 when the name has fewer fields; a name without
// any field raises the tokenizer's "No more token in tokenizer.".
// Fields are the runs of characters other than "|", as the tokenizer cuts them (read here without
// building every token).
std::string fieldOrFirst(const std::string& name, size_t field) {
  size_t first_begin = std::string::npos, first_end = std::string::npos, count = 0;
  for (size_t begin = name.find_first_not_of('|'); begin != std::string::npos;
       begin = name.find_first_not_of('|', begin)) {
    const size_t end = std::min(name.find('|', begin), name.size());
    if (++count == 1) {
      first_begin = begin;
      first_end = end;
    }
    if (count == field) return name.substr(begin, end - begin);
    if (end == name.size()) break;
    begin = end;
  }
  if (count == 0) {  // no field: the tokenizer's own exception
    bpp::StringTokenizer tokens(name, "|", false, false);
    return tokens.nextToken();
  }
  return name.substr(first_begin, first_end - first_begin);
}

const char* const kEmptyForContigName = "Selected container is empty ! Contig name can't be extracted !";

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
                    "Selected container is empty ! Individual name can't be extracted !", true);
  return getIndividualNameFromName(std::string(container->getName(index)));
}

std::string PolymorphismSequenceContainerAddons::getIndividualNameFromName(const std::string& name) {
  return fieldOrFirst(name, 3);
}

std::vector<std::string> PolymorphismSequenceContainerAddons::getNameElementsFromContainer(
    const bpp::PolymorphismSequenceContainer* container, const std::string& separator,
    unsigned int index, unsigned int max_count) {
  _checkIndexOrThrow(container->getNumberOfSequences(), index,
                    "Selected container is empty ! Individual name can't be extracted !", true);
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

// Runs `step` on a compact copy of the container and makes the container hold what it leaves.
template <class Step>
void onCompactCopy(bpp::PolymorphismSequenceContainer* container, Step step) {
  CompactContig contig(*container);
  step(contig);
  contig.assign_to(*container);
}

// The end of the tagging debug line of group 0, 1 and 2.
const char* const kTagTails[] = {" is part of the ingroup", " is part of the outgroup (main outgroup species)",
                                 " is part of the outgroup (other species)"};

}  // namespace

void PolymorphismSequenceContainerAddons::tagAllSequences(
    bpp::PolymorphismSequenceContainer* container, const std::string& focal_species, bool debug,
    const std::string& outgroup_species) {
  onCompactCopy(container,
                [&](CompactContig& contig) { tagAllSequences(contig, focal_species, debug, outgroup_species); });
}

void PolymorphismSequenceContainerAddons::tagAllSequences(CompactContig& contig, const std::string& focal_species,
                                                          bool debug, const std::string& outgroup_species,
                                                          std::ostream& out) {
  const std::vector<std::string>& names = contig.names();
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string species = fieldOrFirst(names[i], 2);
    const unsigned int group = species == focal_species ? 0 : species == outgroup_species ? 1 : 2;
    contig.set_tag(i, group, group == 0);
    if (debug) out << "(DEBUG - tagAllSequences) Sequence: " << names[i] << kTagTails[group] << std::endl;
  }
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

bpp::Site PolymorphismSequenceContainerAddons::generateValidUnknownSite(
    const bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet) {
  const std::vector<int> content(container->getNumberOfSequences(),
                                 codon_alphabet->getUnknownCharacterCode());
  return bpp::Site(content, codon_alphabet);
}

bool PolymorphismSequenceContainerAddons::dealWithBadCodons(
    bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
    unsigned int tolerance_zone, bool allow_internal_bad_codons, bool debug) {
  const CodonCodeFacts codons(codon_alphabet);
  bool reject = false;
  onCompactCopy(container, [&](CompactContig& contig) {
    reject = dealWithBadCodons(contig, codons, tolerance_zone, allow_internal_bad_codons, debug);
  });
  return reject;
}

bool PolymorphismSequenceContainerAddons::dealWithBadCodons(CompactContig& contig, const CodonCodeFacts& codons,
                                                            unsigned int tolerance_zone,
                                                            bool allow_internal_bad_codons, bool debug,
                                                            std::ostream& out) {
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
  for (size_t s = 0; s < n_sequences; ++s) {
    const std::int8_t* row = contig.row(s);  // a replaced column shows in it at once
    for (int64_t p = 1; p <= n_sites; ++p) {
      const std::int8_t code = row[p - 1];
      if (!codons.isBad(code)) continue;
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
        contig.set_column(static_cast<size_t>(p - 1), codons.unknownCode());
      } else {
        reject = true;
      }
    }
  }
  if (reject) return true;
  removeLeftBadSites(contig, static_cast<int>(left), debug, out);
  removeRightBadSites(contig, static_cast<int>(right), debug, out);
  return false;
}

void PolymorphismSequenceContainerAddons::removeLeftBadSites(bpp::PolymorphismSequenceContainer* container,
                                                             int number_of_sites, bool debug) {
  onCompactCopy(container, [&](CompactContig& contig) { removeLeftBadSites(contig, number_of_sites, debug); });
}

void PolymorphismSequenceContainerAddons::removeLeftBadSites(CompactContig& contig, int number_of_sites, bool debug,
                                                             std::ostream& out) {
  if (number_of_sites < 0) return;
  if (debug)
    out << "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (left "
           "side): ignoring first "
        << number_of_sites << " codons" << std::endl;
  contig.remove_sites(0, static_cast<size_t>(number_of_sites));
}

void PolymorphismSequenceContainerAddons::removeRightBadSites(bpp::PolymorphismSequenceContainer* container,
                                                              int number_of_sites, bool debug) {
  onCompactCopy(container, [&](CompactContig& contig) { removeRightBadSites(contig, number_of_sites, debug); });
}

void PolymorphismSequenceContainerAddons::removeRightBadSites(CompactContig& contig, int number_of_sites, bool debug,
                                                              std::ostream& out) {
  if (number_of_sites < 0) return;
  if (debug)
    out << "(DEBUG - removeRightBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (right "
           "side): ignoring last "
        << number_of_sites << " codons" << std::endl;
  const size_t n = static_cast<size_t>(number_of_sites), m = contig.nb_sites();
  contig.remove_sites(n > m ? 0 : m - n, n);  // more than m: refused whole
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSites(
    bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
    unsigned int nb_ingroup, unsigned int min_resolved, bool debug) {
  const CodonCodeFacts codons(codon_alphabet);
  onCompactCopy(container, [&](CompactContig& contig) {
    removeHighlyGappedSites(contig, codons, nb_ingroup, min_resolved, debug);
  });
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSites(CompactContig& contig, const CodonCodeFacts& codons,
                                                                  unsigned int nb_ingroup, unsigned int min_resolved,
                                                                  bool debug, std::ostream& out) {
  const size_t n_sites = contig.nb_sites();
  std::vector<std::uint32_t> gapped(n_sites, 0);  // ingroup sequences with a gap-or-N codon, per site
  for (size_t i = 0; i < contig.nb_sequences(); ++i) {
    if (!contig.ingroup()[i]) continue;
    const std::int8_t* row = contig.row(i);
    for (size_t j = 0; j < n_sites; ++j) gapped[j] += static_cast<std::uint32_t>(codons.isGapOrUnresolved(row[j]));
  }
  // Sites are visited from the last and taken out together afterwards, which leaves what removing
  // each one on the spot leaves.
  std::vector<char> gone(n_sites, 0);
  for (size_t j = n_sites; j-- > 0;) {
    if (static_cast<std::uint32_t>(nb_ingroup - gapped[j]) >= min_resolved) continue;
    if (debug)
      out << "(DEBUG - removeHighlyGappedSites) Site number " << j << " will be removed (" << gapped[j]
          << " sequence(s) with too much gaps or N bases)" << std::endl;
    gone[j] = 1;
  }
  contig.remove_sites(gone);
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSequences(
    bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
    double max_share, bool debug) {
  const CodonCodeFacts codons(codon_alphabet);
  onCompactCopy(container,
                [&](CompactContig& contig) { removeHighlyGappedSequences(contig, codons, max_share, debug); });
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSequences(CompactContig& contig,
                                                                      const CodonCodeFacts& codons, double max_share,
                                                                      bool debug, std::ostream& out) {
  const size_t n_sites = contig.nb_sites();
  std::vector<char> gone(contig.nb_sequences(), 0);
  for (size_t i = gone.size(); i-- > 0;) {
    const std::int8_t* row = contig.row(i);
    size_t gapped = 0;
    for (size_t j = 0; j < n_sites; ++j) gapped += static_cast<size_t>(codons.isGapOrUnresolved(row[j]));
    const double share = static_cast<double>(gapped) / static_cast<double>(n_sites);  // no site: NaN, kept
    if (!(share > max_share)) continue;
    if (debug)
      out << "(DEBUG - removeHighlyGappedSequences) Sequence " << contig.names()[i] << " will be removed ("
          << share * 100 << " % of gaps or N bases)" << std::endl;
    gone[i] = 1;
  }
  contig.remove_sequences(gone);
}

void PolymorphismSequenceContainerAddons::removeGroupFromContainer(bpp::PolymorphismSequenceContainer* container,
                                                                   unsigned int group_id, bool debug) {
  onCompactCopy(container, [&](CompactContig& contig) { removeGroupFromContainer(contig, group_id, debug); });
}

void PolymorphismSequenceContainerAddons::removeGroupFromContainer(CompactContig& contig, unsigned int group_id,
                                                                   bool debug, std::ostream& out) {
  std::vector<char> gone(contig.nb_sequences(), 0);
  for (size_t i = gone.size(); i-- > 0;) {
    if (contig.groups()[i] != group_id) continue;
    if (debug)
      out << "(DEBUG - removeGroupFromContainer) Sequence " << contig.names()[i]
          << " will be removed (Member of group " << group_id << ")" << std::endl;
    gone[i] = 1;
  }
  contig.remove_sequences(gone);
}

}  // namespace mrv
