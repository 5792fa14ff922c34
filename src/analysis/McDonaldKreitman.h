#pragma once
// McDonald-Kreitman counts of one contig: non-synonymous and synonymous polymorphisms of the
// ingroup (pn, ps) and fixed differences between ingroup and outgroup (dn, ds).
//
// The fixed differences are summed site by site over the complete sites of ingroup and outgroup
// together, each site against the consensus codons of the two groups, with the statistics engine's
// rules (StatisticsEngine.h): a site's count is never negative, and the outgroup site is read as far
// as the ingroup's, its consensus past its own end.
#include <memory>

namespace bpp {
class PolymorphismSequenceContainer;
class CodonAlphabet;
class Sequence;
class StandardGeneticCode;
}  // namespace bpp

class ResultsWarehouse;

namespace mrv {

class ContigView;
class StatisticsEngine;

// A copy of the ingroup container followed by every outgroup sequence (count 1), flagged outgroup: the
// container the library reads.
std::unique_ptr<bpp::PolymorphismSequenceContainer> mergeIngroupAndOutgroup(
    const bpp::PolymorphismSequenceContainer& ingroup, const bpp::PolymorphismSequenceContainer& outgroup);

// A mean number of sites stored as an int: truncated toward zero (12.9 gives 12).
int truncateSiteNumber(double sites);

}  // namespace mrv

/**
 * @brief McDonald-Kreitman counts of a contig: the tables {pn, ps, dn, ds} of its ingroup against its
 * outgroup, at minimum frequencies 0.0 and 0.2, and the mean site numbers of both together.
 *
 * Formula: over the complete sites of ingroup and outgroup together, pn = the non-synonymous
 *   substitutions within the ingroup (the fewest non-synonymous changes linking its codons; a codon at
 *   a frequency at or below the minimum frequency is not counted), ps = all its substitutions less pn;
 *   dn and ds = the codon positions where the two consensus codons differ and neither group varies,
 *   split by the same path rule, a site's count below zero taken as 0. No multiple-hit correction.
 *   MK_nN and MK_nS: the mean numbers of non-synonymous and synonymous sites of ingroup and outgroup
 *   together for the transition/transversion ratio kappa (as a double), truncated toward zero.
 * Reference: McDonald & Kreitman (1991); site counts and paths after Nei & Gojobori (1986).
 * Stores: fixN = dn, fixS = ds, polymN_0 = pn, polymS_0 = ps (minimum frequency 0.0), polymN_02 = pn,
 *   polymS_02 = ps (minimum frequency 0.2), MK_nN, MK_nS; with debug, the two tables on standard output.
 * Not computed: the contig store keeps -1 for every count when this step does not run.
 * Throws: the library's exceptions when the two cannot be merged (an outgroup name already in the
 *   ingroup, another alphabet or length), bpp::AlphabetMismatchException or bpp::BadIntException
 *   (as Polymorphism.h).
 *
 * The statistics engine computes them with its genetic code; the containers given are left unchanged.
 */
void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, bpp::PolymorphismSequenceContainer* outgroup,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* codon_alphabet,
                              mrv::StatisticsEngine& engine, bool debug);

// The same with a genetic code (not null) in place of a statistics engine: an engine over the code
// serves the call. Stores and prints exactly what the engine form does; throws what it throws, and
// then nothing has been stored. The run calls neither: it calls the engine form below.
void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, bpp::PolymorphismSequenceContainer* outgroup,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* codon_alphabet,
                              const bpp::StandardGeneticCode* code, bool debug);

// The same with the ingroup given as the rows of a contig's view and the outgroup as its consensus
// alone (a one-sequence container of the view's codon alphabet); containers are made only when the
// library is asked. The form the run calls, with its statistics engine.
void mcDonaldKreitmanAnalysis(const mrv::ContigView& ingroup, const bpp::Sequence* outgroup_consensus,
                              ResultsWarehouse* store, unsigned int kappa, mrv::StatisticsEngine& engine, bool debug);
