#pragma once
// The library's per-site codon statistics, computed from the codon codes of a contig read once.
//
// The library works site by site through Site objects, alphabet checks and frequency maps, and
// most sites of a contig are monomorphic. Here the codes of every site are read straight from the
// containers' site columns, per-codon quantities (synonymous positions for a transition /
// transversion ratio, synonymous and nucleotide differences between two codons, amino acids) are
// asked of the library once per codon or codon pair and kept for the run, and each site's value
// is put together with the library's own arithmetic: codon frequencies count / n taken in
// ascending code order, products and sums in the same order. The results are therefore the
// library's, to the last bit.
//
// Whatever the fast reading does not cover is handed to the library itself: sites holding a code
// other than the 61 sense codons of the genetic code (stop codons, frameshift codons), the counts
// of substitutions and the fixed differences of polymorphic or differing sites not met before.
// Containers whose alphabet is not a codon alphabet accepted by the genetic code are not usable
// here: the statistics engine (StatisticsEngine.h) then asks the library, which raises its own
// exception.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "analysis/Workspace.h"

namespace bpp {
class Alphabet;
class Sequence;
class GeneticCode;
class PolymorphismSequenceContainer;
class Site;
}  // namespace bpp

namespace mrv {

// Codon codes of one container, or of two containers side by side, site by site. The arrays are
// leased from the workspace given (the run's), or owned without one.
class CodonColumns {
 public:
  // Every sequence of the container.
  explicit CodonColumns(const bpp::PolymorphismSequenceContainer& container, Workspace* workspace = nullptr);
  // The sequences of `first` then those of `second`: the sites of a container holding both. When
  // their numbers of sites differ, nothing is read and usable() is false.
  CodonColumns(const bpp::PolymorphismSequenceContainer& first, const bpp::PolymorphismSequenceContainer& second,
               Workspace* workspace = nullptr);
  // The sequences of the container, then one more sequence.
  CodonColumns(const bpp::PolymorphismSequenceContainer& container, const bpp::Sequence& extra,
               Workspace* workspace = nullptr);
  // The sequences as the sites of a container of the given alphabet would hold them; not usable
  // when a sequence is of another alphabet type or of another length than the first.
  CodonColumns(const std::vector<const bpp::Sequence*>& sequences, const bpp::Alphabet* alphabet,
               Workspace* workspace = nullptr);
  // Codes held elsewhere, site after site (`nb_sequences` codes each), which must outlive the columns.
  CodonColumns(const int* codes, size_t nb_sequences, size_t nb_sites, const bpp::Alphabet* alphabet,
               Workspace* workspace = nullptr);
  CodonColumns(const CodonColumns&) = delete;
  CodonColumns& operator=(const CodonColumns&) = delete;

  bool usable() const { return _usable; }
  size_t nb_sequences() const { return _nb_sequences; }
  size_t nb_sites() const { return _sites.size(); }
  // Codes of site s, one per sequence.
  const int* site(size_t s) const { return _sites[s]; }
  const bpp::Alphabet* alphabet() const { return _alphabet; }
  // A site is complete when none of its codes is a gap or unresolved in the alphabet.
  bool is_complete(size_t s) const { return _complete[s] != 0; }
  size_t nb_complete_sites() const { return _nb_complete; }

  // Sums worked out over these columns, kept for a second request: by genetic code tables and ratio.
  struct SumMemo {
    const void* tables;
    double ratio;
    double sum;
  };
  mutable std::vector<SumMemo> sums;

 private:
  void _classify();

  bool _usable;
  size_t _nb_sequences;
  const bpp::Alphabet* _alphabet;
  Workspace::Lease<const int*> _sites_store;
  Workspace::Lease<int> _owned_store;
  Workspace::Lease<char> _complete_store;
  std::vector<const int*>& _sites = *_sites_store;
  std::vector<int>& _owned = *_owned_store;  // codes of two containers put side by side
  std::vector<char>& _complete = *_complete_store;
  size_t _nb_complete;
};

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
  // Number of synonymous positions of every codon 0 to 63 for the ratio (library's value).
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

// The statistics of the sites of one CodonColumns for the tables' genetic code.
class CodonSiteStatistics {
 public:
  CodonSiteStatistics(const CodonColumns& columns, CodonCodeTables& tables);

  // False when the columns cannot be read here (another alphabet, no sequence, unequal sites): the
  // callers then ask the library for the whole container.
  bool usable() const { return _usable; }

  // Over the complete sites, in site order: the sum of the library's meanNumberOfSynonymousPositions.
  double sum_of_mean_synonymous_positions(double ratio) const;
  // 3 per complete site less the sum above, as the library counts the non-synonymous sites.
  double mean_number_of_non_synonymous_sites(double ratio) const;
  // The library's piSynonymous / piNonSynonymous (all paths) of complete site s, with its own
  // integer factor n / (n - 1).
  double pi_synonymous(size_t s) const;
  double pi_non_synonymous(size_t s) const;
  // Over the complete sites: the library's numberOfSynonymousSubstitutions and
  // numberOfNonSynonymousSubstitutions of a container (polymorphisms below freqmin not counted).
  unsigned int number_of_synonymous_substitutions(double freqmin) const;
  unsigned int number_of_non_synonymous_substitutions(double freqmin) const;

  // ---- One site given by its codes (n > 0, no gap nor unresolved code) ----
  // The library's meanNumberOfSynonymousPositions.
  double mean_synonymous_positions(const int* codes, size_t n, double ratio) const;
  double pi_synonymous(const int* codes, size_t n) const;
  double pi_non_synonymous(const int* codes, size_t n) const;
  // The library's numberOfSubstitutions and numberOfNonSynonymousSubstitutions.
  size_t substitutions(const int* codes, size_t n, double freqmin) const;
  size_t non_synonymous_substitutions(const int* codes, size_t n, double freqmin) const;
  // Both at once: {all, non-synonymous}.
  std::pair<size_t, size_t> substitution_counts(const int* codes, size_t n, double freqmin) const;
  // The library's fixedDifferences {synonymous, non-synonymous} of a site of the ingroup (`in`) and
  // the same site of the outgroup (`out`), against their consensus codons, the outgroup site read as
  // outgroupSiteAsRead gives it (per-site counts not clamped).
  std::vector<size_t> fixed_differences(const int* in, size_t nin, const int* out, size_t nout, int consensus_in,
                                        int consensus_out) const;

  // The library's consensus codon of a site (gaps ignored, unknown characters not resolved): the
  // most frequent code, the lowest one on a tie, -1 when the site holds only gaps.
  static int consensus(const int* codes, size_t n);
  static bool is_constant(const int* codes, size_t n);
  // True when every code is one of the 61 sense codons of the genetic code.
  bool all_sense(const int* codes, size_t n) const;

 private:
  // The codes as a library Site, for the sites handed to the library.
  bpp::Site library_site(const int* codes, size_t n) const;
  double mean_synonymous_positions(const int* codes, size_t n, double ratio, const double* positions) const;

  const CodonColumns& _columns;
  CodonCodeTables& _tables;
  const bpp::GeneticCode& _code;
  bool _usable;
};

// True when the two alphabets have the same type name (the same alphabet needs no names built).
bool sameAlphabetType(const bpp::Alphabet* a, const bpp::Alphabet* b);

// The library's consensus sequence of a container (getConsensus with gaps ignored and unknown
// characters not resolved) over the listed sequences only, under the given name, read from the codes.
bpp::Sequence* consensusOfSequences(const bpp::PolymorphismSequenceContainer& container,
                                    const std::vector<size_t>& sequences, const std::string& name,
                                    Workspace* workspace = nullptr);

}  // namespace mrv
