#include "analysis/FocalSpeciesAnalysis.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/Seq/Sequence.h>

#include <memory>
#include <string>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/ContigView.h"
#include "analysis/FocalSpeciesDrivers.h"
#include "analysis/GCAnalysis.h"
#include "analysis/InbreedingCoefficients.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/Polymorphism.h"
#include "analysis/PopulationDiversification.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/PolymorphismSequenceContainerAddons.h"
#include "core/ParametersManagement.h"

namespace {

void analyseRows(const ParametersManagement& options, const mrv::ContigView& view, const std::vector<int>& consensus,
                 mrv::Population* population, mrv::StatisticsEngine& engine, const std::vector<double>& class_bounds,
                 SpeciesDataWarehouse* species_data, ResultsWarehouse* warehouse) {
  const bool debug = options.get_DEBUG();
  const bpp::CodonAlphabet* codon_alphabet = view.codon_alphabet();
  const bpp::NucleicAlphabet* nucleic_alphabet = view.nucleic_alphabet();

  // 2. Nucleotide diversity.
  mrv::Polymorphism polymorphism(view);
  polymorphism.determine_all_attributes(engine, options.get_min_nb_codon(), options.get_kappa());

  // 3. The species record.
  const std::vector<std::string>& names = view.names();
  if (names.empty())  // raises the container's own error
    mrv::PolymorphismSequenceContainerAddons::getSpeciesNameFromContainer(view.container().get(), 0);
  species_data->set_species_name(mrv::PolymorphismSequenceContainerAddons::getSpeciesNameFromName(names[0]));
  species_data->set_number_of_sequences(static_cast<unsigned int>(view.nb_rows()));
  species_data->set_number_of_sites(static_cast<unsigned int>(view.nb_sites()));
  species_data->set_number_of_complete_sites(static_cast<unsigned int>(polymorphism.get_number_of_complete_sites()));
  species_data->set_piN(polymorphism.get_piN());
  species_data->set_piS(polymorphism.get_piS());

  // 4. GC content of third positions of the consensus.
  computeGC3(consensus, species_data, codon_alphabet, debug);

  // 5. Allele pairs of the individuals.
  mrv::PairedSequenceContainer pairs(view, &engine.workspace());
  std::vector<std::string> pair_names = pairs.get_pair_names();

  // 6-9. Per-individual statistics.
  computeIndividualHeterozygosity(&pairs, codon_alphabet, nucleic_alphabet, warehouse, pair_names);
  if (options.get_compute_distances())
    computeAllDistancesBetweenIndividuals(warehouse, &pairs, codon_alphabet, nucleic_alphabet, debug);
  const unsigned int nb_sites = static_cast<unsigned int>(view.nb_sites());
  computeFit(&pairs, codon_alphabet, nucleic_alphabet, species_data, nb_sites, debug);
  computeWeirCockerhamFit(&pairs, codon_alphabet, nucleic_alphabet, species_data, nb_sites, debug);

  // 10. Differentiation between populations (also with a single population).
  populationDiversificationAnalysis(view, population, warehouse);

  // 11. SNP counts and GC allele-frequency classes.
  nonOrientedGCAnalysis(view, class_bounds, warehouse, engine);
}

}  // namespace

void analyseFocalSpecies(ParametersManagement* options, bpp::PolymorphismSequenceContainer* ingroup,
                         const bpp::Sequence* ingroup_consensus, mrv::Population* population,
                         const bpp::CodonAlphabet* codon_alphabet, const bpp::NucleicAlphabet* nucleic_alphabet,
                         mrv::StatisticsEngine& engine, std::vector<double>& class_bounds,
                         SpeciesDataWarehouse* species_data, ResultsWarehouse* warehouse) {
  // A one-sequence container of the consensus is built only to refuse (through the library's
  // exception) a consensus of another alphabet.
  if (!mrv::sameAlphabetType(ingroup_consensus->getAlphabet(), codon_alphabet)) {
    bpp::PolymorphismSequenceContainer consensus(codon_alphabet);
    consensus.addSequenceWithFrequency(*ingroup_consensus, 1, true);
  }
  const mrv::ContigView view(*ingroup, codon_alphabet, nucleic_alphabet, &engine, false);
  std::vector<int> consensus(ingroup_consensus->size());
  for (size_t s = 0; s < consensus.size(); ++s) consensus[s] = (*ingroup_consensus)[s];
  analyseRows(*options, view, consensus, population, engine, class_bounds, species_data,
              warehouse);
}

void analyseFocalSpecies(ParametersManagement* options, const mrv::ContigView& view, mrv::Population* population,
                         mrv::StatisticsEngine& engine, std::vector<double>& class_bounds,
                         SpeciesDataWarehouse* species_data, ResultsWarehouse* warehouse) {
  // The consensus is in the view's alphabet: one of another type is refused as the library would.
  if (!mrv::sameAlphabetType(view.alphabet(), view.codon_alphabet())) {
    bpp::PolymorphismSequenceContainer consensus(view.codon_alphabet());
    consensus.addSequenceWithFrequency(
        bpp::BasicSequence("Ingroup_consensus", view.ingroup_consensus(), view.alphabet()), 1, true);
  }
  analyseRows(*options, view, view.ingroup_consensus(), population, engine, class_bounds, species_data, warehouse);
}
