#pragma once
// Per-individual drivers of the focal-species analysis of one contig: each individual's
// heterozygosity, the GC content of third codon positions, and the distances between individuals.
// The individuals are the allele pairs of the contig's ingroup, named by their pair names.
#include <string>
#include <vector>

namespace bpp {
class CodonAlphabet;
class NucleicAlphabet;
class PolymorphismSequenceContainer;
}  // namespace bpp

namespace mrv {
class PairedSequenceContainer;
}

class ResultsWarehouse;
class SpeciesDataWarehouse;

/**
 * @brief Heterozygosity of every individual of the contig.
 *
 * Formula: for each pair with at least one position where both nucleotides are resolved, the
 *   differing / compared positions of its two alleles, stored under the pair's name (a later pair
 *   of the same name wins).
 * Not computed: an individual without a compared position keeps heterozygosity -999.0.
 * Throws: nothing of its own.
 */
void computeIndividualHeterozygosity(mrv::PairedSequenceContainer* pairs, const bpp::CodonAlphabet* codonAlphabet,
                                     const bpp::NucleicAlphabet* nucleicAlphabet, ResultsWarehouse* results,
                                     std::vector<std::string>& pairNames);

/**
 * @brief GC content of the third codon positions of one sequence (in the run, the ingroup consensus).
 *
 * Formula: GC3 = GC / (AT + GC) over the third positions of sequence 0 of `container`, any other
 *   character left out; stored as the record's GC3.
 * Not computed: NaN when no third position is A, C, G or T.
 * Throws: nothing of its own.
 */
void computeGC3(bpp::PolymorphismSequenceContainer* container, SpeciesDataWarehouse* speciesData,
                const bpp::CodonAlphabet* codonAlphabet, bool debug);
// The same over the codon codes of one sequence.
void computeGC3(const std::vector<int>& codons, SpeciesDataWarehouse* speciesData,
                const bpp::CodonAlphabet* codonAlphabet, bool debug);

/**
 * @brief Distance of every ordered pair of individuals (self-pairs included), stored under its pair
 * name; each computed by DistanceBetweenIndividuals::computeDistanceWithPair.
 *
 * Formula: as DistanceBetweenIndividuals.h; without debug lines to print, (j, i) is taken from (i, j).
 * Not computed: -1.0 over 0 positions for a pair without a position where all four alleles are resolved.
 * Throws: nothing of its own.
 */
void computeAllDistancesBetweenIndividuals(ResultsWarehouse* results, mrv::PairedSequenceContainer* pairs,
                                           const bpp::CodonAlphabet* codonAlphabet,
                                           const bpp::NucleicAlphabet* nucleicAlphabet, bool debug);
