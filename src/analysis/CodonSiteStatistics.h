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
#include <string>
#include <utility>
#include <vector>

#include "analysis/CodonCodeTables.h"
#include "analysis/CodonColumns.h"
#include "analysis/Workspace.h"

namespace bpp {
class GeneticCode;
class PolymorphismSequenceContainer;
class Sequence;
class Site;
}  // namespace bpp

namespace mrv {

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
  // integer factor n / (n - 1): sum_{i,j} x_i x_j Sd_ij * (n / (n - 1) in integers), x the codon
  // frequencies, Sd (or d - Sd) the (non-)synonymous differences of two codons (Nei & Gojobori 1986).
  double pi_synonymous(size_t s) const;
  double pi_non_synonymous(size_t s) const;
  // Over the complete sites: the library's numberOfSynonymousSubstitutions and
  // numberOfNonSynonymousSubstitutions of a container (polymorphisms below freqmin not counted).
  unsigned int number_of_synonymous_substitutions(double freqmin) const;
  unsigned int number_of_non_synonymous_substitutions(double freqmin) const;

  // ---- One site given by its codes (n > 0, no gap nor unresolved code) ----
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
  // The library's meanNumberOfSynonymousPositions of one site, `positions` the synonymous positions
  // of every codon for the ratio (CodonCodeTables::synonymous_positions).
  double mean_synonymous_positions(const int* codes, size_t n, double ratio, const double* positions) const;

  const CodonColumns& _columns;
  CodonCodeTables& _tables;
  const bpp::GeneticCode& _code;
  bool _usable;
};

}  // namespace mrv
