#pragma once
// Operations on the codon container of one contig: fields of sequence names, group tagging and
// counts, stop/frameshift codons in the tolerance zones and in the core, removal of gapped sites,
// gapped sequences and whole groups.
//
// Sequence names read "Contig_name|Species_name|Individual_name|Allele_number"; fields count
// from 1 and empty fields are skipped. Group ids: 0 focal species (ingroup), 1 main outgroup
// species, 2 any other species (both outgroup).
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Site.h>

#include <map>
#include <string>
#include <vector>

namespace mrv {

class PolymorphismSequenceContainerAddons {
 public:
  virtual ~PolymorphismSequenceContainerAddons() {}

  // Field 1, 2 or 3 of the name of sequence `index` (field 1 when the name has too few fields).
  // A bad index or an empty container throws a FatalError (status 1) reporting the problem.
  static std::string getContigNameFromContainer(const bpp::PolymorphismSequenceContainer* container,
                                                unsigned int index);
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

  // Sets the group id (0, 1, 2) and the ingroup flag of every sequence from its species field.
  static void tagAllSequences(bpp::PolymorphismSequenceContainer* container,
                              const std::string& focal_species, bool debug,
                              const std::string& outgroup_species);
  // Number of sequences of each group id present, in ascending id order.
  static std::map<unsigned int, unsigned int> getNumberOfMembers(
      const bpp::PolymorphismSequenceContainer* container, bool debug);
  // A site holding the unresolved codon for every sequence of the container.
  static bpp::Site generateValidUnknownSite(const bpp::PolymorphismSequenceContainer* container,
                                            const bpp::CodonAlphabet* codon_alphabet);
  // Trims the columns of stop/frameshift codons met in the tolerance zones and, when allowed,
  // turns the columns of core ones into unresolved codons. Returns true (container unchanged)
  // when a core one is met and they are not allowed.
  static bool dealWithBadCodons(bpp::PolymorphismSequenceContainer* container,
                                const bpp::CodonAlphabet* codon_alphabet,
                                unsigned int tolerance_zone, bool allow_internal_bad_codons,
                                bool debug);
  // Removes the first / last `number_of_sites` sites (nothing when negative).
  static void removeLeftBadSites(bpp::PolymorphismSequenceContainer* container,
                                 int number_of_sites, bool debug);
  static void removeRightBadSites(bpp::PolymorphismSequenceContainer* container,
                                  int number_of_sites, bool debug);
  // Removes every site where fewer than `min_resolved` ingroup sequences hold a codon that is
  // neither a gap nor unresolved (`nb_ingroup` being the number of ingroup sequences).
  static void removeHighlyGappedSites(bpp::PolymorphismSequenceContainer* container,
                                      const bpp::CodonAlphabet* codon_alphabet,
                                      unsigned int nb_ingroup, unsigned int min_resolved,
                                      bool debug);
  // Removes every sequence whose share of gap or unresolved codons is strictly above `max_share`.
  static void removeHighlyGappedSequences(bpp::PolymorphismSequenceContainer* container,
                                          const bpp::CodonAlphabet* codon_alphabet,
                                          double max_share, bool debug);
  // Removes every sequence of group `group_id`.
  static void removeGroupFromContainer(bpp::PolymorphismSequenceContainer* container,
                                       unsigned int group_id, bool debug);

 private:
  // Checks `index` against the container; on a bad index or an empty container throws the
  // FatalError of _throwNameProblem.
  static void _checkIndexOrThrow(const bpp::PolymorphismSequenceContainer* container,
                                unsigned int index, const std::string& empty_message,
                                bool empty_as_warning);
  // Throws the FatalError of a name getter's problem: `message` reported as an error ("ERROR!!! ",
  // standard error) or as a warning ("WARNING!!! ", standard output), exit status 1.
  [[noreturn]] static void _throwNameProblem(const std::string& message, bool as_warning);
};

}  // namespace mrv
