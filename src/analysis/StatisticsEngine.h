#pragma once
// The run's statistics engine: the one place that decides, for every codon statistic of a contig,
// whether it is computed with the program's own arithmetic on the codes read once (CodonColumns,
// CodonSiteStatistics) or asked of the library (Bio++ 2.4.1). The own arithmetic repeats the
// library's to the last bit, so both give the same results; the library is asked whenever the codes
// cannot be read here (another alphabet, unequal sites), and for every statistic in the reference
// build (CMake option SELVANTRIX_LIBRARY_STATISTICS).
//
// Library behaviours the results keep or correct, on both roads, each written once below as a rule:
//
// 1. piS and piN per site: the library multiplies a site's mean pairwise difference by the integer
//    quotient n / (n - 1) (2 for two sequences, 1 for three or more). The results take the factor
//    n / (n - 1) in floating point: the library's value, then rescaledPi.
// 2. Fixed differences per site: several branches of the library's count subtract 1 from a count
//    already at 0, which wraps to a huge unsigned value. A count above 3 (a codon has three positions)
//    counts 0: clampedFixedCount. Everywhere else the library's counts stand, including its guard in
//    the case where the consensus codons differ at positions 1 and 3 and position 1 varies.
// 3. The outgroup site of a fixed-difference count: the library reads it as far as the ingroup
//    site's length, past its own end when the outgroup holds fewer sequences. There the outgroup's
//    consensus codon is read: outgroupSiteAsRead. The run's outgroup is its consensus alone, so the
//    outgroup site is read as a constant site of its consensus.
//
// Every other value is the library's own (site numbers for a transition / transversion ratio,
// substitution counts with a minimum frequency, complete sites, consensus sequences).
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/Workspace.h"

namespace bpp {
class GeneticCode;
class PolymorphismSequenceContainer;
class Sequence;
}  // namespace bpp

namespace mrv {

// Rule 1: a site's pi as the library gives it (n sequences), with the factor n / (n - 1) in
// floating point.
double rescaledPi(double library_pi, size_t n);
// Rule 2: one site's fixed-difference count.
size_t clampedFixedCount(size_t library_count);
// Rule 3: the outgroup site (nout codes) as the fixed-difference count reads it for an ingroup site
// of nin codes: its codes, then its consensus codon up to nin.
std::vector<int> outgroupSiteAsRead(const int* out, size_t nout, size_t nin, int consensus_out);

class StatisticsEngine {
 public:
  enum class Route { kOwnArithmetic, kLibrary };
#ifdef SELVANTRIX_LIBRARY_STATISTICS
  static constexpr Route kBuildRoute = Route::kLibrary;
#else
  static constexpr Route kBuildRoute = Route::kOwnArithmetic;
#endif
  // The container the library reads, built when it is first asked for.
  using LibraryInput = std::function<const bpp::PolymorphismSequenceContainer&()>;
  // McDonald-Kreitman table {pn, ps, dn, ds}.
  using Table = std::vector<unsigned int>;

  // The genetic code must outlive the engine.
  explicit StatisticsEngine(const bpp::GeneticCode& code, Route route = kBuildRoute);
  StatisticsEngine(const StatisticsEngine&) = delete;
  StatisticsEngine& operator=(const StatisticsEngine&) = delete;

  const bpp::GeneticCode& genetic_code() const { return _tables.code(); }
  CodonCodeTables& tables() { return _tables; }
  Workspace& workspace() { return _workspace; }

  // The decision: true when the statistics of `columns` are computed from its codes here.
  bool reads_codes(const CodonColumns& columns);

  // ---- A container given by its codes and by the container the library would read ----
  // Sum over the complete sites of the per-site pi (rule 1).
  double pi_sum(const CodonColumns& columns, const LibraryInput& library, bool synonymous);
  // The library's meanNumberOfSynonymousSites and meanNumberOfNonSynonymousSites.
  double mean_synonymous_sites(const CodonColumns& columns, const LibraryInput& library, double ratio);
  double mean_non_synonymous_sites(const CodonColumns& columns, const LibraryInput& library, double ratio);
  // The library's numberOfSynonymousSubstitutions and numberOfNonSynonymousSubstitutions.
  unsigned int synonymous_substitutions(const CodonColumns& columns, const LibraryInput& library, double freqmin);
  unsigned int non_synonymous_substitutions(const CodonColumns& columns, const LibraryInput& library, double freqmin);
  // The library's getNumberOfCompleteSites (ingroup and outgroup alike).
  size_t complete_sites(const CodonColumns& columns, const LibraryInput& library);
  // The same on the given route, without an engine: counting complete sites needs no genetic code.
  static size_t complete_sites(const CodonColumns& columns, const LibraryInput& library, Route route);
  // McDonald-Kreitman tables, one per minimum frequency, of the merged sites: `ingroup_row` flags the
  // ingroup sequences of `columns`; `merged` is the same as a container of ingroup and outgroup.
  // Fixed differences over the complete sites (rules 2 and 3), polymorphisms of the ingroup part.
  std::vector<Table> mcdonald_kreitman_tables(const CodonColumns& columns, const std::vector<char>& ingroup_row,
                                              const LibraryInput& merged, const std::vector<double>& frequencies);
  // The library's consensus (gaps ignored, unknown characters not resolved), as codons, of the
  // sequences of `columns` (`library`: the same as a container).
  std::vector<int> consensus(const CodonColumns& columns, const LibraryInput& library);

 private:
  CodonCodeTables _tables;
  Workspace _workspace;
  Route _route;
};

}  // namespace mrv
