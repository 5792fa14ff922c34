#pragma once
// Distance between two diploid individuals of one contig, and the number of nucleotide positions
// it rests on. The pair is ordered: (A, B) and (B, A) are two objects, named "A|B" and "B|A".
#include <cstddef>
#include <cstdint>
#include <string>

namespace bpp {
class CodonAlphabet;
class NucleicAlphabet;
class PolymorphismSequenceContainer;
}

namespace mrv {

class PairedSequenceContainer;
class ResolvedNucleotides;

/**
 * @brief Distance between two diploid individuals of a contig.
 *
 * Formula: distance = sum over the positions with all four alleles resolved of 0.25 * (differing
 *   cross comparisons of an allele of A with an allele of B) / number of such positions.
 * Not computed: -1.0 over 0 positions.
 * Throws: bpp::Exception for a pair index out of range; bpp::IndexOutOfBoundsException from
 *   computeDistance for a container of fewer than two sequences.
 */
class DistanceBetweenIndividuals {
 public:
  // A pair without distance: distance -1.0, no resolved position.
  DistanceBetweenIndividuals(std::string first, std::string second);

  // ---- Construction from sequence containers or allele pairs, and the distance computation ----
  // Names: the individual field of sequence 0 of each container.
  DistanceBetweenIndividuals(bpp::PolymorphismSequenceContainer* first, bpp::PolymorphismSequenceContainer* second);
  // Names: pair names i and j; raises bpp::Exception when either is not a pair index.
  DistanceBetweenIndividuals(PairedSequenceContainer* pairs, unsigned int i, unsigned int j);

  // Distance between the individuals whose allele pairs are the two sequences of `first` and of
  // `second`: the mean, over the nucleotide positions where all four alleles are resolved, of 0.25
  // per differing cross comparison (the two alleles of one individual are never compared). Counts
  // the positions on from the current count. Containers of different numbers of codon sites are
  // not compared (only a debug line tells). `debug` prints the four alleles at every position.
  void computeDistance(bpp::PolymorphismSequenceContainer* first, bpp::PolymorphismSequenceContainer* second,
                       const bpp::CodonAlphabet* codonAlphabet, const bpp::NucleicAlphabet* nucleicAlphabet,
                       bool debug);
  // computeDistance on pairs i and j, read from the pairs' decoded nucleotides; raises
  // bpp::Exception when either is not a pair index. Without debug lines to print, the four
  // comparisons of every position are counted over whole allele rows at once.
  void computeDistanceWithPair(PairedSequenceContainer* pairs, unsigned int i, unsigned int j,
                               const bpp::CodonAlphabet* codonAlphabet, const bpp::NucleicAlphabet* nucleicAlphabet,
                               bool debug);

  virtual ~DistanceBetweenIndividuals();

  std::string get_first_individual_name() const { return _first_individual_name; }
  std::string get_second_individual_name() const { return _second_individual_name; }
  std::string get_pair_name() const { return _pair_name; }
  double get_distance() const { return _distance; }
  int get_nb_resolved_positions() const { return _nb_resolved_positions; }

  void set_distance(double value) { _distance = value; }
  void set_nb_resolved_positions(int value) { _nb_resolved_positions = value; }

 private:
  // The four allele rows (nucleotide codes, 3 per codon site) of the two individuals.
  void _compare(const int8_t* first0, const int8_t* first1, const int8_t* second0, const int8_t* second1,
                size_t nbPositions, const ResolvedNucleotides& resolved, const bpp::NucleicAlphabet* nucleicAlphabet,
                bool debug);
  void _warnDifferentSites() const;
  // Adds the positions to the count and sets the distance (when there are positions).
  void _finish(unsigned long long differing, unsigned long long resolvedCount);

  std::string _first_individual_name;
  std::string _second_individual_name;
  std::string _pair_name;  // first + "|" + second
  double _distance;        // -1.0 while not computed
  int _nb_resolved_positions;
};

}  // namespace mrv
