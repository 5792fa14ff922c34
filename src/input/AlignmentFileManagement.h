#pragma once
// Reading the alignment file into one codon container per contig, and cleaning the contigs.
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <string>
#include <vector>

#include "input/CompactContig.h"

namespace mrv {

class AlignmentFileManagement {
 public:
  virtual ~AlignmentFileManagement() {}

  // Reads the FASTA alignment file with the nucleic alphabet and returns, in file order, one new
  // container of codon sequences per run of consecutive records with the same contig name (the
  // first "|"-field of the sequence name). Sequences are cut into codons from their first base; a
  // trailing one or two bases are dropped. With `remove_frameshift`, a run holding a frameshift
  // base "!" is discarded whole. A malformed file (unknown letter, repeated name, name without
  // field, a contig name holding a tab or a carriage return, records of one contig of unequal length,
  // unreadable file) raises a bpp::Exception whose message names the record. The last three are
  // raised after the whole file is read and " -> Initial number of sequences: " printed with the
  // number of its records.
  static std::vector<bpp::PolymorphismSequenceContainer*> readAlignmentFile(
      const std::string& path, bool remove_frameshift, const bpp::NucleicAlphabet* nucleic_alphabet,
      const bpp::CodonAlphabet* codon_alphabet, bool debug);

  // The same contigs, kept compact (a container is made of one when a step needs it).
  static std::vector<CompactContig> readCompactAlignmentFile(const std::string& path, bool remove_frameshift,
                                                             const bpp::NucleicAlphabet* nucleic_alphabet,
                                                             const bpp::CodonAlphabet* codon_alphabet, bool debug);

  // First "|"-field of a sequence name (empty fields skipped); a bpp::Exception when there is none.
  static std::string _extractContigNameFromSequenceName(const std::string& name);

  // Largest number of sequence names of a contig that contain the focal name (after printing the
  // minimum and the maximum).
  static unsigned int getMaxNumberOfFocalIndividual(
      const std::vector<bpp::PolymorphismSequenceContainer*>& containers,
      const std::string& focal_species);

  // Cleans every contig in place, in list order, with its console report; returns the kept ones
  // in the same order. The rejected ones are left as the cleaning left them: they hold the edits of
  // the steps made before the rejection. A container whose alphabet is not of the type of
  // `codon_alphabet` raises bpp::AlphabetMismatchException when its turn comes, untouched, the
  // containers before it cleaned. Each container is cleaned as cleanCompactContigs cleans a contig,
  // on a compact copy, whose edits are then made on the container in place (names, comments, counts and site positions kept). Before any contig, a
  // focal species name or an individual name of the focal species that holds a tab or a line end
  // (names the output tables are made of) raises a bpp::Exception naming the dataset and the
  // sequence. A container without any sequence ends the cleaning with the FatalError of
  // PolymorphismSequenceContainerAddons::getContigNameFromContainer, after the error line of
  // getNumberOfMembers.
  static std::vector<bpp::PolymorphismSequenceContainer*> cleanMultiContainer(
      const std::vector<bpp::PolymorphismSequenceContainer*>& containers,
      const bpp::CodonAlphabet* codon_alphabet, const std::string& focal_species,
      unsigned int min_nb_codon, unsigned int tolerance_zone, bool allow_internal_bad_codons,
      unsigned int min_resolved_focal_codons, double max_gapped_share, bool debug,
      const std::string& outgroup_species);

  // The same cleaning of compact contigs, in place on their compact form; `contigs` is used up
  // (emptied) and the kept ones are returned in order. A contig holding a code that a container of
  // the codon alphabet cannot hold raises the library's bpp::BadIntException, as making that
  // container does, before the contig's report.
  static std::vector<CompactContig> cleanCompactContigs(
      std::vector<CompactContig>& contigs, const bpp::CodonAlphabet* codon_alphabet,
      const std::string& focal_species, unsigned int min_nb_codon, unsigned int tolerance_zone,
      bool allow_internal_bad_codons, unsigned int min_resolved_focal_codons, double max_gapped_share, bool debug,
      const std::string& outgroup_species);
};

}  // namespace mrv
