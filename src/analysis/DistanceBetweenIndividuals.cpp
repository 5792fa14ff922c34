#include "analysis/DistanceBetweenIndividuals.h"

#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <iostream>
#include <utility>

#include "analysis/ContigView.h"
#include "analysis/NucleotideRows.h"
#include "analysis/PairedSequenceContainer.h"
#include "input/PolymorphismSequenceContainerAddons.h"

namespace mrv {

namespace {

// The differing cross comparisons and the positions where all four alleles are resolved, between
// pairs i and j (nucleotides as the pairs were decoded, resolved in their own nucleic alphabet).
void countDifferences(const PairedSequenceContainer& pairs, unsigned int i, unsigned int j,
                      unsigned long long& differing, unsigned long long& typed) {
  const int8_t* f0 = pairs.get_allele_row(i, 0);
  const int8_t* f1 = pairs.get_allele_row(i, 1);
  const int8_t* s0 = pairs.get_allele_row(j, 0);
  const int8_t* s1 = pairs.get_allele_row(j, 1);
  const uint8_t* ft = pairs.get_typed_row(i);
  const uint8_t* st = pairs.get_typed_row(j);
  const size_t n = 3 * pairs.get_nb_sites();
  differing = 0;
  typed = 0;
  // Blocks short enough for 32-bit sums (at most 4 per position), which the compiler vectorises.
  const size_t block = size_t(1) << 28;
  for (size_t start = 0; start < n; start += block) {
    const size_t end = n - start > block ? start + block : n;
    uint32_t d = 0, t = 0;
    for (size_t p = start; p < end; ++p) {
      const uint8_t both = static_cast<uint8_t>(ft[p] & st[p]);
      const uint8_t differ = static_cast<uint8_t>((f0[p] != s0[p]) + (f0[p] != s1[p]) + (f1[p] != s0[p]) +
                                                  (f1[p] != s1[p]));
      t += both;
      d += static_cast<uint8_t>(differ & static_cast<uint8_t>(-both));
    }
    differing += d;
    typed += t;
  }
}

}  // namespace

DistanceBetweenIndividuals::DistanceBetweenIndividuals(std::string first, std::string second)
    : _first_individual_name(std::move(first)),
      _second_individual_name(std::move(second)),
      _pair_name(_first_individual_name + "|" + _second_individual_name),
      _distance(-1.0),
      _nb_resolved_positions(0) {}

DistanceBetweenIndividuals::~DistanceBetweenIndividuals() {}

// ---- Construction from sequence containers or allele pairs, and the distance computation ----

DistanceBetweenIndividuals::DistanceBetweenIndividuals(bpp::PolymorphismSequenceContainer* first,
                                                       bpp::PolymorphismSequenceContainer* second)
    : DistanceBetweenIndividuals(PolymorphismSequenceContainerAddons::getIndividualNameFromContainer(first, 0),
                                 PolymorphismSequenceContainerAddons::getIndividualNameFromContainer(second, 0)) {}

DistanceBetweenIndividuals::DistanceBetweenIndividuals(PairedSequenceContainer* pairs, unsigned int i, unsigned int j)
    : DistanceBetweenIndividuals(pairs->get_pair_name(i), pairs->get_pair_name(j)) {}

void DistanceBetweenIndividuals::_warnDifferentSites() const {
  std::cout << "(DEBUG - DistanceBetweenIndividuals::computeDistance) Warning: Different number of site detected for "
               "individual "
            << _first_individual_name << " and individual " << _second_individual_name
            << "! Distance will not be computed !" << std::endl;
}

void DistanceBetweenIndividuals::computeDistance(bpp::PolymorphismSequenceContainer* first,
                                                 bpp::PolymorphismSequenceContainer* second,
                                                 const bpp::CodonAlphabet* codonAlphabet,
                                                 const bpp::NucleicAlphabet* nucleicAlphabet, bool debug) {
  if (first->getNumberOfSites() != second->getNumberOfSites()) {
    if (debug) _warnDifferentSites();
    return;
  }
  const ContigView firstRows(*first, codonAlphabet, nucleicAlphabet, nullptr, false);
  const ContigView secondRows(*second, codonAlphabet, nucleicAlphabet, nullptr, false);
  for (const ContigView* rows : {&firstRows, &secondRows})
    if (rows->nb_rows() < 2 && rows->nb_sites() > 0)
      throw bpp::IndexOutOfBoundsException("DistanceBetweenIndividuals::computeDistance: allele sequence", 1, 0,
                                           rows->nb_rows() - 1);
  const NucleotideRows& a = firstRows.nucleotides();
  const NucleotideRows& b = secondRows.nucleotides();
  _compare(a.row(0), a.row(1), b.row(0), b.row(1), a.get_nb_positions(), a.resolved(), nucleicAlphabet, debug);
}

void DistanceBetweenIndividuals::computeDistanceWithPair(PairedSequenceContainer* pairs, unsigned int i,
                                                         unsigned int j, const bpp::CodonAlphabet* codonAlphabet,
                                                         const bpp::NucleicAlphabet* nucleicAlphabet, bool debug) {
  // Pair j is checked before pair i; both raise get_pair's exception for a bad index.
  pairs->get_pair_name(j);
  pairs->get_pair_name(i);
  if (codonAlphabet != pairs->get_codon_alphabet()) {
    computeDistance(pairs->get_pair(i), pairs->get_pair(j), codonAlphabet, nucleicAlphabet, debug);
    return;
  }
  // All pairs of one container have the source's number of codon sites.
  if (!debug && nucleicAlphabet == pairs->get_rows_nucleic_alphabet()) {
    unsigned long long differing = 0, typed = 0;
    countDifferences(*pairs, i, j, differing, typed);
    _finish(differing, typed);
    return;
  }
  _compare(pairs->get_allele_row(i, 0), pairs->get_allele_row(i, 1), pairs->get_allele_row(j, 0),
           pairs->get_allele_row(j, 1), 3 * pairs->get_nb_sites(), pairs->resolved_for(nucleicAlphabet),
           nucleicAlphabet, debug);
}

void DistanceBetweenIndividuals::_finish(unsigned long long differing, unsigned long long resolvedCount) {
  const int resolvedPositions = _nb_resolved_positions + static_cast<int>(resolvedCount);
  _nb_resolved_positions = resolvedPositions;
  if (_nb_resolved_positions != 0) _distance = (0.25 * static_cast<double>(differing)) / _nb_resolved_positions;
}

void DistanceBetweenIndividuals::_compare(const int8_t* first0, const int8_t* first1, const int8_t* second0,
                                          const int8_t* second1, size_t nbPositions,
                                          const ResolvedNucleotides& resolved,
                                          const bpp::NucleicAlphabet* nucleicAlphabet, bool debug) {
  // Every differing comparison adds 0.25: the sum is a whole number of quarters, kept as a count.
  unsigned long long differing = 0;
  unsigned long long resolvedCount = 0;
  if (debug) {
    for (size_t p = 0; p < nbPositions; ++p)
      std::cout << "(DEBUG - DistanceBetweenIndividuals::computeDistance) Alleles 1-1, 1-2, 2-1, 2-2: "
                << nucleicAlphabet->getName(first0[p]) << ", " << nucleicAlphabet->getName(first1[p]) << ", "
                << nucleicAlphabet->getName(second0[p]) << ", " << nucleicAlphabet->getName(second1[p]) << std::endl
                << std::endl;
  }
  for (size_t p = 0; p < nbPositions; ++p) {
    const int8_t a11 = first0[p];
    const int8_t a12 = first1[p];
    const int8_t a21 = second0[p];
    const int8_t a22 = second1[p];
    const unsigned int all = resolved(a11) & resolved(a12) & resolved(a21) & resolved(a22);
    resolvedCount += all;
    differing += all * (static_cast<unsigned int>(a11 != a21) + (a11 != a22) + (a12 != a21) + (a12 != a22));
  }
  _finish(differing, resolvedCount);
}

}  // namespace mrv
