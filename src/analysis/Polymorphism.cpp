#include "analysis/Polymorphism.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/ContigView.h"
#include "analysis/StatisticsEngine.h"

namespace mrv {

Polymorphism::Polymorphism(bpp::PolymorphismSequenceContainer* container)
    : _pi_non_synonymous(0.0),
      _pi_synonymous(0.0),
      _mean_non_synonymous_sites_number(0.0),
      _mean_synonymous_sites_number(0.0),
      _number_of_sequences(0),
      _number_of_complete_sites(0),
      _piN(-1.0),
      _piS(-1.0),
      _container(container) {}

Polymorphism::Polymorphism(const ContigView& view)
    : Polymorphism(static_cast<bpp::PolymorphismSequenceContainer*>(nullptr)) {
  _view = &view;
}

const bpp::PolymorphismSequenceContainer& Polymorphism::_library() const {
  if (!_view) return *_container;
  if (!_library_container) _library_container = _view->container();
  return *_library_container;
}

Polymorphism::~Polymorphism() { _container = nullptr; }

const CodonColumns& Polymorphism::_codons(std::unique_ptr<CodonColumns>& own, StatisticsEngine& engine) const {
  if (_view) return _view->columns();
  if (_columns) return *_columns;
  own.reset(new CodonColumns(*_container, &engine.workspace()));
  return *own;
}

void Polymorphism::determine_all_attributes(StatisticsEngine& engine, unsigned int min_nb_codon, double kappa) {
  // The codes are read once for all the statistics below.
  if (!_view) _columns.reset(new CodonColumns(*_container, &engine.workspace()));
  determine_pi_non_synonymous(engine);
  determine_pi_synonymous(engine);
  determine_mean_non_synonymous_sites_number(engine, kappa);
  determine_mean_synonymous_sites_number(engine, kappa);
  determine_number_of_sequences();
  determine_number_of_complete_sites(engine);
  determine_piN(min_nb_codon);
  determine_piS(min_nb_codon);
  _columns.reset();
}

void Polymorphism::determine_pi_non_synonymous(StatisticsEngine& engine) {
  std::unique_ptr<CodonColumns> own;
  _pi_non_synonymous = engine.pi_sum(_codons(own, engine), library(), false);
}

void Polymorphism::determine_pi_synonymous(StatisticsEngine& engine) {
  std::unique_ptr<CodonColumns> own;
  _pi_synonymous = engine.pi_sum(_codons(own, engine), library(), true);
}

void Polymorphism::determine_mean_non_synonymous_sites_number(StatisticsEngine& engine, double ratio) {
  std::unique_ptr<CodonColumns> own;
  _mean_non_synonymous_sites_number =
      engine.mean_non_synonymous_sites(_codons(own, engine), library(), ratio);
}

void Polymorphism::determine_mean_synonymous_sites_number(StatisticsEngine& engine, double ratio) {
  std::unique_ptr<CodonColumns> own;
  _mean_synonymous_sites_number = engine.mean_synonymous_sites(_codons(own, engine), library(), ratio);
}

void Polymorphism::determine_number_of_sequences() {
  _number_of_sequences = static_cast<int>(_view ? _view->nb_rows() : _container->getNumberOfSequences());
}

void Polymorphism::determine_number_of_complete_sites(StatisticsEngine& engine) {
  std::unique_ptr<CodonColumns> own;
  _number_of_complete_sites = static_cast<int>(engine.complete_sites(_codons(own, engine), library()));
}

// The threshold compares the two counts as unsigned 32-bit numbers.
void Polymorphism::determine_piN(unsigned int min_nb_codon) {
  if (static_cast<unsigned int>(_number_of_complete_sites) >= min_nb_codon)
    _piN = _pi_non_synonymous / _mean_non_synonymous_sites_number;
}

void Polymorphism::determine_piS(unsigned int min_nb_codon) {
  if (static_cast<unsigned int>(_number_of_complete_sites) >= min_nb_codon)
    _piS = _pi_synonymous / _mean_synonymous_sites_number;
}

}  // namespace mrv
