#pragma once
// The focal-species road of one contig: every statistic of the ingroup, stored in the contig's
// result store and in the ingroup's species record.
#include <vector>

namespace bpp {
class PolymorphismSequenceContainer;
class Sequence;
class NucleicAlphabet;
class CodonAlphabet;
class StandardGeneticCode;
}  // namespace bpp
namespace mrv {
class Population;
}
class ParametersManagement;
class ResultsWarehouse;
class SpeciesDataWarehouse;

void analyseFocalSpecies(ParametersManagement* options, bpp::PolymorphismSequenceContainer* ingroup,
                         const bpp::Sequence* ingroup_consensus, mrv::Population* population,
                         const bpp::CodonAlphabet* codon_alphabet, const bpp::NucleicAlphabet* nucleic_alphabet,
                         bpp::StandardGeneticCode* genetic_code, std::vector<double>& class_bounds,
                         SpeciesDataWarehouse* species_data, ResultsWarehouse* warehouse);
