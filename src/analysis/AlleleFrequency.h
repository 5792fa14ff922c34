#pragma once
// Allele counts at one nucleotide position (codon site, position in the codon) of a contig: the
// distinct nucleotides met (up to three recorded, in the order first met), how often each occurs,
// how many units were typed and, over allele pairs, how many individuals are heterozygous.
// A unit is an individual (both alleles of its pair resolved) or a sequence (its nucleotide
// resolved); resolved nucleotides are A, C, G, T and the gap.
#include <cstddef>

namespace bpp {
class CodonAlphabet;
class NucleicAlphabet;
class PolymorphismSequenceContainer;
}  // namespace bpp

namespace mrv {

class PairedSequenceContainer;
class NucleotideRows;

class AlleleFrequency {
 public:
  // Over the allele pairs: one unit per pair whose two nucleotides are both resolved.
  AlleleFrequency(PairedSequenceContainer* pairs, int site, int positionInCodon,
                  const bpp::CodonAlphabet* codonAlphabet, const bpp::NucleicAlphabet* nucleicAlphabet);
  // Over every sequence of a container: one unit per resolved nucleotide.
  AlleleFrequency(bpp::PolymorphismSequenceContainer* container, int site, int positionInCodon,
                  const bpp::CodonAlphabet* codonAlphabet, const bpp::NucleicAlphabet* nucleicAlphabet);
  // Over every row of decoded nucleotides, at nucleotide position `position` (3 * site + position
  // in the codon): the same counts as the container constructor on the container the rows come from.
  AlleleFrequency(const NucleotideRows& rows, size_t position);
  virtual ~AlleleFrequency() {}

  int get_number_of_allele() const { return _number_of_allele; }
  int get_nb_typed() const { return _nb_typed; }
  int get_allele_1_code() const { return _allele_1_code; }
  int get_allele_2_code() const { return _allele_2_code; }
  int get_allele_3_code() const { return _allele_3_code; }
  int get_allele_2_rank() const { return _allele_2_rank; }
  int get_nb_observed_heterozygosity() const { return _nb_observed_heterozygosity; }
  int get_allele_1_occurence() const { return _allele_1_occurence; }
  int get_allele_2_occurence() const { return _allele_2_occurence; }
  int get_allele_3_occurence() const { return _allele_3_occurence; }
  int get_GC_absolute_frequency() const { return _gc_absolute_frequency; }
  double get_GC_relative_frequency() const { return _gc_relative_frequency; }
  bool is_bi_allelic() const { return _bi_allelic; }

  // At a bi-allelic position with one G/C and one A/T allele: the occurrences of the G/C allele and
  // their share of the typed units. Warns (and changes nothing) on a position that is not bi-allelic.
  void determine_GC_frequencies();

 private:
  // Records one observed nucleotide of the unit of index `rank`; a fourth distinct nucleotide is
  // neither stored nor counted.
  void _updateAlleleData(int code, unsigned int rank);
  // The pair and container constructors through the alphabets' own reading (any argument).
  void _countPairsDirectly(PairedSequenceContainer* pairs, int site, int positionInCodon,
                           const bpp::CodonAlphabet* codonAlphabet, const bpp::NucleicAlphabet* nucleicAlphabet);

  int _number_of_allele = 0;
  int _nb_typed = 0;
  int _allele_1_code = -1;
  int _allele_2_code = -1;
  int _allele_3_code = -1;
  int _allele_2_rank = 0;
  int _nb_observed_heterozygosity = 0;
  int _allele_1_occurence = 0;
  int _allele_2_occurence = 0;
  int _allele_3_occurence = 0;
  int _gc_absolute_frequency = -1;
  double _gc_relative_frequency = -1.0;
  bool _bi_allelic = false;
};

}  // namespace mrv
