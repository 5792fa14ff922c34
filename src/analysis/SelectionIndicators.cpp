#include "analysis/SelectionIndicators.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <functional>
#include <memory>
#include <utility>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"

namespace mrv {

SelectionIndicators::SelectionIndicators(const bpp::Sequence* first, const bpp::Sequence* second,
                                         const bpp::CodonAlphabet* codon_alphabet)
    : _codon_alphabet(codon_alphabet) {
  _sequences.emplace_back(first->clone());
  _sequences.emplace_back(second->clone());
  _refuseWhatNoContainerHolds();
}

SelectionIndicators::SelectionIndicators(const bpp::PolymorphismSequenceContainer* first,
                                         const bpp::PolymorphismSequenceContainer* second,
                                         const bpp::CodonAlphabet* codon_alphabet, std::string first_name,
                                         std::string second_name)
    : _codon_alphabet(codon_alphabet) {
  _addConsensus(*first, first_name);
  _addConsensus(*second, second_name);
  _refuseWhatNoContainerHolds();
}

SelectionIndicators::SelectionIndicators(const bpp::PolymorphismSequenceContainer* source,
                                         const bpp::CodonAlphabet* codon_alphabet, std::string name)
    : _codon_alphabet(codon_alphabet) {
  _addConsensus(*source, name);
  _refuseWhatNoContainerHolds();
}

SelectionIndicators::~SelectionIndicators() {
  _columns.reset();
  _engine.reset();
  _container.reset();
}

void SelectionIndicators::_addConsensus(const bpp::PolymorphismSequenceContainer& container,
                                        const std::string& name) {
  _sequences.emplace_back(bpp::SiteContainerTools::getConsensus(container, name, true, false));
}

void SelectionIndicators::_refuseWhatNoContainerHolds() {
  const bpp::Sequence& first = *_sequences.front();
  for (size_t q = 0; q < _sequences.size(); ++q) {
    const bpp::Sequence& sequence = *_sequences[q];
    bool held = sequence.size() == first.size() && sameAlphabetType(sequence.getAlphabet(), _codon_alphabet);
    for (size_t p = 0; p < q && held; ++p) held = _sequences[p]->getName() != sequence.getName();
    if (!held) {
      _library();
      return;
    }
  }
}

const bpp::PolymorphismSequenceContainer& SelectionIndicators::_library() {
  if (!_container) {
    std::unique_ptr<bpp::PolymorphismSequenceContainer> container(
        new bpp::PolymorphismSequenceContainer(_codon_alphabet));
    for (const auto& sequence : _sequences) container->addSequenceWithFrequency(*sequence, 1, true);
    _container = std::move(container);
  }
  return *_container;
}

const CodonColumns& SelectionIndicators::_codons(Workspace* workspace) {
  if (!_columns) {
    std::vector<const bpp::Sequence*> sequences;
    for (const auto& sequence : _sequences) sequences.push_back(sequence.get());
    _columns.reset(new CodonColumns(sequences, _codon_alphabet, workspace));
  }
  return *_columns;
}

std::function<const bpp::PolymorphismSequenceContainer&()> SelectionIndicators::_library_input() {
  return [this]() -> const bpp::PolymorphismSequenceContainer& { return _library(); };
}

StatisticsEngine& SelectionIndicators::_engine_over(const bpp::StandardGeneticCode* code) {
  if (!_engine || &_engine->genetic_code() != code) {
    // The codes may be leased from the engine replaced, and their kept sums are keyed by its tables.
    _columns.reset();
    _engine.reset();
    _engine.reset(new StatisticsEngine(*code));
  }
  return *_engine;
}

void SelectionIndicators::determine_nN(StatisticsEngine& engine, double ratio) {
  _nN = engine.mean_non_synonymous_sites(_codons(&engine.workspace()), _library_input(), ratio);
}

void SelectionIndicators::determine_nS(StatisticsEngine& engine, double ratio) {
  _nS = engine.mean_synonymous_sites(_codons(&engine.workspace()), _library_input(), ratio);
}

void SelectionIndicators::determine_fixN(StatisticsEngine& engine) {
  if (_nb_sequences() < 2) return;
  _fixN = engine.non_synonymous_substitutions(_codons(&engine.workspace()), _library_input(), 0.0);
}

void SelectionIndicators::determine_fixS(StatisticsEngine& engine) {
  if (_nb_sequences() < 2) return;
  _fixS = engine.synonymous_substitutions(_codons(&engine.workspace()), _library_input(), 0.0);
}

void SelectionIndicators::determine_fixSnS_ratio() {
  if (_fixS > 0.0 && _nS > 0.0) _fixSnS_ratio = _fixS / _nS;
}

void SelectionIndicators::_setCounts(size_t complete_sites) {
  // Without a container, the sequences are of one length (the constructor refused others).
  _number_of_sequences = static_cast<int>(_nb_sequences());
  _number_of_sites = static_cast<int>(_container ? _container->getNumberOfSites() : _sequences.front()->size());
  _number_of_complete_sites = static_cast<int>(complete_sites);
}

void SelectionIndicators::countSequencesAndSites(StatisticsEngine& engine) {
  _setCounts(engine.complete_sites(_codons(&engine.workspace()), _library_input()));
}

void SelectionIndicators::determine_all_attributes(StatisticsEngine& engine, double ratio) {
  determine_nN(engine, ratio);
  determine_nS(engine, ratio);
  determine_fixN(engine);
  determine_fixS(engine);
  determine_fixSnS_ratio();
  countSequencesAndSites(engine);
}

void SelectionIndicators::determine_nN(const bpp::StandardGeneticCode* code, double ratio) {
  determine_nN(_engine_over(code), ratio);
}

void SelectionIndicators::determine_nS(const bpp::StandardGeneticCode* code, double ratio) {
  determine_nS(_engine_over(code), ratio);
}

void SelectionIndicators::determine_fixN(const bpp::StandardGeneticCode* code) { determine_fixN(_engine_over(code)); }

void SelectionIndicators::determine_fixS(const bpp::StandardGeneticCode* code) { determine_fixS(_engine_over(code)); }

void SelectionIndicators::countSequencesAndSites() {
  _setCounts(StatisticsEngine::complete_sites(_codons(_engine ? &_engine->workspace() : nullptr), _library_input(),
                                              StatisticsEngine::kBuildRoute));
}

void SelectionIndicators::determine_all_attributes(const bpp::StandardGeneticCode* code, double ratio) {
  determine_all_attributes(_engine_over(code), ratio);
}

}  // namespace mrv

void collectSelectionIndicators(const bpp::Sequence* ingroup_consensus, const bpp::Sequence* outgroup_consensus,
                                const bpp::CodonAlphabet* codon_alphabet, mrv::StatisticsEngine& engine,
                                ResultsWarehouse* store, double kappa) {
  mrv::SelectionIndicators indicators(ingroup_consensus, outgroup_consensus, codon_alphabet);
  indicators.determine_nN(engine, kappa);
  indicators.determine_nS(engine, kappa);
  indicators.countSequencesAndSites(engine);
  store->set_nN(indicators.get_nN());
  store->set_nS(indicators.get_nS());
  store->set_nb_sequences_in_consensus(static_cast<unsigned int>(indicators.get_number_of_sequences()));
  store->set_nb_sites_in_consensus(static_cast<unsigned int>(indicators.get_number_of_complete_sites()));
}

void collectSelectionIndicators(const bpp::Sequence* ingroup_consensus, const bpp::Sequence* outgroup_consensus,
                                const bpp::CodonAlphabet* codon_alphabet, const bpp::StandardGeneticCode* code,
                                ResultsWarehouse* store, double kappa) {
  mrv::StatisticsEngine engine(*code);
  collectSelectionIndicators(ingroup_consensus, outgroup_consensus, codon_alphabet, engine, store, kappa);
}
