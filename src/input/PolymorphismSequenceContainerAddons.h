#pragma once
// Operations on the codon sequences of one contig: fields of sequence names, group tagging and
// counts, stop/frameshift codons in the tolerance zones and in the core, removal of gapped sites,
// gapped sequences and whole groups; on its container, or in place on its compact form.
//
// Sequence names read "Contig_name|Species_name|Individual_name|Allele_number"; fields count
// from 1 and empty fields are skipped. Group ids: 0 focal species (ingroup), 1 main outgroup
// species, 2 any other species (both outgroup).
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Site.h>

#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "input/CodonCodeFacts.h"
#include "input/CompactContig.h"
#include "input/ContigEdits.h"

namespace mrv {

class PolymorphismSequenceContainerAddons {
 public:
  virtual ~PolymorphismSequenceContainerAddons() {}

  // Field 1, 2 or 3 of the name of sequence `index` (field 1 when the name has too few fields).
  // A bad index or an empty container throws a FatalError (status 1) reporting the problem.
  static std::string getContigNameFromContainer(const bpp::PolymorphismSequenceContainer* container,
                                                unsigned int index);
  static std::string getContigNameFromContainer(const CompactContig& contig, unsigned int index);
  static std::string getSpeciesNameFromContainer(const bpp::PolymorphismSequenceContainer* container,
                                                 unsigned int index);
  static std::string getIndividualNameFromContainer(
      const bpp::PolymorphismSequenceContainer* container, unsigned int index);
  // The first fields (at most `max_count`) of the name of sequence `index`, split on any
  // character of `separator`. A bad index or an empty container throws as the getters above do.
  static std::vector<std::string> getNameElementsFromContainer(
      const bpp::PolymorphismSequenceContainer* container, const std::string& separator,
      unsigned int index, unsigned int max_count);

  // The same fields of a sequence name at hand (a container's getName builds the whole sequence,
  // so loops over sequences read getSequencesNames() once and use these).
  static std::string getContigNameFromName(const std::string& name);
  static std::string getSpeciesNameFromName(const std::string& name);
  static std::string getIndividualNameFromName(const std::string& name);
  static std::vector<std::string> getNameElementsFromName(const std::string& name, const std::string& separator,
                                                          unsigned int max_count);

  // The cleaning operations below come in two forms. The compact form works in place on a contig's
  // CompactContig, reads the codon alphabet through a CodonCodeFacts, and writes its debug lines
  // (each ended by std::endl) to `out`; given `edits`, it also keeps there what it did to the contig.
  // The container form, the one the rest of the program knows, runs the compact form on a compact
  // copy of the container with standard output and makes the same edits on the container itself, in
  // place: tags through its group and ingroup setters, codons replaced where they stand, sites and
  // sequences removed in time linear in the container. Names, comments, general comments, counts,
  // order and the positions of the remaining sites stay as they were. A container form given a codon alphabet refuses a container of another
  // (requireCodonAlphabet) and leaves it untouched. The run cleans compact contigs.

  // Sets the group id (0, 1, 2) and the ingroup flag of every sequence from its species field (the
  // focal test first; the outgroup name is compared as it is, "none" included); a name without any
  // field throws the tokenizer's bpp::Exception.
  static void tagAllSequences(bpp::PolymorphismSequenceContainer* container,
                              const std::string& focal_species, bool debug,
                              const std::string& outgroup_species);
  static void tagAllSequences(CompactContig& contig, const std::string& focal_species, bool debug,
                              const std::string& outgroup_species, std::ostream& out = std::cout,
                              ContigEdits* edits = nullptr);
  // Number of sequences of each group id present, in ascending id order; an id absent from the
  // map counts 0. No sequence: the error line "There is no group associated to your container !"
  // and an empty map. The compact form takes the sequences' names and group ids.
  static std::map<unsigned int, unsigned int> getNumberOfMembers(
      const bpp::PolymorphismSequenceContainer* container, bool debug);
  static std::map<unsigned int, unsigned int> getNumberOfMembers(const std::vector<std::string>& names,
                                                                 const std::vector<unsigned int>& groups,
                                                                 bool debug, std::ostream& out = std::cout);
  // A site holding the unresolved codon for every sequence of the container.
  static bpp::Site generateValidUnknownSite(const bpp::PolymorphismSequenceContainer* container,
                                            const bpp::CodonAlphabet* codon_alphabet);
  // Trims the columns of stop/frameshift codons met in the tolerance zones (the left trim is
  // removeLeftBadSites, the right one removeRightBadSites) and, when allowed, turns the columns of
  // core ones into unresolved codons. Returns true (contig unchanged) when a core one is met and
  // they are not allowed. The zone is read as a signed value: one above 2147483647 leaves every
  // position in the core.
  static bool dealWithBadCodons(bpp::PolymorphismSequenceContainer* container,
                                const bpp::CodonAlphabet* codon_alphabet,
                                unsigned int tolerance_zone, bool allow_internal_bad_codons,
                                bool debug);
  static bool dealWithBadCodons(CompactContig& contig, const CodonCodeFacts& codons, unsigned int tolerance_zone,
                                bool allow_internal_bad_codons, bool debug, std::ostream& out = std::cout,
                                ContigEdits* edits = nullptr);
  // Removes the first / last `number_of_sites` sites (nothing when negative); more sites than the
  // contig holds throws bpp::IndexOutOfBoundsException after the debug line, nothing removed. The
  // remaining sites keep their positions.
  static void removeLeftBadSites(bpp::PolymorphismSequenceContainer* container,
                                 int number_of_sites, bool debug);
  static void removeLeftBadSites(CompactContig& contig, int number_of_sites, bool debug,
                                 std::ostream& out = std::cout, ContigEdits* edits = nullptr);
  static void removeRightBadSites(bpp::PolymorphismSequenceContainer* container,
                                  int number_of_sites, bool debug);
  static void removeRightBadSites(CompactContig& contig, int number_of_sites, bool debug,
                                  std::ostream& out = std::cout, ContigEdits* edits = nullptr);
  // Removes every site where fewer than `min_resolved` ingroup sequences hold a codon that is
  // neither a gap nor unresolved (`nb_ingroup` being the number of ingroup sequences; the test is
  // nb_ingroup - c < min_resolved in unsigned arithmetic, c the ingroup sequences gapped there).
  static void removeHighlyGappedSites(bpp::PolymorphismSequenceContainer* container,
                                      const bpp::CodonAlphabet* codon_alphabet,
                                      unsigned int nb_ingroup, unsigned int min_resolved,
                                      bool debug);
  static void removeHighlyGappedSites(CompactContig& contig, const CodonCodeFacts& codons, unsigned int nb_ingroup,
                                      unsigned int min_resolved, bool debug, std::ostream& out = std::cout,
                                      ContigEdits* edits = nullptr);
  // Removes every sequence whose share of gap or unresolved codons is strictly above `max_share`
  // (none when the contig has no site).
  static void removeHighlyGappedSequences(bpp::PolymorphismSequenceContainer* container,
                                          const bpp::CodonAlphabet* codon_alphabet,
                                          double max_share, bool debug);
  static void removeHighlyGappedSequences(CompactContig& contig, const CodonCodeFacts& codons, double max_share,
                                          bool debug, std::ostream& out = std::cout, ContigEdits* edits = nullptr);
  // Removes every sequence of group `group_id`.
  static void removeGroupFromContainer(bpp::PolymorphismSequenceContainer* container,
                                       unsigned int group_id, bool debug);
  static void removeGroupFromContainer(CompactContig& contig, unsigned int group_id, bool debug,
                                       std::ostream& out = std::cout, ContigEdits* edits = nullptr);

 private:
  // Checks `index` against a contig of `nb_sequences` sequences; on a bad index or an empty
  // contig throws the FatalError of _throwNameProblem.
  static void _checkIndexOrThrow(size_t nb_sequences, unsigned int index, const std::string& empty_message,
                                 bool empty_as_warning);
  // Throws the FatalError of a name getter's problem: `message` reported as an error ("ERROR!!! ",
  // standard error) or as a warning ("WARNING!!! ", standard output), exit status 1.
  [[noreturn]] static void _throwNameProblem(const std::string& message, bool as_warning);
};

// Field `field` (from 1) of a sequence name into `value`, or field 1 when the name has fewer fields;
// false, `value` unchanged, when the name has no field at all (it is empty or only "|").
bool readNameField(const std::string& name, size_t field, std::string& value);

// Throws bpp::AlphabetMismatchException ("`where`: container and codon alphabet differ " and the two
// alphabets' types, the container's first) unless the container's alphabet is of the type of
// `codon_alphabet`, the comparison the library's own site setter makes. The forms given a codon
// alphabet check it before any edit: the codes of a container of another alphabet mean other codons,
// and the unresolved codon may be no code of it at all.
void requireCodonAlphabet(const bpp::PolymorphismSequenceContainer& container, const bpp::CodonAlphabet* codon_alphabet,
                          const std::string& where);

// The number of sequences of group `group_id` in group member counts: 0 for an id without entry.
unsigned int groupMemberCount(const std::map<unsigned int, unsigned int>& counts, unsigned int group_id);

}  // namespace mrv
