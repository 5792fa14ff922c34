#include "analysis/FocalSpeciesDrivers.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>

#include <iostream>
#include <memory>

#include "analysis/ContigView.h"
#include "analysis/DistanceBetweenIndividuals.h"
#include "analysis/NucleotideRows.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/CodonNucleotideTable.h"

void computeIndividualHeterozygosity(mrv::PairedSequenceContainer* pairs, const bpp::CodonAlphabet* codonAlphabet,
                                     const bpp::NucleicAlphabet* nucleicAlphabet, ResultsWarehouse* results,
                                     std::vector<std::string>& pairNames) {
  const unsigned int nbPairs = pairs->get_nb_pair();
  const bool decoded = (codonAlphabet == pairs->get_codon_alphabet());
  for (unsigned int i = 0; i < nbPairs; ++i) {
    const int8_t* allele0;
    const int8_t* allele1;
    size_t nbPositions;
    std::unique_ptr<mrv::ContigView> own;  // a pair read with another codon alphabet
    if (decoded) {
      allele0 = pairs->get_allele_row(i, 0);
      allele1 = pairs->get_allele_row(i, 1);
      nbPositions = 3 * pairs->get_nb_sites();
    } else {
      own.reset(new mrv::ContigView(*pairs->get_pair(i), codonAlphabet, nucleicAlphabet, nullptr, false));
      allele0 = own->nucleotides().row(0);
      allele1 = own->nucleotides().row(1);
      nbPositions = own->nucleotides().get_nb_positions();
    }
    const mrv::ResolvedNucleotides& resolved =
        decoded ? pairs->resolved_for(nucleicAlphabet) : own->nucleotides().resolved();
    unsigned int compared = 0;
    unsigned int differ = 0;
    for (size_t p = 0; p < nbPositions; ++p) {
      const int8_t a = allele0[p];
      const int8_t b = allele1[p];
      if (!resolved(a) || !resolved(b)) continue;
      compared += 1;
      if (a != b) differ += 1;
    }
    if (compared > 0)
      results->set_specific_individual_heterozygosity(pairNames.at(i),
                                                      static_cast<double>(differ) / static_cast<double>(compared));
  }
}

void computeGC3(const std::vector<int>& codons, SpeciesDataWarehouse* speciesData,
                const bpp::CodonAlphabet* codonAlphabet, bool debug) {
  unsigned int gc = 0;
  unsigned int at = 0;
  unsigned int other = 0;
  std::unique_ptr<mrv::CodonNucleotideTable> table;
  if (!codons.empty()) table.reset(new mrv::CodonNucleotideTable(codonAlphabet, codonAlphabet->getNucleicAlphabet()));
  for (const int codon : codons) {
    const int third = mrv::CodonNucleotideTable::covers(codon) ? table->nucleotide(codon, 2)
                                                                : codonAlphabet->getNPosition(codon, 2);
    if (third == 0 || third == 3) {  // A, T
      at += 1;
    } else if (third == 1 || third == 2) {  // C, G
      gc += 1;
    } else {
      other += 1;
    }
  }
  if (debug)
    std::cout << "(DEBUG - computeGC3) Counters: GC = " << gc << " - AT = " << at << " - Other = " << other
              << std::endl;
  const unsigned int resolved = at + gc;
  speciesData->set_GC3(static_cast<double>(gc) / static_cast<double>(resolved));
}

void computeGC3(bpp::PolymorphismSequenceContainer* container, SpeciesDataWarehouse* speciesData,
                const bpp::CodonAlphabet* codonAlphabet, bool debug) {
  std::vector<int> codons(container->getNumberOfSites());
  for (size_t s = 0; s < codons.size(); ++s) codons[s] = container->valueAt(0, s);
  computeGC3(codons, speciesData, codonAlphabet, debug);
}

void computeAllDistancesBetweenIndividuals(ResultsWarehouse* results, mrv::PairedSequenceContainer* pairs,
                                           const bpp::CodonAlphabet* codonAlphabet,
                                           const bpp::NucleicAlphabet* nucleicAlphabet, bool debug) {
  const std::vector<std::string> names = pairs->get_pair_names();
  const unsigned int nbPairs = pairs->get_nb_pair();
  // The contig's pairs only: nbPairs x nbPairs values, stored as one table.
  std::vector<double> distances(static_cast<size_t>(nbPairs) * nbPairs, -1.0);
  std::vector<int> positions(static_cast<size_t>(nbPairs) * nbPairs, 0);
  for (unsigned int i = 0; i < nbPairs; ++i) {
    for (unsigned int j = 0; j < nbPairs; ++j) {
      const size_t at = static_cast<size_t>(i) * nbPairs + j;
      if (!debug && j < i) {
        // (j, i) rests on the same four comparisons per position as (i, j): without debug lines
        // to print, it is taken from the earlier computation.
        distances[at] = distances[static_cast<size_t>(j) * nbPairs + i];
        positions[at] = positions[static_cast<size_t>(j) * nbPairs + i];
        continue;
      }
      mrv::DistanceBetweenIndividuals distance(names[i], names[j]);
      distance.computeDistanceWithPair(pairs, i, j, codonAlphabet, nucleicAlphabet, debug);
      distances[at] = distance.get_distance();
      positions[at] = distance.get_nb_resolved_positions();
    }
  }
  results->set_distances(names, distances, positions);
}
