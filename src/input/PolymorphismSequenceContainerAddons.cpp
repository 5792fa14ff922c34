#include "input/PolymorphismSequenceContainerAddons.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/Text/StringTokenizer.h>

#include <algorithm>
#include <cstdint>
#include <iostream>

#include "input/FrameshiftCodonAlphabet.h"
#include "run/FatalError.h"

namespace mrv {

namespace {

// One answer per state code of an alphabet (codes from -1 up), worked out once from the
// alphabet's own look-ups so that loops over sites read a vector instead.
template <typename T>
class PerCode {
 public:
  template <class F>
  PerCode(const bpp::Alphabet* alphabet, F answer) {
    int max_code = -1;
    for (size_t i = 0; i < alphabet->getNumberOfStates(); ++i)
      max_code = std::max(max_code, alphabet->getIntCodeAt(i));
    _values.resize(static_cast<size_t>(max_code) + 2);
    for (int code = -1; code <= max_code; ++code)
      if (alphabet->isIntInAlphabet(code)) _values[static_cast<size_t>(code + 1)] = answer(code);
  }
  const T& operator[](int code) const { return _values.at(static_cast<size_t>(code + 1)); }

 private:
  std::vector<T> _values;
};

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

bool isGapOrUnresolved(const bpp::Alphabet* alphabet, int code) {
  return alphabet->isGap(code) || alphabet->isUnresolved(code);
}

}  // namespace

void PolymorphismSequenceContainerAddons::_throwNameProblem(const std::string& message, bool as_warning) {
  throw FatalError(as_warning ? FatalError::Report::kWarning : FatalError::Report::kError, message);
}

void PolymorphismSequenceContainerAddons::_checkIndexOrThrow(
    const bpp::PolymorphismSequenceContainer* container, unsigned int index,
    const std::string& empty_message, bool empty_as_warning) {
  const size_t n = container->getNumberOfSequences();
  if (n > 0 && index >= n)
    _throwNameProblem("Selected index does not exists in the container !!", false);
  if (n == 0) _throwNameProblem(empty_message, empty_as_warning);
}

std::string PolymorphismSequenceContainerAddons::getContigNameFromContainer(
    const bpp::PolymorphismSequenceContainer* container, unsigned int index) {
  _checkIndexOrThrow(container, index,
                    "Selected container is empty ! Contig name can't be extracted !", false);
  return getContigNameFromName(std::string(container->getName(index)));
}

std::string PolymorphismSequenceContainerAddons::getContigNameFromName(const std::string& name) {
  return fieldOrFirst(name, 1);
}

std::string PolymorphismSequenceContainerAddons::getSpeciesNameFromContainer(
    const bpp::PolymorphismSequenceContainer* container, unsigned int index) {
  _checkIndexOrThrow(container, index,
                    "Selected container is empty ! Species name can't be extracted !", false);
  return getSpeciesNameFromName(std::string(container->getName(index)));
}

std::string PolymorphismSequenceContainerAddons::getSpeciesNameFromName(const std::string& name) {
  return fieldOrFirst(name, 2);
}

std::string PolymorphismSequenceContainerAddons::getIndividualNameFromContainer(
    const bpp::PolymorphismSequenceContainer* container, unsigned int index) {
  _checkIndexOrThrow(container, index,
                    "Selected container is empty ! Individual name can't be extracted !", true);
  return getIndividualNameFromName(std::string(container->getName(index)));
}

std::string PolymorphismSequenceContainerAddons::getIndividualNameFromName(const std::string& name) {
  return fieldOrFirst(name, 3);
}

std::vector<std::string> PolymorphismSequenceContainerAddons::getNameElementsFromContainer(
    const bpp::PolymorphismSequenceContainer* container, const std::string& separator,
    unsigned int index, unsigned int max_count) {
  _checkIndexOrThrow(container, index,
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

void PolymorphismSequenceContainerAddons::tagAllSequences(
    bpp::PolymorphismSequenceContainer* container, const std::string& focal_species, bool debug,
    const std::string& outgroup_species) {
  const std::vector<std::string> names = container->getSequencesNames();
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string species = fieldOrFirst(names[i], 2);
    if (species == focal_species) {
      container->setAsIngroupMember(i);
      container->setGroupId(i, 0);
      if (debug)
        std::cout << "(DEBUG - tagAllSequences) Sequence: " << names[i] << " is part of the ingroup"
                  << std::endl;
      continue;
    }
    container->setAsOutgroupMember(i);
    if (species == outgroup_species) {
      container->setGroupId(i, 1);
      if (debug)
        std::cout << "(DEBUG - tagAllSequences) Sequence: " << names[i]
                  << " is part of the outgroup (main outgroup species)" << std::endl;
    } else {
      container->setGroupId(i, 2);
      if (debug)
        std::cout << "(DEBUG - tagAllSequences) Sequence: " << names[i]
                  << " is part of the outgroup (other species)" << std::endl;
    }
  }
}

std::map<unsigned int, unsigned int> PolymorphismSequenceContainerAddons::getNumberOfMembers(
    const bpp::PolymorphismSequenceContainer* container, bool debug) {
  if (container->getNumberOfGroups() == 0)
    bpp::ApplicationTools::displayError("There is no group associated to your container !");
  std::map<unsigned int, unsigned int> counts;
  for (size_t id : container->getAllGroupsIds()) counts[static_cast<unsigned int>(id)] = 0;
  const size_t n = container->getNumberOfSequences();
  std::vector<std::string> names;
  if (debug) names = container->getSequencesNames();
  for (size_t i = 0; i < n; ++i) {
    const unsigned int id = static_cast<unsigned int>(container->getGroupId(i));
    ++counts[id];
    if (debug)
      std::cout << "(DEBUG - getNumberOfMembers) Sequence " << names[i] << " is a member of group "
                << id << std::endl;
  }
  if (debug) {
    std::cout << "(DEBUG - getNumberOfMembers) Number of groups: " << container->getNumberOfGroups()
              << std::endl;
    for (const auto& entry : counts)
      std::cout << "(DEBUG - getNumberOfMembers) Group " << entry.first << ": " << entry.second
                << " member(s)" << std::endl;
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
  const PerCode<std::string> names(codon_alphabet, [&](int code) {
    return codon_alphabet->getName(codon_alphabet->intToChar(code));
  });
  const PerCode<char> bad(codon_alphabet, [&](int code) {
    const std::string& name = names[code];
    return static_cast<char>(name == FrameshiftCodonAlphabet::STOP ||
                             name == FrameshiftCodonAlphabet::FRAMESHIFT);
  });
  // Most contigs hold no such codon: a pass over the sites' codes in place finds that out first.
  {
    bool any = false;
    const size_t n_seq = container->getNumberOfSequences();
    for (size_t j = 0; j < container->getNumberOfSites() && !any; ++j) {
      const bpp::Site& site = container->getSite(j);
      const size_t n = std::min(n_seq, site.size());
      const int* codes = n > 0 ? &site[0] : nullptr;
      for (size_t i = 0; i < n && !any; ++i) any = bad[codes[i]] != 0;
    }
    if (!any) return false;
  }
  const bpp::Site unknown = generateValidUnknownSite(container, codon_alphabet);

  // The zone bounds are signed: a zone wider than the alignment makes the right bound negative,
  // and a zone above 2147483647 is a negative value that leaves every position in the core.
  const int64_t n_sites = static_cast<int64_t>(container->getNumberOfSites());
  const int64_t zone = static_cast<int32_t>(tolerance_zone);
  const int64_t right_bound = n_sites - zone;
  const size_t n_sequences = container->getNumberOfSequences();
  int64_t left = -1, right = -1;
  bool reject = false;

  for (size_t s = 0; s < n_sequences; ++s) {
    for (int64_t p = 1; p <= n_sites; ++p) {
      const int code = container->valueAt(s, static_cast<size_t>(p - 1));
      if (!bad[code]) continue;
      if (zone >= p) {
        if (debug)
          std::cout << "(DEBUG - dealWithBadCodons) " << names[code] << " codon (Int Code: " << code
                    << ") detected in the tolerance zone (left side) ! (Position: " << p
                    << " - Sequence: " << s + 1 << ")" << std::endl;
        left = std::max(left, p);
      } else if (right_bound < p) {
        if (debug)
          std::cout << "(DEBUG - dealWithBadCodons) " << names[code] << " codon (Int Code: " << code
                    << ") detected in the tolerance zone (right side) ! (Position: " << p
                    << " - Sequence: " << s + 1 << ")" << std::endl;
        right = std::max(right, n_sites - p + 1);
        break;  // the rest of this sequence goes with the right trim
      } else {
        if (debug)
          std::cout << "(DEBUG - dealWithBadCodons) " << names[code] << " codon (Int Code: " << code
                    << ") detected in the core part of the sequence ! (Position: " << p
                    << " - Sequence: " << s + 1 << ")" << std::endl;
        if (allow_internal_bad_codons)
          container->setSite(static_cast<size_t>(p - 1), unknown, false);
        else
          reject = true;
      }
    }
  }
  if (reject) return true;
  removeLeftBadSites(container, static_cast<int>(left), debug);
  removeRightBadSites(container, static_cast<int>(right), debug);
  return false;
}

void PolymorphismSequenceContainerAddons::removeLeftBadSites(
    bpp::PolymorphismSequenceContainer* container, int number_of_sites, bool debug) {
  if (number_of_sites < 0) return;
  if (debug)
    std::cout << "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the "
                 "tolerance zone (left side): ignoring first "
              << number_of_sites << " codons" << std::endl;
  if (number_of_sites > 0) container->deleteSites(0, static_cast<size_t>(number_of_sites));
}

void PolymorphismSequenceContainerAddons::removeRightBadSites(
    bpp::PolymorphismSequenceContainer* container, int number_of_sites, bool debug) {
  if (number_of_sites < 0) return;
  if (debug)
    std::cout << "(DEBUG - removeRightBadSites) Stop/Frameshift codon(s) have been detected in the "
                 "tolerance zone (right side): ignoring last "
              << number_of_sites << " codons" << std::endl;
  const size_t n = static_cast<size_t>(number_of_sites);
  const size_t m = container->getNumberOfSites();
  if (n == 0) return;
  if (n > m)  // more sites than the container holds: let the container refuse the range
    container->deleteSites(0, n);
  else
    container->deleteSites(m - n, n);
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSites(
    bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
    unsigned int nb_ingroup, unsigned int min_resolved, bool debug) {
  const PerCode<char> gap_or_n(codon_alphabet, [&](int code) {
    return static_cast<char>(isGapOrUnresolved(codon_alphabet, code));
  });
  const size_t n_sequences = container->getNumberOfSequences();
  std::vector<size_t> ingroup;
  for (size_t i = 0; i < n_sequences; ++i)
    if (container->isIngroupMember(i)) ingroup.push_back(i);

  // Sites are visited from the last; the removed ones are taken out afterwards by runs of
  // consecutive sites, which leaves the same container as removing each one on the spot.
  std::vector<size_t> removed;  // descending
  for (size_t j = container->getNumberOfSites(); j-- > 0;) {
    const bpp::Site& site = container->getSite(j);
    uint32_t c = 0;
    for (size_t i : ingroup) c += static_cast<uint32_t>(gap_or_n[site[i]]);
    if (static_cast<uint32_t>(nb_ingroup - c) < min_resolved) {
      if (debug)
        std::cout << "(DEBUG - removeHighlyGappedSites) Site number " << j << " will be removed ("
                  << c << " sequence(s) with too much gaps or N bases)" << std::endl;
      removed.push_back(j);
    }
  }
  for (size_t k = 0; k < removed.size();) {
    size_t last = k;  // removed[k] is the highest index of a run going down to removed[last]
    while (last + 1 < removed.size() && removed[last + 1] + 1 == removed[last]) ++last;
    container->deleteSites(removed[last], last - k + 1);
    k = last + 1;
  }
}

void PolymorphismSequenceContainerAddons::removeHighlyGappedSequences(
    bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
    double max_share, bool debug) {
  const PerCode<char> gap_or_n(codon_alphabet, [&](int code) {
    return static_cast<char>(isGapOrUnresolved(codon_alphabet, code));
  });
  const size_t n_sequences = container->getNumberOfSequences();
  const size_t n_sites = container->getNumberOfSites();
  std::vector<size_t> gapped(n_sequences, 0);
  for (size_t j = 0; j < n_sites; ++j) {
    const bpp::Site& site = container->getSite(j);
    for (size_t i = 0; i < n_sequences; ++i) gapped[i] += static_cast<size_t>(gap_or_n[site[i]]);
  }
  const std::vector<std::string> names = container->getSequencesNames();
  for (size_t i = n_sequences; i-- > 0;) {
    const double share = static_cast<double>(gapped[i]) / static_cast<double>(n_sites);
    if (share > max_share) {
      if (debug)
        std::cout << "(DEBUG - removeHighlyGappedSequences) Sequence " << names[i]
                  << " will be removed (" << share * 100 << " % of gaps or N bases)" << std::endl;
      container->deleteSequence(i);
    }
  }
}

void PolymorphismSequenceContainerAddons::removeGroupFromContainer(
    bpp::PolymorphismSequenceContainer* container, unsigned int group_id, bool debug) {
  const std::vector<std::string> names = container->getSequencesNames();
  for (size_t i = names.size(); i-- > 0;) {
    if (container->getGroupId(i) != group_id) continue;
    if (debug)
      std::cout << "(DEBUG - removeGroupFromContainer) Sequence " << names[i]
                << " will be removed (Member of group " << group_id << ")" << std::endl;
    container->deleteSequence(i);
  }
}

}  // namespace mrv
