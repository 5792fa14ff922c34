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
#include "analysis/StatisticsEngine.h"

namespace mrv {

namespace {

StatisticsEngine::LibraryInput libraryInput(const bpp::PolymorphismSequenceContainer* container) {
  return [container]() -> const bpp::PolymorphismSequenceContainer& { return *container; };
}

void addConsensus(bpp::PolymorphismSequenceContainer* to, const bpp::PolymorphismSequenceContainer& from,
                  const std::string& name) {
  std::unique_ptr<bpp::Sequence> consensus(bpp::SiteContainerTools::getConsensus(from, name, true, false));
  to->addSequenceWithFrequency(*consensus, 1, true);
}

}  // namespace

SelectionIndicators::SelectionIndicators(const bpp::Sequence* first, const bpp::Sequence* second,
                                         const bpp::CodonAlphabet* codon_alphabet)
    : _container(new bpp::PolymorphismSequenceContainer(codon_alphabet)) {
  _container->addSequenceWithFrequency(*first, 1, true);
  _container->addSequenceWithFrequency(*second, 1, true);
}

SelectionIndicators::SelectionIndicators(const bpp::PolymorphismSequenceContainer* first,
                                         const bpp::PolymorphismSequenceContainer* second,
                                         const bpp::CodonAlphabet* codon_alphabet, std::string first_name,
                                         std::string second_name)
    : _container(new bpp::PolymorphismSequenceContainer(codon_alphabet)) {
  addConsensus(_container, *first, first_name);
  addConsensus(_container, *second, second_name);
}

SelectionIndicators::SelectionIndicators(const bpp::PolymorphismSequenceContainer* source,
                                         const bpp::CodonAlphabet* codon_alphabet, std::string name)
    : _container(new bpp::PolymorphismSequenceContainer(codon_alphabet)) {
  addConsensus(_container, *source, name);
}

SelectionIndicators::~SelectionIndicators() {
  _columns.reset();
  delete _container;
  _container = nullptr;
}

const CodonColumns& SelectionIndicators::_codons() {
  if (!_columns) _columns.reset(new CodonColumns(*_container));
  return *_columns;
}

void SelectionIndicators::determine_nN(StatisticsEngine& engine, double ratio) {
  const CodonColumns& codons = _codons();
  _nN = engine.mean_non_synonymous_sites(codons, libraryInput(_container), ratio);
}

void SelectionIndicators::determine_nS(StatisticsEngine& engine, double ratio) {
  const CodonColumns& codons = _codons();
  _nS = engine.mean_synonymous_sites(codons, libraryInput(_container), ratio);
}

void SelectionIndicators::determine_fixN(StatisticsEngine& engine) {
  if (_container->getNumberOfSequences() < 2) return;
  const CodonColumns& codons = _codons();
  _fixN = engine.non_synonymous_substitutions(codons, libraryInput(_container), 0.0);
}

void SelectionIndicators::determine_fixS(StatisticsEngine& engine) {
  if (_container->getNumberOfSequences() < 2) return;
  const CodonColumns& codons = _codons();
  _fixS = engine.synonymous_substitutions(codons, libraryInput(_container), 0.0);
}

void SelectionIndicators::determine_fixSnS_ratio() {
  if (_fixS > 0.0 && _nS > 0.0) _fixSnS_ratio = _fixS / _nS;
}

void SelectionIndicators::countSequencesAndSites(StatisticsEngine& engine) {
  _number_of_sequences = static_cast<int>(_container->getNumberOfSequences());
  _number_of_sites = static_cast<int>(_container->getNumberOfSites());
  const CodonColumns& codons = _codons();
  _number_of_complete_sites = static_cast<int>(engine.complete_sites(codons, libraryInput(_container)));
}

void SelectionIndicators::determine_all_attributes(StatisticsEngine& engine, double ratio) {
  determine_nN(engine, ratio);
  determine_nS(engine, ratio);
  determine_fixN(engine);
  determine_fixS(engine);
  determine_fixSnS_ratio();
  countSequencesAndSites(engine);
}

}  // namespace mrv

void collectSelectionIndicators(const bpp::Sequence* ingroup_consensus, const bpp::Sequence* outgroup_consensus,
                                const bpp::CodonAlphabet* codon_alphabet, mrv::StatisticsEngine& engine,
                                ResultsWarehouse* store, double kappa) {
  // The two sequences are read as the sites of a two-sequence container would hold them; the
  // container itself is only put together when the library reads it, or to refuse the pair (two
  // sequences of the same name).
  std::unique_ptr<bpp::PolymorphismSequenceContainer> pair;
  const mrv::StatisticsEngine::LibraryInput library = [&]() -> const bpp::PolymorphismSequenceContainer& {
    if (!pair) {
      pair.reset(new bpp::PolymorphismSequenceContainer(codon_alphabet));
      pair->addSequenceWithFrequency(*ingroup_consensus, 1, true);
      pair->addSequenceWithFrequency(*outgroup_consensus, 1, true);
    }
    return *pair;
  };
  if (ingroup_consensus->getName() == outgroup_consensus->getName()) library();
  const mrv::CodonColumns codons({ingroup_consensus, outgroup_consensus}, codon_alphabet, &engine.workspace());
  store->set_nN(engine.mean_non_synonymous_sites(codons, library, kappa));
  store->set_nS(engine.mean_synonymous_sites(codons, library, kappa));
  store->set_nb_sequences_in_consensus(2u);
  store->set_nb_sites_in_consensus(static_cast<unsigned int>(engine.complete_sites(codons, library)));
}
