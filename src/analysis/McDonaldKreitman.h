#pragma once
// McDonald-Kreitman counts of one contig: non-synonymous and synonymous polymorphisms of the
// ingroup (pn, ps) and fixed differences between ingroup and outgroup (dn, ds).
//
// The fixed differences are summed site by site over the complete sites of ingroup and outgroup
// together, each site against the consensus codons of the two groups, with the statistics engine's
// rules (StatisticsEngine.h): a site's count is never negative, and the outgroup site is read as far
// as the ingroup's, its consensus past its own end.
#include <memory>
#include <vector>

namespace bpp {
class PolymorphismSequenceContainer;
class CodonAlphabet;
class Sequence;
}  // namespace bpp

class ResultsWarehouse;

namespace mrv {

class ContigView;
class StatisticsEngine;

// A copy of the ingroup container followed by every outgroup sequence (count 1), flagged outgroup.
std::unique_ptr<bpp::PolymorphismSequenceContainer> mergeIngroupAndOutgroup(
    const bpp::PolymorphismSequenceContainer& ingroup, const bpp::PolymorphismSequenceContainer& outgroup);

/**
 * @brief McDonald-Kreitman tables {pn, ps, dn, ds} of a contig.
 *
 * One table {pn, ps, dn, ds} per minimum frequency (a polymorphism whose allele frequency is below
 * it is not counted), from a container merged as above.
 *
 * Formula: over the complete sites of ingroup and outgroup together, pn = the non-synonymous
 *   substitutions within the ingroup (the fewest non-synonymous changes linking its codons; a codon at
 *   a frequency at or below the minimum frequency is not counted), ps = all its substitutions less pn;
 *   dn and ds = the codon positions where the two consensus codons differ and neither group varies,
 *   split by the same path rule, a site's count below zero taken as 0. No multiple-hit correction.
 * Reference: McDonald & Kreitman (1991); site counts and paths after Nei & Gojobori (1986).
 * Not computed: the contig store keeps -1 for every count when no outgroup sequence is at hand.
 * Throws: the library's bpp::AlphabetMismatchException or bpp::BadIntException (as Polymorphism.h).
 */
std::vector<std::vector<unsigned int> > mcDonaldKreitmanTables(const bpp::PolymorphismSequenceContainer& merged,
                                                               StatisticsEngine& engine,
                                                               const std::vector<double>& minimum_frequencies);

// The table {pn, ps, dn, ds} of an ingroup against an outgroup.
std::vector<unsigned int> mcDonaldKreitmanTable(const bpp::PolymorphismSequenceContainer& ingroup,
                                                const bpp::PolymorphismSequenceContainer& outgroup,
                                                StatisticsEngine& engine, double minimum_frequency = 0.0);

// A mean number of sites stored as an int: truncated toward zero (12.9 gives 12).
int truncateSiteNumber(double sites);

}  // namespace mrv

// Stores fixN, fixS (fixed differences, all polymorphisms counted), polymN_0, polymS_0 (minimum
// frequency 0.0), polymN_02, polymS_02 (minimum frequency 0.2), MK_nN and MK_nS (mean site numbers of
// ingroup and outgroup together, truncated). kappa is the transition/transversion ratio.
void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, bpp::PolymorphismSequenceContainer* outgroup,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* codon_alphabet,
                              mrv::StatisticsEngine& engine, bool debug);

// The same with the outgroup given as one consensus sequence (read as a one-sequence container of
// the codon alphabet).
void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, const bpp::Sequence* outgroup_consensus,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* codon_alphabet,
                              mrv::StatisticsEngine& engine, bool debug);

// The same with the ingroup given as the rows of a contig's view (a container of them is made only
// when the library is asked).
void mcDonaldKreitmanAnalysis(const mrv::ContigView& ingroup, const bpp::Sequence* outgroup_consensus,
                              ResultsWarehouse* store, unsigned int kappa, mrv::StatisticsEngine& engine, bool debug);
