#pragma once
// The focal-species road of one contig: every statistic of the ingroup, stored in the contig's
// result store and in the ingroup's species record. The engine is the run's (genetic code, codon
// tables, working arrays).
#include <vector>

namespace bpp {
class PolymorphismSequenceContainer;
class Sequence;
class NucleicAlphabet;
class CodonAlphabet;
}  // namespace bpp
namespace mrv {
class ContigView;
class Population;
class StatisticsEngine;
}
class ParametersManagement;
class ResultsWarehouse;
class SpeciesDataWarehouse;

void analyseFocalSpecies(ParametersManagement* options, bpp::PolymorphismSequenceContainer* ingroup,
                         const bpp::Sequence* ingroup_consensus, mrv::Population* population,
                         const bpp::CodonAlphabet* codon_alphabet, const bpp::NucleicAlphabet* nucleic_alphabet,
                         mrv::StatisticsEngine& engine, std::vector<double>& class_bounds,
                         SpeciesDataWarehouse* species_data, ResultsWarehouse* warehouse);

// The same over the rows of a contig's view (its alphabets and ingroup consensus), with no container.
void analyseFocalSpecies(ParametersManagement* options, const mrv::ContigView& view, mrv::Population* population,
                         mrv::StatisticsEngine& engine, std::vector<double>& class_bounds,
                         SpeciesDataWarehouse* species_data, ResultsWarehouse* warehouse);
