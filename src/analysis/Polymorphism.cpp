#include "analysis/Polymorphism.h"

#include "analysis/CodonSiteStatistics.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/Container/SiteContainerIterator.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>

namespace mrv {

namespace {

// The library's per-site pi already holds the factor n/(n-1) taken as an integer quotient, which
// is exact for two sequences and 1 for three or more; restore the floating-point factor there.
double rescaled(double value, size_t n) {
  if (n >= 3) value = value * static_cast<double>(n) / static_cast<double>(n - 1);
  return value;
}

template <typename PerSitePi>
double libraryPiSum(const bpp::PolymorphismSequenceContainer& container, const bpp::GeneticCode& code,
                    PerSitePi perSitePi) {
  double sum = 0.0;
  bpp::CompleteSiteContainerIterator it(container);
  while (it.hasMoreSites()) {
    const bpp::Site* site = it.nextSite();
    sum += rescaled(perSitePi(*site, code), site->size());
  }
  return sum;
}

// Over the complete sites of the codes read from the container, the library's pi of each site
// rescaled as above; the library itself when the codes cannot be read here.
double piSum(const CodonColumns& columns, const bpp::PolymorphismSequenceContainer& container,
             const bpp::GeneticCode& code, bool synonymous) {
  const CodonSiteStatistics statistics(columns, code);
  if (!statistics.usable()) {
    if (synonymous)
      return libraryPiSum(container, code, [](const bpp::Site& site, const bpp::GeneticCode& c) {
        return bpp::CodonSiteTools::piSynonymous(site, c, false);
      });
    return libraryPiSum(container, code, [](const bpp::Site& site, const bpp::GeneticCode& c) {
      return bpp::CodonSiteTools::piNonSynonymous(site, c, false);
    });
  }
  const size_t n = columns.nb_sequences();
  double sum = 0.0;
  for (size_t s = 0; s < columns.nb_sites(); ++s) {
    if (!columns.is_complete(s)) continue;
    sum += rescaled(synonymous ? statistics.pi_synonymous(s) : statistics.pi_non_synonymous(s), n);
  }
  return sum;
}

}  // namespace

Polymorphism::Polymorphism(bpp::PolymorphismSequenceContainer* container)
    : pi_non_synonymous(0.0),
      pi_synonymous(0.0),
      mean_non_synonymous_sites_number(0.0),
      mean_synonymous_sites_number(0.0),
      number_of_sequences(0),
      number_of_complete_sites(0),
      piN(-1.0),
      piS(-1.0),
      container(container) {}

Polymorphism::~Polymorphism() { container = nullptr; }

const CodonColumns& Polymorphism::_codons(std::unique_ptr<CodonColumns>& own) const {
  if (_columns) return *_columns;
  own.reset(new CodonColumns(*container));
  return *own;
}

double Polymorphism::sumOfSynonymousPi(const bpp::PolymorphismSequenceContainer& container,
                                       const bpp::GeneticCode& genetic_code) {
  const CodonColumns columns(container);
  return piSum(columns, container, genetic_code, true);
}

double Polymorphism::sumOfNonSynonymousPi(const bpp::PolymorphismSequenceContainer& container,
                                          const bpp::GeneticCode& genetic_code) {
  const CodonColumns columns(container);
  return piSum(columns, container, genetic_code, false);
}

void Polymorphism::determine_all_attributes(bpp::StandardGeneticCode* genetic_code, unsigned int min_nb_codon,
                                            double kappa) {
  // The codes are read once for all the statistics below.
  _columns.reset(new CodonColumns(*container));
  determine_pi_non_synonymous(genetic_code);
  determine_pi_synonymous(genetic_code);
  determine_mean_non_synonymous_sites_number(genetic_code, kappa);
  determine_mean_synonymous_sites_number(genetic_code, kappa);
  determine_number_of_sequences();
  determine_number_of_complete_sites();
  determine_piN(min_nb_codon);
  determine_piS(min_nb_codon);
  _columns.reset();
}

void Polymorphism::determine_pi_non_synonymous(bpp::StandardGeneticCode* genetic_code) {
  std::unique_ptr<CodonColumns> own;
  pi_non_synonymous = piSum(_codons(own), *container, *genetic_code, false);
}

void Polymorphism::determine_pi_synonymous(bpp::StandardGeneticCode* genetic_code) {
  std::unique_ptr<CodonColumns> own;
  pi_synonymous = piSum(_codons(own), *container, *genetic_code, true);
}

void Polymorphism::determine_mean_non_synonymous_sites_number(bpp::StandardGeneticCode* genetic_code, double ratio) {
  std::unique_ptr<CodonColumns> own;
  const CodonSiteStatistics statistics(_codons(own), *genetic_code);
  mean_non_synonymous_sites_number =
      statistics.usable() ? statistics.mean_number_of_non_synonymous_sites(ratio)
                          : bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(*container, *genetic_code, ratio);
}

void Polymorphism::determine_mean_synonymous_sites_number(bpp::StandardGeneticCode* genetic_code, double ratio) {
  std::unique_ptr<CodonColumns> own;
  const CodonSiteStatistics statistics(_codons(own), *genetic_code);
  mean_synonymous_sites_number =
      statistics.usable() ? statistics.sum_of_mean_synonymous_positions(ratio)
                          : bpp::SequenceStatistics::meanNumberOfSynonymousSites(*container, *genetic_code, ratio);
}

void Polymorphism::determine_number_of_sequences() {
  number_of_sequences = static_cast<int>(container->getNumberOfSequences());
}

void Polymorphism::determine_number_of_complete_sites() {
  std::unique_ptr<CodonColumns> own;
  const CodonColumns& codons = _codons(own);
  number_of_complete_sites =
      codons.usable()
          ? static_cast<int>(codons.nb_complete_sites())
          : static_cast<int>(bpp::PolymorphismSequenceContainerTools::getNumberOfCompleteSites(*container, false));
}

// The threshold compares the two counts as unsigned 32-bit numbers.
void Polymorphism::determine_piN(unsigned int min_nb_codon) {
  if (static_cast<unsigned int>(number_of_complete_sites) >= min_nb_codon)
    piN = pi_non_synonymous / mean_non_synonymous_sites_number;
}

void Polymorphism::determine_piS(unsigned int min_nb_codon) {
  if (static_cast<unsigned int>(number_of_complete_sites) >= min_nb_codon)
    piS = pi_synonymous / mean_synonymous_sites_number;
}

}  // namespace mrv
