#pragma once
// Inbreeding coefficient Fit of the focal species in one contig, over the bi-allelic nucleotide
// positions of the individuals' allele pairs: from observed and expected heterozygosity, and by the
// Weir & Cockerham (1984) estimator for one population (terms summed over positions before the
// ratio is taken). A contig without a usable position leaves the record's values unchanged.

namespace bpp {
class CodonAlphabet;
class NucleicAlphabet;
}  // namespace bpp

namespace mrv {
class PairedSequenceContainer;
}

class SpeciesDataWarehouse;

/**
 * @brief Fit from observed and expected heterozygosity, over the first `nbSites` codon sites.
 *
 * Formula: Fit = 1 - sum_pos Hobs / sum_pos (2 p q n), over the bi-allelic positions (n typed
 *   individuals, p and q the allele frequencies, Hobs the heterozygous individuals); writes set_Fit.
 * Not computed: Fit stays -999.0 (no bi-allelic position, or an expected count of 0).
 * Throws: nothing of its own.
 */
void computeFit(mrv::PairedSequenceContainer* pairs, const bpp::CodonAlphabet* codonAlphabet,
                const bpp::NucleicAlphabet* nucleicAlphabet, SpeciesDataWarehouse* speciesData,
                unsigned int nbSites, bool debug);

/**
 * @brief Weir & Cockerham Fit for one population, over the first `nbSites` codon sites.
 *
 * Formula: Fit = B / (B + C), B the sum of term b (determineWeirCockerhamTermB) and C the sum of
 *   h / 2 over the bi-allelic positions typed in at least two individuals (h the share of
 *   heterozygous individuals); writes the two sums and the ratio.
 * Reference: Weir & Cockerham (1984).
 * Not computed: B, C and Fit stay -999.0 (no usable position, or B + C = 0).
 * Throws: nothing of its own.
 */
void computeWeirCockerhamFit(mrv::PairedSequenceContainer* pairs, const bpp::CodonAlphabet* codonAlphabet,
                             const bpp::NucleicAlphabet* nucleicAlphabet, SpeciesDataWarehouse* speciesData,
                             unsigned int nbSites, bool debug);

/**
 * @brief Term b of one position of the Weir & Cockerham (1984) estimator.
 *
 * Formula: n / (n - 1) * [p (1 - p) - (2n - 1) / (4n) * h], with n typed individuals, p the frequency
 *   of the first allele and h the share of heterozygous individuals (n > 1).
 */
double determineWeirCockerhamTermB(double n, double p, double h, bool debug);
