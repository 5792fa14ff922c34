#include "input/AlignmentFileManagement.h"

#include <Bpp/Exceptions.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <unordered_map>

#include "input/CodonCodeFacts.h"
#include "input/ContigEdits.h"
#include "input/FastaRecordReader.h"
#include "input/NameSafety.h"
#include "input/PolymorphismSequenceContainerAddons.h"
#include "input/TripletTable.h"

namespace mrv {

namespace {

using Container = bpp::PolymorphismSequenceContainer;
using Addons = PolymorphismSequenceContainerAddons;

// The codon sequences of one run of records, until it becomes a container.
struct Run {
  std::vector<std::string> names;
  std::vector<std::int8_t> codons;  // one row of `sites` codons per sequence
  size_t sites = 0;
  size_t nucleotides = 0;  // length of the run's first record
  size_t first_record = 0;
  std::string first_name;
};

// Refuses a focal species name, or an individual name of one of its sequences, that the output
// tables cannot hold (the species name heads columns of the main output file, the individual names
// head columns and fill the distance file). Other species' names are never written.
// `namesOf(k)` gives the sequence names of dataset k.
template <class NamesOf>
void refuseFocalNamesBreakingTables(size_t nb_datasets, NamesOf namesOf, const std::string& focal_species) {
  const std::string problem = nameBreakingTables(focal_species, false);
  if (!problem.empty())
    throw bpp::Exception("The ingroup species name \"" + visibleName(focal_species) + "\" (-ingroup) " + problem +
                         kTableNamesRule);
  for (size_t k = 0; k < nb_datasets; ++k) {
    const std::vector<std::string> names = namesOf(k);
    for (size_t i = 0; i < names.size(); ++i) {
      const std::vector<std::string> fields = Addons::getNameElementsFromName(names[i], "|", 3);
      if (fields.size() < 3 || fields[1] != focal_species) continue;
      const std::string individual_problem = nameBreakingTables(fields[2], endsWith(names[i], fields[2]));
      if (individual_problem.empty()) continue;
      throw bpp::Exception("Dataset " + std::to_string(k + 1) + " (" + visibleName(fields[0]) + "), sequence " +
                           std::to_string(i + 1) + " (" + visibleName(names[i]) + "): the individual name \"" +
                           visibleName(fields[2]) + "\" " + individual_problem + kTableNamesRule);
    }
  }
}

}  // namespace

std::string AlignmentFileManagement::_extractContigNameFromSequenceName(const std::string& name) {
  std::string field;
  if (!readNameField(name, 1, field))
    throw bpp::Exception("The sequence name \"" + name +
                         "\" has no field: no contig name can be read from it.");
  return field;
}

std::vector<Container*> AlignmentFileManagement::readAlignmentFile(
    const std::string& path, bool remove_frameshift, const bpp::NucleicAlphabet* nucleic_alphabet,
    const bpp::CodonAlphabet* codon_alphabet, bool debug) {
  std::vector<CompactContig> compact =
      readCompactAlignmentFile(path, remove_frameshift, nucleic_alphabet, codon_alphabet, debug);
  std::vector<Container*> contigs;
  try {
    for (CompactContig& contig : compact) {
      contigs.push_back(contig.container(codon_alphabet));
      contig = CompactContig();
    }
  } catch (...) {
    for (Container* c : contigs) delete c;
    throw;
  }
  return contigs;
}

std::vector<CompactContig> AlignmentFileManagement::readCompactAlignmentFile(
    const std::string& path, bool remove_frameshift, const bpp::NucleicAlphabet* nucleic_alphabet,
    const bpp::CodonAlphabet* codon_alphabet, bool debug) {
  FastaRecordReader records(path, nucleic_alphabet);
  const TripletTable triplets(nucleic_alphabet, codon_alphabet);
  const int frameshift_base =
      nucleic_alphabet->isCharInAlphabet("!") ? nucleic_alphabet->charToInt("!") : FastaRecordReader::kNoLetter;

  std::vector<CompactContig> contigs;
  std::ostringstream run_lines;  // printed after the number of records, as they come
  std::unordered_map<std::string, size_t> seen;  // sequence name -> record number
  std::unique_ptr<Run> open;
  std::string current, contig;
  bool keep = true;
  size_t runs = 0, eliminated = 0;

  auto close_open_run = [&]() {
    if (!open) return;
    const size_t n = open->names.size();
    open->codons.shrink_to_fit();  // kept to the end of the run: no growth slack
    contigs.emplace_back(std::move(open->names), std::move(open->codons), open->sites,
                         std::vector<unsigned int>(n, 1), std::vector<unsigned int>(n, 1), std::vector<char>(n, 1));
    open.reset();  // the run's codons go as soon as its contig is stored
  };

  // The number of records, then the lines written while they were read.
  auto report_records = [&]() {
    std::cout << " -> Initial number of sequences: " << records.recordNumber() << std::endl;
    std::cout << run_lines.str() << std::flush;
  };

  // A record that cannot join its contig (a name without field or with a character that the
  // output tables cannot hold, a length unlike its contig's) ends the reading, but only once every
  // record is counted: the number of records is reported first. Letters and repeated names are
  // still checked in the records after it.
  std::string refused;
  {
    while (records.next()) {
      const std::string& name = records.name();
      const auto inserted = seen.emplace(name, records.recordNumber());
      if (!inserted.second)
        throw bpp::Exception(records.where() + ": this sequence name is already used by record " +
                             std::to_string(inserted.first->second) + ".");
      if (!refused.empty()) continue;
      if (!readNameField(name, 1, contig)) {
        refused = records.where() +
                  ": the sequence name has no field, so it names no contig "
                  "(\"Contig_name|Species_name|Individual_name|Allele_number\").";
        open.reset();
        continue;
      }
      const std::string problem = nameBreakingTables(contig, endsWith(name, contig));
      if (!problem.empty()) {
        refused = records.where() + ": the contig name \"" + visibleName(contig) + "\" " + problem +
                  kTableNamesRule;
        open.reset();
        continue;
      }
      if (contig == current) {
        if (!keep) continue;  // the rest of a discarded contig
      } else {
        close_open_run();
        current = contig;
        open.reset(new Run());
        ++runs;
        keep = true;
      }
      const std::vector<std::int8_t>& bases = records.nucleotides();
      if (remove_frameshift) {
        const auto fs = std::find(bases.begin(), bases.end(), frameshift_base);
        if (fs != bases.end()) {
          if (debug) {
            run_lines << "Contig " << contig << " has a frameshift (Position: " << (fs - bases.begin())
                      << ")\n";
            run_lines << "   --> Frameshift detected ! The current alignment will be discarded..\n";
          }
          ++eliminated;
          open.reset();
          keep = false;
          continue;
        }
      }
      Run& run = *open;
      if (run.names.empty()) {
        run.nucleotides = bases.size();
        run.sites = bases.size() / 3;
        run.first_record = records.recordNumber();
        run.first_name = name;
      } else if (bases.size() != run.nucleotides) {
        refused = records.where() + ": " + std::to_string(bases.size()) +
                  " nucleotides, while the first record of its contig (record " +
                  std::to_string(run.first_record) + ", " + visibleName(run.first_name) + ") has " +
                  std::to_string(run.nucleotides) + "; the sequences of a contig must be aligned.";
        open.reset();
        continue;
      }
      run.names.push_back(name);
      const size_t start = run.codons.size();
      run.codons.resize(start + run.sites);
      for (size_t p = 0; p < run.sites; ++p)
        run.codons[start + p] = triplets.codon(bases[3 * p], bases[3 * p + 1], bases[3 * p + 2]);
    }
    if (!refused.empty()) {
      report_records();
      throw bpp::Exception(refused);
    }
    close_open_run();
  }

  report_records();
  std::cout << " -> Initial number of datasets/contigs: " << runs << std::endl;
  std::cout << std::endl;
  if (remove_frameshift) {
    std::cout << " -> Number of conserved contigs: " << contigs.size() << std::endl;
    std::cout << "   --> Number of eliminated frameshift-containing contigs: " << eliminated
              << std::endl;
    std::cout << std::endl;
  }
  return contigs;
}

unsigned int AlignmentFileManagement::getMaxNumberOfFocalIndividual(
    const std::vector<Container*>& containers, const std::string& focal_species) {
  unsigned int min = 1000000, max = 0;
  for (const Container* container : containers) {
    unsigned int count = 0;
    for (const std::string& name : container->getSequencesNames())
      if (name.find(focal_species) != std::string::npos) ++count;
    min = std::min(min, count);
    max = std::max(max, count);
  }
  std::cout << " -> Minimum/Maximum number of focal sequences by dataset/contig:" << std::endl;
  std::cout << "   --> Min: " << min << std::endl;
  std::cout << "   --> Max: " << max << std::endl;
  std::cout << std::endl;
  return max;
}

namespace {

// The options of the cleaning, as the run gives them.
struct CleaningSettings {
  std::string focal_species;
  unsigned int min_nb_codon;
  unsigned int tolerance_zone;
  bool allow_internal_bad_codons;
  unsigned int min_resolved_focal_codons;
  double max_gapped_share;
  bool debug;
  std::string outgroup_species;
};

// Cleans dataset k (counted from 1) in place, its report written to `out`; true when it is kept. A
// rejected contig is left as the step that rejected it left it.
bool cleanContig(CompactContig& contig, size_t k, const CodonCodeFacts& codons, const CleaningSettings& s,
                 std::ostream& out, ContigEdits* edits) {
  auto reject = [&out](const std::string& warning) {
    out << warning << std::endl << std::endl;
    return false;
  };
  Addons::tagAllSequences(contig, s.focal_species, s.debug, s.outgroup_species, out, edits);
  std::map<unsigned int, unsigned int> counts = Addons::getNumberOfMembers(contig.names(), contig.groups(), s.debug, out);
  const std::string name = Addons::getContigNameFromContainer(contig, 0);
  const unsigned int focal_count = groupMemberCount(counts, 0);
  out << " -> Dataset " << k << " (" << name << "):" << std::endl;
  out << "   --> Original number of sequences : " << contig.nb_sequences() << " sequence(s) (Ingroup: " << focal_count
      << ", Outgroup: " << groupMemberCount(counts, 1) << ", Other: " << groupMemberCount(counts, 2) << ")" << std::endl;
  out << "   --> Original number of sites: " << contig.nb_sites() << " site(s)" << std::endl;
  if (groupMemberCount(counts, 2) > 0) {
    Addons::removeGroupFromContainer(contig, 2, s.debug, out, edits);
    Addons::tagAllSequences(contig, s.focal_species, s.debug, s.outgroup_species, out, edits);
  }
  if (Addons::dealWithBadCodons(contig, codons, s.tolerance_zone, s.allow_internal_bad_codons, s.debug, out, edits))
    return reject("   --> Warning: At least one internal Stop/Frameshift codon has been detected ! "
                  "Current dataset won't be conserved !");
  Addons::removeHighlyGappedSites(contig, codons, focal_count, s.min_resolved_focal_codons, s.debug, out, edits);
  Addons::removeHighlyGappedSequences(contig, codons, s.max_gapped_share, s.debug, out, edits);
  Addons::tagAllSequences(contig, s.focal_species, s.debug, s.outgroup_species, out, edits);
  if (contig.nb_sequences() < 2 || contig.nb_sites() < s.min_nb_codon)
    return reject("   --> Warning: Not enough data available after cleaning (stop, gap and N) ! Current "
                  "dataset won't be conserved !");
  out << "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): " << contig.nb_sequences()
      << " sequence(s), " << contig.nb_sites() << " site(s)" << std::endl;
  counts = Addons::getNumberOfMembers(contig.names(), contig.groups(), s.debug, out);
  if (groupMemberCount(counts, 0) == 0)
    return reject("   --> Warning: There is no more ingroup's sequence ! Current dataset won't be conserved !");
  if (groupMemberCount(counts, 1) == 0 && s.outgroup_species != "none")
    return reject("   --> Warning: There is no more sequence of the specified outgroup species (" + s.outgroup_species +
                  ") ! Current dataset won't be conserved !");
  out << std::endl;
  return true;
}

// Cleans dataset k as cleanContig does and prints its report whole, also the lines written before an
// exception. A code that a container of the codon alphabet cannot hold throws the library's
// exception before anything is printed.
bool cleanAndReport(CompactContig& contig, size_t k, const CodonCodeFacts& codons, const CleaningSettings& s,
                    ContigEdits* edits = nullptr) {
  codons.requireKnownCodes(contig);
  std::ostringstream report;
  try {
    const bool kept = cleanContig(contig, k, codons, s, report, edits);
    std::cout << report.str() << std::flush;
    return kept;
  } catch (...) {
    std::cout << report.str() << std::flush;
    throw;
  }
}

}  // namespace

std::vector<Container*> AlignmentFileManagement::cleanMultiContainer(
    const std::vector<Container*>& containers, const bpp::CodonAlphabet* codon_alphabet,
    const std::string& focal_species, unsigned int min_nb_codon, unsigned int tolerance_zone,
    bool allow_internal_bad_codons, unsigned int min_resolved_focal_codons,
    double max_gapped_share, bool debug, const std::string& outgroup_species) {
  refuseFocalNamesBreakingTables(
      containers.size(), [&containers](size_t k) { return containers[k]->getSequencesNames(); }, focal_species);
  const CodonCodeFacts codons(codon_alphabet);
  const CleaningSettings settings{focal_species, min_nb_codon, tolerance_zone, allow_internal_bad_codons,
                                  min_resolved_focal_codons, max_gapped_share, debug, outgroup_species};
  std::vector<Container*> kept;
  for (size_t k = 0; k < containers.size(); ++k) {
    // Cleaned in compact form, and the cleaning's edits made on the container in place, kept or not.
    requireCodonAlphabet(*containers[k], codon_alphabet, "AlignmentFileManagement::cleanMultiContainer");
    CompactContig contig(*containers[k]);
    ContigEdits edits;
    const bool keep = cleanAndReport(contig, k + 1, codons, settings, &edits);
    edits.replay(*containers[k]);
    if (keep) kept.push_back(containers[k]);
  }
  return kept;
}

std::vector<CompactContig> AlignmentFileManagement::cleanCompactContigs(
    std::vector<CompactContig>& contigs, const bpp::CodonAlphabet* codon_alphabet, const std::string& focal_species,
    unsigned int min_nb_codon, unsigned int tolerance_zone, bool allow_internal_bad_codons,
    unsigned int min_resolved_focal_codons, double max_gapped_share, bool debug,
    const std::string& outgroup_species) {
  refuseFocalNamesBreakingTables(
      contigs.size(), [&contigs](size_t k) { return contigs[k].names(); }, focal_species);
  const CodonCodeFacts codons(codon_alphabet);
  const CleaningSettings settings{focal_species, min_nb_codon, tolerance_zone, allow_internal_bad_codons,
                                  min_resolved_focal_codons, max_gapped_share, debug, outgroup_species};
  std::vector<CompactContig> kept;
  for (size_t k = 0; k < contigs.size(); ++k) {
    if (cleanAndReport(contigs[k], k + 1, codons, settings)) kept.push_back(std::move(contigs[k]));
    contigs[k] = CompactContig();  // a rejected contig goes at once
  }
  contigs.clear();
  return kept;
}

}  // namespace mrv
