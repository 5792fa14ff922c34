#pragma once
// SNP counts of the focal species in one contig (bi-, tri- and quadri-allelic nucleotide positions)
// and the histogram of GC allele frequencies over the synonymous bi-allelic positions whose codons
// differ by a single substitution. The class bounds come from setAlleleFrequencyClass.
#include <vector>

namespace bpp {
class CodonAlphabet;
class NucleicAlphabet;
class GeneticCode;
class PolymorphismSequenceContainer;
class Site;
}  // namespace bpp

class ResultsWarehouse;

namespace mrv {
class ContigView;
class StatisticsEngine;
}

// Entries 0 to count - 1 of `site` holding the unresolved codon take the codon of entry `reference`
// (read anew at each replacement). Raises bpp::IndexOutOfBoundsException, before any change, when
// count exceeds the site's size, or when a replacement is due and `reference` is beyond the site.
void replaceUnresolvedCharInCodonSite(bpp::Site& site, const bpp::CodonAlphabet* codonAlphabet, unsigned int count,
                                      unsigned int reference);

// Replaces the unresolved codons of `site` as above, then tells whether its codons differ by no
// non-synonymous substitution.
bool isSynonymousSite(bpp::Site& site, unsigned int count, const bpp::CodonAlphabet* codonAlphabet,
                      const bpp::GeneticCode* geneticCode, int reference);

/**
 * @brief SNP counts and GC allele-frequency classes of the focal species in a contig.
 *
 * Counts the SNPs of `ingroup` (never changed) and fills the GC classes of `results`; the engine
 * gives the substitution counts of the bi-allelic sites.
 *
 * Formula: a nucleotide position is k-allelic when k distinct resolved nucleotides (A, C, G, T, gap)
 *   occur among the sequences; at a bi-allelic position of a site whose codons differ by one
 *   synonymous substitution, with one G/C and one A/T allele, the GC frequency is the G/C
 *   occurrences / resolved sequences, counted in the first class whose upper bound is not below it.
 * Not computed: every count stays 0.
 * Throws: bpp::IndexOutOfBoundsException (replaceUnresolvedCharInCodonSite), and the library's
 *   exceptions for codes outside the genetic code.
 */
void nonOrientedGCAnalysis(bpp::PolymorphismSequenceContainer* ingroup, std::vector<double> classBounds,
                           ResultsWarehouse* results, const bpp::CodonAlphabet* codonAlphabet,
                           const bpp::NucleicAlphabet* nucleicAlphabet, mrv::StatisticsEngine& engine);
// The same over the rows of a contig's view.
void nonOrientedGCAnalysis(const mrv::ContigView& view, const std::vector<double>& classBounds,
                           ResultsWarehouse* results, mrv::StatisticsEngine& engine);
