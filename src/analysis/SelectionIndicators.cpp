#include "analysis/SelectionIndicators.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <memory>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/ResultsWarehouse.h"

namespace mrv {

namespace {

void addConsensus(bpp::PolymorphismSequenceContainer* to, const bpp::PolymorphismSequenceContainer* from,
                  const std::string& name) {
  std::unique_ptr<bpp::Sequence> consensus(bpp::SiteContainerTools::getConsensus(*from, name, true, false));
  to->addSequenceWithFrequency(*consensus, 1, true);
}

}  // namespace

SelectionIndicators::SelectionIndicators(const bpp::Sequence* first, const bpp::Sequence* second,
                                         const bpp::CodonAlphabet* codon_alphabet)
    : container(new bpp::PolymorphismSequenceContainer(codon_alphabet)) {
  container->addSequenceWithFrequency(*first, 1, true);
  container->addSequenceWithFrequency(*second, 1, true);
}

SelectionIndicators::SelectionIndicators(const bpp::PolymorphismSequenceContainer* first,
                                         const bpp::PolymorphismSequenceContainer* second,
                                         const bpp::CodonAlphabet* codon_alphabet, std::string first_name,
                                         std::string second_name)
    : container(new bpp::PolymorphismSequenceContainer(codon_alphabet)) {
  addConsensus(container, first, first_name);
  addConsensus(container, second, second_name);
}

SelectionIndicators::SelectionIndicators(const bpp::PolymorphismSequenceContainer* source,
                                         const bpp::CodonAlphabet* codon_alphabet, std::string name)
    : container(new bpp::PolymorphismSequenceContainer(codon_alphabet)) {
  addConsensus(container, source, name);
}

SelectionIndicators::~SelectionIndicators() {
  delete container;
  container = nullptr;
}

void SelectionIndicators::determine_nN(bpp::StandardGeneticCode* genetic_code, double ratio) {
  const CodonColumns codons(*container);
  const CodonSiteStatistics statistics(codons, *genetic_code);
  nN = statistics.usable() ? statistics.mean_number_of_non_synonymous_sites(ratio)
                           : bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(*container, *genetic_code, ratio);
}

void SelectionIndicators::determine_nS(bpp::StandardGeneticCode* genetic_code, double ratio) {
  const CodonColumns codons(*container);
  const CodonSiteStatistics statistics(codons, *genetic_code);
  nS = statistics.usable() ? statistics.sum_of_mean_synonymous_positions(ratio)
                           : bpp::SequenceStatistics::meanNumberOfSynonymousSites(*container, *genetic_code, ratio);
}

void SelectionIndicators::determine_fixN(bpp::StandardGeneticCode* genetic_code) {
  if (container->getNumberOfSequences() < 2) return;
  const CodonColumns codons(*container);
  const CodonSiteStatistics statistics(codons, *genetic_code);
  fixN = statistics.usable()
             ? statistics.number_of_non_synonymous_substitutions(0.0)
             : bpp::SequenceStatistics::numberOfNonSynonymousSubstitutions(*container, *genetic_code, 0.0);
}

void SelectionIndicators::determine_fixS(bpp::StandardGeneticCode* genetic_code) {
  if (container->getNumberOfSequences() < 2) return;
  const CodonColumns codons(*container);
  const CodonSiteStatistics statistics(codons, *genetic_code);
  fixS = statistics.usable() ? statistics.number_of_synonymous_substitutions(0.0)
                             : bpp::SequenceStatistics::numberOfSynonymousSubstitutions(*container, *genetic_code, 0.0);
}

void SelectionIndicators::determine_fixSnS_ratio() {
  if (fixS > 0.0 && nS > 0.0) fixSnS_ratio = fixS / nS;
}

void SelectionIndicators::countSequencesAndSites() {
  number_of_sequences = static_cast<int>(container->getNumberOfSequences());
  number_of_sites = static_cast<int>(container->getNumberOfSites());
  const CodonColumns codons(*container);
  number_of_complete_sites =
      codons.usable()
          ? static_cast<int>(codons.nb_complete_sites())
          : static_cast<int>(bpp::PolymorphismSequenceContainerTools::getNumberOfCompleteSites(*container, false));
}

void SelectionIndicators::determine_all_attributes(bpp::StandardGeneticCode* genetic_code, double ratio) {
  determine_nN(genetic_code, ratio);
  determine_nS(genetic_code, ratio);
  determine_fixN(genetic_code);
  determine_fixS(genetic_code);
  determine_fixSnS_ratio();
  countSequencesAndSites();
}

}  // namespace mrv

void collectSelectionIndicators(const bpp::Sequence* ingroup_consensus, const bpp::Sequence* outgroup_consensus,
                                const bpp::CodonAlphabet* codon_alphabet, bpp::StandardGeneticCode* genetic_code,
                                ResultsWarehouse* store, double kappa) {
  // The two sequences are read as the sites of a two-sequence container would hold them; the
  // container itself is only put together when they cannot be (another alphabet or length, the
  // same name), for the library to refuse them.
  if (ingroup_consensus->getName() != outgroup_consensus->getName()) {
    const mrv::CodonColumns codons({ingroup_consensus, outgroup_consensus}, codon_alphabet);
    const mrv::CodonSiteStatistics statistics(codons, *genetic_code);
    if (statistics.usable()) {
      store->set_nN(statistics.mean_number_of_non_synonymous_sites(kappa));
      store->set_nS(statistics.sum_of_mean_synonymous_positions(kappa));
      store->set_nb_sequences_in_consensus(2u);
      store->set_nb_sites_in_consensus(static_cast<unsigned int>(static_cast<int>(codons.nb_complete_sites())));
      return;
    }
  }
  mrv::SelectionIndicators indicators(ingroup_consensus, outgroup_consensus, codon_alphabet);
  indicators.determine_nN(genetic_code, kappa);
  indicators.determine_nS(genetic_code, kappa);
  indicators.countSequencesAndSites();
  store->set_nN(indicators.get_nN());
  store->set_nS(indicators.get_nS());
  store->set_nb_sequences_in_consensus(static_cast<unsigned int>(indicators.get_number_of_sequences()));
  store->set_nb_sites_in_consensus(static_cast<unsigned int>(indicators.get_number_of_complete_sites()));
}
