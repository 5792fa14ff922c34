#pragma once
// Per-codon quantities of one genetic code, asked of the library once each.
#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace bpp {
class GeneticCode;
}  // namespace bpp

namespace mrv {

// The per-codon quantities of one genetic code, asked of the library once each and kept by their
// owner (the run's statistics engine).
class CodonCodeTables {
 public:
  // The genetic code must outlive the tables.
  explicit CodonCodeTables(const bpp::GeneticCode& code);
  CodonCodeTables(const CodonCodeTables&) = delete;
  CodonCodeTables& operator=(const CodonCodeTables&) = delete;

  const bpp::GeneticCode& code() const { return _code; }

  // True for codes 0 to 63 that are not stop codons.
  bool is_sense(int codon) const { return codon >= 0 && codon < 64 && _sense[static_cast<size_t>(codon)]; }
  int amino_acid(int codon) const { return _amino_acid[static_cast<size_t>(codon)]; }
  // Number of synonymous positions of every codon 0 to 63 for the ratio (library's value): over the
  // codon's 3 positions, the weights of its synonymous single-nucleotide changes / (ratio + 2), a
  // transition weighing `ratio` and a transversion 1; 0 for a stop codon (Nei & Gojobori 1986).
  const double* synonymous_positions(double ratio);
  // Synonymous differences between two sense codons (all paths, as the library's default).
  double synonymous_differences(int i, int j);
  // The same with the fewest non-synonymous changes (the library's minchange), as a count.
  size_t least_change_synonymous_differences(int i, int j);
  // Nucleotide differences between two sense codons.
  double nucleotide_differences(int i, int j);
  // Substitution counts {all, non-synonymous} already worked out for a site of sense codons, keyed
  // by its codon counts and minimum frequency (the library's counts depend on nothing else).
  std::unordered_map<std::string, std::pair<size_t, size_t> >& substitution_counts() { return _substitutions; }
  // Fixed differences {synonymous, non-synonymous} already worked out, by consensus codons and the
  // positions found variable (the library's result depends on nothing else for sense codons).
  std::vector<std::pair<bool, std::vector<size_t> > >& fixed_differences() { return _fixed; }

 private:
  const bpp::GeneticCode& _code;
  bool _sense[64];
  int _amino_acid[64];
  std::vector<std::pair<double, std::vector<double> > > _positions;  // per ratio
  std::vector<double> _synonymous;                                   // 64 x 64, NaN until asked
  std::vector<double> _differences;                                  // 64 x 64, NaN until asked
  std::vector<double> _least_change;                                 // 64 x 64, NaN until asked
  std::unordered_map<std::string, std::pair<size_t, size_t> > _substitutions;
  std::vector<std::pair<bool, std::vector<size_t> > > _fixed;  // 64 x 64 x 8
};

}  // namespace mrv
