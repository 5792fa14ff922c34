#include "analysis/AlleleFrequency.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include "analysis/NucleotideRows.h"
#include "analysis/PairedSequenceContainer.h"

namespace mrv {

namespace {

const int NUCLEOTIDE_A = 0;
const int NUCLEOTIDE_C = 1;
const int NUCLEOTIDE_G = 2;
const int NUCLEOTIDE_T = 3;

bool isGC(int code) { return code == NUCLEOTIDE_C || code == NUCLEOTIDE_G; }
bool isAT(int code) { return code == NUCLEOTIDE_A || code == NUCLEOTIDE_T; }

}  // namespace

AlleleFrequency::AlleleFrequency(PairedSequenceContainer* pairs, int site, int positionInCodon,
                                 const bpp::CodonAlphabet* codonAlphabet,
                                 const bpp::NucleicAlphabet* nucleicAlphabet) {
  const unsigned int nbPairs = pairs->get_nb_pair();
  const bool decodable = positionInCodon >= 0 && positionInCodon <= 2 && site >= 0 &&
                         static_cast<size_t>(site) < pairs->get_nb_sites() &&
                         codonAlphabet == pairs->get_codon_alphabet();
  if (!decodable) {
    _countPairsDirectly(pairs, site, positionInCodon, codonAlphabet, nucleicAlphabet);
  } else {
    const ResolvedNucleotides& resolved = pairs->resolved_for(nucleicAlphabet);
    const size_t position = 3 * static_cast<size_t>(site) + static_cast<size_t>(positionInCodon);
    for (unsigned int i = 0; i < nbPairs; ++i) {
      const int8_t a = pairs->get_allele_row(i, 0)[position];
      const int8_t b = pairs->get_allele_row(i, 1)[position];
      if (!resolved(a) || !resolved(b)) continue;
      if (a != b) _nb_observed_heterozygosity += 1;
      _nb_typed += 1;
      _updateAlleleData(a, i);
      _updateAlleleData(b, i);
    }
  }
  _bi_allelic = (_number_of_allele == 2);
}

void AlleleFrequency::_countPairsDirectly(PairedSequenceContainer* pairs, int site, int positionInCodon,
                                          const bpp::CodonAlphabet* codonAlphabet,
                                          const bpp::NucleicAlphabet* nucleicAlphabet) {
  for (unsigned int i = 0; i < pairs->get_nb_pair(); ++i) {
    bpp::PolymorphismSequenceContainer* pair = pairs->get_pair(i);
    const int a = codonAlphabet->getNPosition(pair->valueAt(0, static_cast<size_t>(site)),
                                              static_cast<size_t>(positionInCodon));
    const int b = codonAlphabet->getNPosition(pair->valueAt(1, static_cast<size_t>(site)),
                                              static_cast<size_t>(positionInCodon));
    if (nucleicAlphabet->isUnresolved(a) || nucleicAlphabet->isUnresolved(b)) continue;
    if (a != b) _nb_observed_heterozygosity += 1;
    _nb_typed += 1;
    _updateAlleleData(a, i);
    _updateAlleleData(b, i);
  }
}

AlleleFrequency::AlleleFrequency(bpp::PolymorphismSequenceContainer* container, int site, int positionInCodon,
                                 const bpp::CodonAlphabet* codonAlphabet,
                                 const bpp::NucleicAlphabet* nucleicAlphabet) {
  // One column only: read through the alphabets (loops over many positions use the rows constructor).
  const size_t nbSequences = container->getNumberOfSequences();
  for (size_t i = 0; i < nbSequences; ++i) {
    const int a = codonAlphabet->getNPosition(container->valueAt(i, static_cast<size_t>(site)),
                                              static_cast<size_t>(positionInCodon));
    if (nucleicAlphabet->isUnresolved(a)) continue;
    _nb_typed += 1;
    _updateAlleleData(a, static_cast<unsigned int>(i));
  }
  _bi_allelic = (_number_of_allele == 2);
}

AlleleFrequency::AlleleFrequency(const NucleotideRows& rows, size_t position) {
  const ResolvedNucleotides& resolved = rows.resolved();
  const size_t nbRows = rows.get_nb_rows();
  for (size_t i = 0; i < nbRows; ++i) {
    const int8_t a = rows.row(i)[position];
    if (!resolved(a)) continue;
    _nb_typed += 1;
    _updateAlleleData(a, static_cast<unsigned int>(i));
  }
  _bi_allelic = (_number_of_allele == 2);
}

void AlleleFrequency::_updateAlleleData(int code, unsigned int rank) {
  switch (_number_of_allele) {
    case 0:
      _allele_1_code = code;
      _allele_1_occurence += 1;
      _number_of_allele = 1;
      break;
    case 1:
      if (code == _allele_1_code) {
        _allele_1_occurence += 1;
      } else {
        _allele_2_code = code;
        _allele_2_occurence += 1;
        _allele_2_rank = static_cast<int>(rank);
        _number_of_allele = 2;
      }
      break;
    case 2:
      if (code == _allele_1_code) {
        _allele_1_occurence += 1;
      } else if (code == _allele_2_code) {
        _allele_2_occurence += 1;
      } else {
        _allele_3_code = code;
        _allele_3_occurence += 1;
        _number_of_allele = 3;
      }
      break;
    default:  // 3, or 4 once a fourth distinct allele was met
      if (code == _allele_1_code) {
        _allele_1_occurence += 1;
      } else if (code == _allele_2_code) {
        _allele_2_occurence += 1;
      } else if (code == _allele_3_code) {
        _allele_3_occurence += 1;
      } else {
        _number_of_allele = 4;
      }
      break;
  }
}

void AlleleFrequency::determine_GC_frequencies() {
  if (!_bi_allelic) {
    bpp::ApplicationTools::displayWarning(
        "You are trying to determine GC frequencies on a non bi-allelic position ! Frequencies will not be "
        "computed..");
    return;
  }
  if (isGC(_allele_1_code) && isAT(_allele_2_code)) {
    _gc_absolute_frequency = _allele_1_occurence;
  } else if (isAT(_allele_1_code) && isGC(_allele_2_code)) {
    _gc_absolute_frequency = _allele_2_occurence;
  } else {
    return;
  }
  _gc_relative_frequency = static_cast<double>(_gc_absolute_frequency) / static_cast<double>(_nb_typed);
}

}  // namespace mrv
