#pragma once
// Differentiation between the populations of one contig. Every sequence is compared, nucleotide by
// nucleotide, with every sequence of another individual (never with itself nor with another allele
// of its own individual); differing and compared nucleotide pairs are counted within each population
// and between each two populations, and Fst = (Hbetween - Hwithin) / Hbetween follows, Hwithin being
// the mean of the two populations' within-population heterozygosities.
//
// Counters are 64-bit: ordered sequence pairs times nucleotide positions exceed 32 bits on large
// contigs. Only nucleotides that are resolved (A, C, G, T and the gap) are compared.
#include <cstdint>
#include <map>
#include <vector>

namespace bpp {
class PolymorphismSequenceContainer;
class CodonAlphabet;
class NucleicAlphabet;
}  // namespace bpp

class ResultsWarehouse;

namespace mrv {

class ContigView;
class Population;

/**
 * @brief Fst between every two populations of a contig, from pairwise nucleotide differences.
 *
 * Formula: Hwithin(a) = differences / comparisons between sequences of different individuals of a;
 *   Hbetween(a, b) the same between a and b; Fst(a, b) = (Hbetween - (Hwithin(a) + Hwithin(b)) / 2)
 *   / Hbetween, no sample-size correction.
 * Reference: the pairwise-difference Fst of Hudson, Slatkin & Maddison (1992).
 * Not computed: -999.0 (no within or between comparison, Hbetween 0.0, the diagonal).
 * Throws: bpp::Exception for an individual in no population (see the constructor).
 */
class PopulationDiversification {
 public:
  // Fills the counters from the container; the container and the alphabets are not kept. The
  // population model must outlive the object. Throws bpp::Exception ("Individual NAME doesn't belong
  // to any population !") for the first sequence, in container order, whose individual is in no
  // population.
  PopulationDiversification(bpp::PolymorphismSequenceContainer* container, Population* population,
                            const bpp::CodonAlphabet* codon_alphabet, const bpp::NucleicAlphabet* nucleic_alphabet);
  // The same over the rows of a contig's view (its alphabets).
  PopulationDiversification(const ContigView& view, Population* population);
  virtual ~PopulationDiversification();

  // Within-population heterozygosities, the pairwise heterozygosity matrices and Fst. A population
  // with no within comparison, or a pair with no between comparison, keeps Fst -999.0 and
  // heterozygosities 0.0; so does a pair whose between heterozygosity is 0.0.
  void determine_Fst();
  // The same without the Fst values.
  void determine_heterozygosities_only();

  // Indices must lie below the number of populations (std::out_of_range otherwise).
  double get_specific_Fst(int i, int j) const;
  double get_specific_globalHeteroWithin(int i, int j) const;
  double get_specific_globalHeteroBetween(int i, int j) const;
  std::int64_t get_specific_differenceBetween(int i, int j) const;
  std::int64_t get_specific_totalBetween(int i, int j) const;
  std::int64_t get_specific_differenceWithin(int population) const;
  std::int64_t get_specific_totalWithin(int population) const;
  // A population without a within heterozygosity is entered with 0.0.
  double get_specific_heterozygosityWithinPop(int population);

  std::vector<std::int64_t> get_all_differenceWithin() const { return _difference_within; }
  std::vector<std::int64_t> get_all_totalWithin() const { return _total_within; }
  std::vector<std::vector<std::int64_t> > get_all_differenceBetween() const { return _difference_between; }
  std::vector<std::vector<std::int64_t> > get_all_totalBetween() const { return _total_between; }
  std::vector<std::vector<double> > get_all_globalHeteroWithin() const { return _global_hetero_within; }
  std::vector<std::vector<double> > get_all_globalHeteroBetween() const { return _global_hetero_between; }
  std::vector<std::vector<double> > get_all_Fst() const { return _fst; }
  std::map<int, double> get_all_heterozygosityWithinPops() const { return _heterozygosity_within_pop; }

 private:
  void _allocate();
  void _collect_differences(const ContigView& view);
  void _determine(bool with_Fst);

  std::vector<std::int64_t> _difference_within;
  std::vector<std::int64_t> _total_within;
  std::vector<std::vector<std::int64_t> > _difference_between;
  std::vector<std::vector<std::int64_t> > _total_between;
  std::map<int, double> _heterozygosity_within_pop;
  std::vector<std::vector<double> > _global_hetero_within;
  std::vector<std::vector<double> > _global_hetero_between;
  std::vector<std::vector<double> > _fst;
  Population* _population;
};

}  // namespace mrv

// Fst of every pair of populations of the contig into the store, at (i, j) and (j, i) for i < j.
void populationDiversificationAnalysis(bpp::PolymorphismSequenceContainer* ingroup, mrv::Population* population,
                                       const bpp::CodonAlphabet* codon_alphabet,
                                       const bpp::NucleicAlphabet* nucleic_alphabet, ResultsWarehouse* store);
// The same over the rows of a contig's view.
void populationDiversificationAnalysis(const mrv::ContigView& view, mrv::Population* population,
                                       ResultsWarehouse* store);
