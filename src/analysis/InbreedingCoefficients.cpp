#include "analysis/InbreedingCoefficients.h"

#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <iostream>

#include "analysis/AlleleFrequency.h"
#include "analysis/NucleotideRows.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/SpeciesDataWarehouse.h"

namespace {

// False when every pair typed at the position (both nucleotides resolved) holds one and the same
// nucleotide: the position then has at most one allele and no statistic uses it.
bool mayHaveTwoAlleles(const mrv::PairedSequenceContainer& pairs, unsigned int site, int k,
                       const bpp::CodonAlphabet* codonAlphabet, const bpp::NucleicAlphabet* nucleicAlphabet) {
  if (codonAlphabet != pairs.get_codon_alphabet() || site >= pairs.get_nb_sites()) return true;
  if (pairs.is_constant_site(site)) return false;  // one codon in every sequence
  const mrv::ResolvedNucleotides& resolved = pairs.resolved_for(nucleicAlphabet);
  const size_t position = 3 * static_cast<size_t>(site) + static_cast<size_t>(k);
  bool seen = false;
  int8_t first = 0;
  for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i) {
    const int8_t a = pairs.get_allele_row(i, 0)[position];
    const int8_t b = pairs.get_allele_row(i, 1)[position];
    if (!resolved(a) || !resolved(b)) continue;
    if (!seen) {
      seen = true;
      first = a;
    }
    if (a != first || b != first) return true;
  }
  return false;
}

}  // namespace

void computeFit(mrv::PairedSequenceContainer* pairs, const bpp::CodonAlphabet* codonAlphabet,
                const bpp::NucleicAlphabet* nucleicAlphabet, SpeciesDataWarehouse* speciesData,
                unsigned int nbSites, bool debug) {
  unsigned int count = 0;
  unsigned int observed = 0;
  double expected = 0.0;
  for (unsigned int site = 0; site < nbSites; ++site) {
    for (int k = 0; k < 3; ++k) {
      if (!mayHaveTwoAlleles(*pairs, site, k, codonAlphabet, nucleicAlphabet)) continue;
      mrv::AlleleFrequency alleles(pairs, static_cast<int>(site), k, codonAlphabet, nucleicAlphabet);
      if (!alleles.is_bi_allelic()) continue;
      const int n = alleles.get_nb_typed();
      const unsigned int nbAlleles = 2u * static_cast<unsigned int>(n);
      const unsigned int occurrences1 = static_cast<unsigned int>(alleles.get_allele_1_occurence());
      const unsigned int occurrences2 = static_cast<unsigned int>(alleles.get_allele_2_occurence());
      const double p = static_cast<double>(occurrences1) / static_cast<double>(nbAlleles);
      const double q = static_cast<double>(occurrences2) / static_cast<double>(nbAlleles);
      if (debug) {
        std::cout << "(DEBUG - computeFit) Resolved sequences: " << n << std::endl;
        std::cout << "(DEBUG - computeFit) First allele (" << nucleicAlphabet->getName(alleles.get_allele_1_code())
                  << ") Occurence & frequency: " << occurrences1 << " - " << p << std::endl;
        std::cout << "(DEBUG - computeFit) Second allele (" << nucleicAlphabet->getName(alleles.get_allele_2_code())
                  << ") Occurence & frequency: " << occurrences2 << " - " << q << std::endl;
      }
      count += 1;
      observed += static_cast<unsigned int>(alleles.get_nb_observed_heterozygosity());
      expected += ((2.0 * p) * q) * static_cast<double>(n);
    }
  }
  if (debug) {
    std::cout << "(DEBUG - computeFit) nbObservedHeterozygosity: " << observed << std::endl;
    std::cout << "(DEBUG - computeFit) nbExpectedHeterozygosity: " << expected << std::endl;
  }
  if (count > 0 && expected != 0.0) speciesData->set_Fit(1.0 - static_cast<double>(observed) / expected);
}

void computeWeirCockerhamFit(mrv::PairedSequenceContainer* pairs, const bpp::CodonAlphabet* codonAlphabet,
                             const bpp::NucleicAlphabet* nucleicAlphabet, SpeciesDataWarehouse* speciesData,
                             unsigned int nbSites, bool debug) {
  unsigned int count = 0;
  double totalB = 0.0;
  double totalC = 0.0;
  for (unsigned int site = 0; site < nbSites; ++site) {
    for (int k = 0; k < 3; ++k) {
      if (!mayHaveTwoAlleles(*pairs, site, k, codonAlphabet, nucleicAlphabet)) continue;
      mrv::AlleleFrequency alleles(pairs, static_cast<int>(site), k, codonAlphabet, nucleicAlphabet);
      const double n = static_cast<double>(alleles.get_nb_typed());
      // A position typed in a single individual is never used.
      if (!alleles.is_bi_allelic() || !(n > 1.0)) continue;
      const double p = static_cast<double>(alleles.get_allele_1_occurence()) / (2.0 * n);
      if (debug) {
        std::cout << "(DEBUG - computeWeirCockerhamFit) Resolved Pairs: " << n << std::endl;
        std::cout << "(DEBUG - computeWeirCockerhamFit) First allele ("
                  << nucleicAlphabet->getName(alleles.get_allele_1_code())
                  << ") Occurence & frequency: " << alleles.get_allele_1_occurence() << " - " << p << std::endl;
      }
      const double h = static_cast<double>(alleles.get_nb_observed_heterozygosity()) / n;
      totalB += determineWeirCockerhamTermB(n, p, h, debug);
      count += 1;
      totalC += 0.5 * h;
    }
  }
  if (debug) {
    std::cout << "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermB: " << totalB << std::endl;
    std::cout << "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermC: " << totalC << std::endl;
  }
  if (count > 0 && totalB + totalC != 0.0) {
    speciesData->set_WC84_total_B(totalB);
    speciesData->set_WC84_total_C(totalC);
    speciesData->set_WC84_Fit(totalB / (totalB + totalC));
    if (debug)
      std::cout << "(DEBUG - computeWeirCockerhamFit) WC84_Fit: " << speciesData->get_WC84_Fit() << std::endl;
  }
}

double determineWeirCockerhamTermB(double n, double p, double h, bool debug) {
  const double subTerm1 = n / (n - 1.0);
  const double subTerm2 = (1.0 - p) * p;
  const double subTerm3 = ((n + n - 1.0) / (n * 4.0)) * h;
  const double termB = (subTerm2 - subTerm3) * subTerm1;
  if (debug) {
    std::cout << "(DEBUG - determineWeirCockerhamTerm) subTerm1: " << subTerm1 << std::endl;
    std::cout << "(DEBUG - determineWeirCockerhamTerm) subTerm2: " << subTerm2 << std::endl;
    std::cout << "(DEBUG - determineWeirCockerhamTerm) subTerm3: " << subTerm3 << std::endl;
    std::cout << "(DEBUG - determineWeirCockerhamTerm) weirCockerhamTermB: " << termB << std::endl;
  }
  return termB;
}
