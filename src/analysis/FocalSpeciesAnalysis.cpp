#include "analysis/FocalSpeciesAnalysis.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>

#include <memory>
#include <string>

#include "analysis/CodonSiteStatistics.h"
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
#include "run/ParametersManagement.h"

void analyseFocalSpecies(ParametersManagement* options, bpp::PolymorphismSequenceContainer* ingroup,
                         const bpp::Sequence* ingroup_consensus, mrv::Population* population,
                         const bpp::CodonAlphabet* codon_alphabet, const bpp::NucleicAlphabet* nucleic_alphabet,
                         mrv::StatisticsEngine& engine, std::vector<double>& class_bounds,
                         SpeciesDataWarehouse* species_data, ResultsWarehouse* warehouse) {
  const bool debug = options->get_DEBUG();

  // 1. The consensus is read directly as a sequence; a one-sequence container of it is built only to
  // refuse (through the library's exception) a consensus of another alphabet.
  if (!mrv::sameAlphabetType(ingroup_consensus->getAlphabet(), codon_alphabet)) {
    bpp::PolymorphismSequenceContainer consensus(codon_alphabet);
    consensus.addSequenceWithFrequency(*ingroup_consensus, 1, true);
  }

  // 2. Nucleotide diversity.
  std::unique_ptr<mrv::Polymorphism> polymorphism(new mrv::Polymorphism(ingroup));
  polymorphism->determine_all_attributes(engine, options->get_min_nb_codon(), options->get_kappa());

  // 3. The species record.
  // The name of the first sequence, read without building the sequence (getName does).
  const std::vector<std::string> names = ingroup->getSequencesNames();
  species_data->set_species_name(
      names.empty() ? mrv::PolymorphismSequenceContainerAddons::getSpeciesNameFromContainer(ingroup, 0)
                    : mrv::PolymorphismSequenceContainerAddons::getSpeciesNameFromName(names[0]));
  species_data->set_number_of_sequences(static_cast<unsigned int>(ingroup->getNumberOfSequences()));
  species_data->set_number_of_sites(static_cast<unsigned int>(ingroup->getNumberOfSites()));
  species_data->set_number_of_complete_sites(static_cast<unsigned int>(polymorphism->get_number_of_complete_sites()));
  species_data->set_piN(polymorphism->get_piN());
  species_data->set_piS(polymorphism->get_piS());

  // 4. GC content of third positions of the consensus.
  computeGC3(*ingroup_consensus, species_data, codon_alphabet, debug);

  // 5. Allele pairs of the individuals.
  std::unique_ptr<mrv::PairedSequenceContainer> pairs(
      new mrv::PairedSequenceContainer(ingroup, codon_alphabet, "|", 3, &engine.workspace()));
  std::vector<std::string> pair_names = pairs->get_pair_names();

  // 6-9. Per-individual statistics.
  computeIndividualHeterozygosity(pairs.get(), codon_alphabet, nucleic_alphabet, warehouse, pair_names);
  if (options->get_compute_distances())
    computeAllDistancesBetweenIndividuals(warehouse, pairs.get(), codon_alphabet, nucleic_alphabet, debug);
  const unsigned int nb_sites = static_cast<unsigned int>(ingroup->getNumberOfSites());
  computeFit(pairs.get(), codon_alphabet, nucleic_alphabet, species_data, nb_sites, debug);
  computeWeirCockerhamFit(pairs.get(), codon_alphabet, nucleic_alphabet, species_data, nb_sites, debug);

  // 10. Differentiation between populations (also with a single population).
  populationDiversificationAnalysis(ingroup, population, codon_alphabet, nucleic_alphabet, warehouse);

  // 11. SNP counts and GC allele-frequency classes.
  nonOrientedGCAnalysis(ingroup, class_bounds, warehouse, codon_alphabet, nucleic_alphabet, engine);
}
