#include "input/CompactCleaning.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "input/FrameshiftCodonAlphabet.h"
#include "input/PolymorphismSequenceContainerAddons.h"

namespace mrv {

namespace {

using Addons = PolymorphismSequenceContainerAddons;

}  // namespace

// What the cleaning asks of each codon code, looked up once in the alphabet (indexed by the code's
// byte).
struct CompactCleaner::CodeFacts {
  explicit CodeFacts(const bpp::CodonAlphabet* alphabet) {
    for (int code = -128; code <= 127; ++code) {
      const size_t b = static_cast<std::uint8_t>(static_cast<std::int8_t>(code));
      known[b] = alphabet->isIntInAlphabet(code);
      if (!known[b]) continue;
      name[b] = alphabet->getName(alphabet->intToChar(code));
      bad[b] = name[b] == FrameshiftCodonAlphabet::STOP || name[b] == FrameshiftCodonAlphabet::FRAMESHIFT;
      gap_or_n[b] = alphabet->isGap(code) || alphabet->isUnresolved(code);
    }
  }
  static size_t at(std::int8_t code) { return static_cast<std::uint8_t>(code); }
  bool known[256] = {};
  bool bad[256] = {};
  bool gap_or_n[256] = {};
  std::string name[256];
};

namespace {

using CodeFacts = CompactCleaner::CodeFacts;

// The contig being cleaned: one row of codes per sequence, with its name, count, group and flag.
struct Working {
  std::vector<std::string> names;
  std::vector<std::vector<std::int8_t> > rows;
  std::vector<unsigned int> counts, groups;
  std::vector<char> ingroup;
  size_t nb_sites = 0;

  explicit Working(const CompactContig& contig)
      : names(contig.names()),
        counts(contig.counts()),
        groups(contig.groups()),
        ingroup(contig.ingroup()),
        nb_sites(contig.nb_sites()) {
    rows.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) rows.emplace_back(contig.row(i), contig.row(i) + nb_sites);
  }

  CompactContig compact() const {
    std::vector<std::int8_t> codons;
    codons.reserve(rows.size() * nb_sites);
    for (const auto& row : rows) codons.insert(codons.end(), row.begin(), row.end());
    return CompactContig(names, std::move(codons), nb_sites, counts, groups, ingroup);
  }

  void removeSequence(size_t i) {
    names.erase(names.begin() + static_cast<std::ptrdiff_t>(i));
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
    counts.erase(counts.begin() + static_cast<std::ptrdiff_t>(i));
    groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(i));
    ingroup.erase(ingroup.begin() + static_cast<std::ptrdiff_t>(i));
  }
  void removeSites(size_t first, size_t count) {
    for (auto& row : rows)
      row.erase(row.begin() + static_cast<std::ptrdiff_t>(first),
                row.begin() + static_cast<std::ptrdiff_t>(first + count));
    nb_sites -= count;
  }
};

void tag(Working& w, const CleaningSettings& s, std::ostream& out) {
  for (size_t i = 0; i < w.names.size(); ++i) {
    const std::string species = Addons::getSpeciesNameFromName(w.names[i]);
    if (species == s.focal_species) {
      w.ingroup[i] = 1;
      w.groups[i] = 0;
      if (s.debug) out << "(DEBUG - tagAllSequences) Sequence: " << w.names[i] << " is part of the ingroup" << std::endl;
      continue;
    }
    w.ingroup[i] = 0;
    if (species == s.outgroup_species) {
      w.groups[i] = 1;
      if (s.debug)
        out << "(DEBUG - tagAllSequences) Sequence: " << w.names[i] << " is part of the outgroup (main outgroup species)"
            << std::endl;
    } else {
      w.groups[i] = 2;
      if (s.debug)
        out << "(DEBUG - tagAllSequences) Sequence: " << w.names[i] << " is part of the outgroup (other species)"
            << std::endl;
    }
  }
}

std::map<unsigned int, unsigned int> members(const Working& w, bool debug, std::ostream& out) {
  const std::set<unsigned int> ids(w.groups.begin(), w.groups.end());
  if (ids.empty()) bpp::ApplicationTools::displayError("There is no group associated to your container !");
  std::map<unsigned int, unsigned int> counts;
  for (unsigned int id : ids) counts[id] = 0;
  for (size_t i = 0; i < w.groups.size(); ++i) {
    ++counts[w.groups[i]];
    if (debug)
      out << "(DEBUG - getNumberOfMembers) Sequence " << w.names[i] << " is a member of group " << w.groups[i]
          << std::endl;
  }
  if (debug) {
    out << "(DEBUG - getNumberOfMembers) Number of groups: " << ids.size() << std::endl;
    for (const auto& entry : counts)
      out << "(DEBUG - getNumberOfMembers) Group " << entry.first << ": " << entry.second << " member(s)" << std::endl;
  }
  return counts;
}

unsigned int countOf(const std::map<unsigned int, unsigned int>& counts, unsigned int id) {
  const auto it = counts.find(id);
  return it == counts.end() ? 0 : it->second;
}

void removeGroup(Working& w, unsigned int group_id, bool debug, std::ostream& out) {
  for (size_t i = w.names.size(); i-- > 0;) {
    if (w.groups[i] != group_id) continue;
    if (debug)
      out << "(DEBUG - removeGroupFromContainer) Sequence " << w.names[i] << " will be removed (Member of group "
          << group_id << ")" << std::endl;
    w.removeSequence(i);
  }
}

// Stop and frameshift codons: trimmed with the tolerance zones, replaced by the unknown codon or
// making the contig rejected in the core. False when rejected. The two trims never overlap: the left
// one ends at a position within the zone, the right one starts beyond it.
bool dealWithBadCodons(Working& w, const CodeFacts& facts, const CleaningSettings& s, std::ostream& out) {
  bool any = false;
  for (size_t i = 0; i < w.rows.size() && !any; ++i)
    for (std::int8_t code : w.rows[i])
      if (facts.bad[CodeFacts::at(code)]) {
        any = true;
        break;
      }
  if (!any) return true;
  const std::int8_t unknown = static_cast<std::int8_t>(s.codon_alphabet->getUnknownCharacterCode());
  const int64_t n_sites = static_cast<int64_t>(w.nb_sites);
  const int64_t zone = static_cast<int32_t>(s.tolerance_zone);
  const int64_t right_bound = n_sites - zone;
  int64_t left = -1, right = -1;
  bool reject = false;
  for (size_t q = 0; q < w.rows.size(); ++q) {
    for (int64_t p = 1; p <= n_sites; ++p) {
      const std::int8_t code = w.rows[q][static_cast<size_t>(p - 1)];
      const size_t b = CodeFacts::at(code);
      if (!facts.bad[b]) continue;
      const char* where = zone >= p ? "in the tolerance zone (left side)"
                                    : right_bound < p ? "in the tolerance zone (right side)"
                                                      : "in the core part of the sequence";
      if (s.debug)
        out << "(DEBUG - dealWithBadCodons) " << facts.name[b] << " codon (Int Code: " << static_cast<int>(code)
            << ") detected " << where << " ! (Position: " << p << " - Sequence: " << q + 1 << ")" << std::endl;
      if (zone >= p) {
        left = std::max(left, p);
      } else if (right_bound < p) {
        right = std::max(right, n_sites - p + 1);
        break;  // the rest of this sequence goes with the right trim
      } else if (s.allow_internal_bad_codons) {
        for (auto& row : w.rows) row[static_cast<size_t>(p - 1)] = unknown;
      } else {
        reject = true;
      }
    }
  }
  if (reject) return false;
  if (left >= 0) {
    if (s.debug)
      out << "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (left "
             "side): ignoring first "
          << left << " codons" << std::endl;
    w.removeSites(0, static_cast<size_t>(left));
  }
  if (right >= 0) {
    if (s.debug)
      out << "(DEBUG - removeRightBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (right "
             "side): ignoring last "
          << right << " codons" << std::endl;
    w.removeSites(w.nb_sites - static_cast<size_t>(right), static_cast<size_t>(right));
  }
  return true;
}

void removeHighlyGappedSites(Working& w, const CodeFacts& facts, unsigned int nb_ingroup, unsigned int min_resolved,
                             bool debug, std::ostream& out) {
  std::vector<size_t> ingroup;
  for (size_t i = 0; i < w.rows.size(); ++i)
    if (w.ingroup[i]) ingroup.push_back(i);
  std::vector<char> keep(w.nb_sites, 1);
  for (size_t j = w.nb_sites; j-- > 0;) {
    uint32_t c = 0;
    for (size_t i : ingroup) c += static_cast<uint32_t>(facts.gap_or_n[CodeFacts::at(w.rows[i][j])]);
    if (static_cast<uint32_t>(nb_ingroup - c) < min_resolved) {
      if (debug)
        out << "(DEBUG - removeHighlyGappedSites) Site number " << j << " will be removed (" << c
            << " sequence(s) with too much gaps or N bases)" << std::endl;
      keep[j] = 0;
    }
  }
  const size_t kept = static_cast<size_t>(std::count(keep.begin(), keep.end(), 1));
  if (kept == w.nb_sites) return;
  for (auto& row : w.rows) {
    size_t to = 0;
    for (size_t j = 0; j < w.nb_sites; ++j)
      if (keep[j]) row[to++] = row[j];
    row.resize(kept);
  }
  w.nb_sites = kept;
}

void removeHighlyGappedSequences(Working& w, const CodeFacts& facts, double max_share, bool debug, std::ostream& out) {
  for (size_t i = w.rows.size(); i-- > 0;) {
    size_t gapped = 0;
    for (std::int8_t code : w.rows[i]) gapped += static_cast<size_t>(facts.gap_or_n[CodeFacts::at(code)]);
    const double share = static_cast<double>(gapped) / static_cast<double>(w.nb_sites);
    if (share > max_share) {
      if (debug)
        out << "(DEBUG - removeHighlyGappedSequences) Sequence " << w.names[i] << " will be removed ("
            << share * 100 << " % of gaps or N bases)" << std::endl;
      w.removeSequence(i);
    }
  }
}

}  // namespace

CompactCleaner::CompactCleaner(CleaningSettings settings)
    : _settings(std::move(settings)), _facts(new CodeFacts(_settings.codon_alphabet)) {}

CompactCleaner::~CompactCleaner() = default;

CleaningResult CompactCleaner::clean(CompactContig& contig, size_t k) const {
  const CleaningSettings& s = _settings;
  const CodeFacts& facts = *_facts;
  if (contig.nb_sequences() == 0) return CleaningResult::kNeedsContainer;
  for (size_t i = 0; i < contig.nb_sequences(); ++i)
    for (size_t p = 0; p < contig.nb_sites(); ++p)
      if (!facts.known[CodeFacts::at(contig.row(i)[p])]) return CleaningResult::kNeedsContainer;

  // The report is kept until the contig is known to need no container, then printed whole.
  std::ostringstream out;
  Working w(contig);
  auto reject = [&out](const char* warning) {
    out << warning << std::endl << std::endl;
    std::cout << out.str() << std::flush;
    return CleaningResult::kRejected;
  };
  tag(w, s, out);
  std::map<unsigned int, unsigned int> counts = members(w, s.debug, out);
  const std::string name = Addons::getContigNameFromName(w.names[0]);
  const unsigned int focal_count = countOf(counts, 0);
  out << " -> Dataset " << k << " (" << name << "):" << std::endl;
  out << "   --> Original number of sequences : " << w.names.size() << " sequence(s) (Ingroup: " << focal_count
      << ", Outgroup: " << countOf(counts, 1) << ", Other: " << countOf(counts, 2) << ")" << std::endl;
  out << "   --> Original number of sites: " << w.nb_sites << " site(s)" << std::endl;
  if (countOf(counts, 2) > 0) {
    removeGroup(w, 2, s.debug, out);
    tag(w, s, out);
  }
  if (!dealWithBadCodons(w, facts, s, out))
    return reject("   --> Warning: At least one internal Stop/Frameshift codon has been detected ! Current dataset "
                  "won't be conserved !");
  removeHighlyGappedSites(w, facts, focal_count, s.min_resolved_focal_codons, s.debug, out);
  removeHighlyGappedSequences(w, facts, s.max_gapped_share, s.debug, out);
  tag(w, s, out);
  if (w.names.size() < 2 || w.nb_sites < s.min_nb_codon)
    return reject("   --> Warning: Not enough data available after cleaning (stop, gap and N) ! Current dataset "
                  "won't be conserved !");
  out << "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): " << w.names.size()
      << " sequence(s), " << w.nb_sites << " site(s)" << std::endl;
  counts = members(w, s.debug, out);
  if (countOf(counts, 0) == 0)
    return reject("   --> Warning: There is no more ingroup's sequence ! Current dataset won't be conserved !");
  if (countOf(counts, 1) == 0 && s.outgroup_species != "none") {
    out << "   --> Warning: There is no more sequence of the specified outgroup species (" << s.outgroup_species
        << ") ! Current dataset won't be conserved !" << std::endl
        << std::endl;
    std::cout << out.str() << std::flush;
    return CleaningResult::kRejected;
  }
  out << std::endl;
  std::cout << out.str() << std::flush;
  contig = w.compact();
  return CleaningResult::kKept;
}

}  // namespace mrv
