#pragma once
// Inbreeding coefficient Fit of the focal species in one contig, over the bi-allelic nucleotide
// positions of the individuals' allele pairs: from observed and expected heterozygosity, and by the
// Weir & Cockerham (1984) estimator for one population (terms summed over positions before the
// ratio is taken). A contig without a usable position leaves the record's values unchanged.
//
// Formula: Fit = 1 - sum_pos Hobs / sum_pos 2 p q n; Weir & Cockerham Fit = B / (B + C) with
//   B = sum_pos n/(n-1) [p(1-p) - (2n-1)/(4n) h] and C = sum_pos h/2 (n typed individuals, p and q the
//   allele frequencies, h the share of heterozygous individuals at a bi-allelic position).
// Reference: Weir & Cockerham (1984), one population.
// Not computed: Fit, B, C and the Weir & Cockerham Fit stay -999.0 (no usable position, or a zero
//   denominator).
// Throws: nothing of its own.

namespace bpp {
class CodonAlphabet;
class NucleicAlphabet;
}  // namespace bpp

namespace mrv {
class PairedSequenceContainer;
}

class SpeciesDataWarehouse;

// Fit = 1 - observed / expected heterozygous individuals, over the first `nbSites` codon sites;
// writes set_Fit.
void computeFit(mrv::PairedSequenceContainer* pairs, const bpp::CodonAlphabet* codonAlphabet,
                const bpp::NucleicAlphabet* nucleicAlphabet, SpeciesDataWarehouse* speciesData,
                unsigned int nbSites, bool debug);

// Weir & Cockerham Fit = B / (B + C), B the sum of term b and C the sum of h / 2 over the bi-allelic
// positions typed in at least two individuals; writes the two sums and the ratio.
void computeWeirCockerhamFit(mrv::PairedSequenceContainer* pairs, const bpp::CodonAlphabet* codonAlphabet,
                             const bpp::NucleicAlphabet* nucleicAlphabet, SpeciesDataWarehouse* speciesData,
                             unsigned int nbSites, bool debug);

// Term b of one position: n / (n - 1) * [p (1 - p) - (2n - 1) / (4n) * h], with n typed
// individuals, p the frequency of the first allele and h the share of heterozygous individuals.
double determineWeirCockerhamTermB(double n, double p, double h, bool debug);
