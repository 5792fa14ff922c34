#include "analysis/CodonSiteStatistics.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/AlphabetTools.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/GeneticCode/GeneticCode.h>
#include <Bpp/Seq/Sequence.h>
#include <Bpp/Seq/Site.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>

#include "analysis/StatisticsEngine.h"

namespace mrv {

namespace {

// Distinct sense codons of a site with their counts, in ascending code order (the order of the
// library's frequency maps).
struct CodonCounts {
  int codes[64];
  unsigned int counts[64];
  size_t size = 0;

  CodonCounts(const int* site, size_t n) {
    unsigned int count[64] = {0};
    uint64_t present = 0;
    for (size_t q = 0; q < n; ++q) {
      const int c = site[q];
      ++count[c];
      present |= uint64_t(1) << c;
    }
    while (present != 0) {
      const int c = __builtin_ctzll(present);
      present &= present - 1;
      codes[size] = c;
      counts[size] = count[c];
      ++size;
    }
  }
};

}  // namespace

CodonSiteStatistics::CodonSiteStatistics(const CodonColumns& columns, CodonCodeTables& tables)
    : _columns(columns), _tables(tables), _code(tables.code()), _usable(false) {
  const bpp::GeneticCode& code = _code;
  const bpp::Alphabet* alphabet = columns.alphabet();
  _usable = columns.usable() && columns.nb_sequences() > 0 && bpp::AlphabetTools::isCodonAlphabet(alphabet) &&
            dynamic_cast<const bpp::CodonAlphabet*>(code.getSourceAlphabet()) != nullptr &&
            alphabet->equals(*code.getSourceAlphabet());
}

bpp::Site CodonSiteStatistics::library_site(const int* codes, size_t n) const {
  return bpp::Site(std::vector<int>(codes, codes + n), _columns.alphabet());
}

bool CodonSiteStatistics::all_sense(const int* codes, size_t n) const {
  for (size_t q = 0; q < n; ++q)
    if (!_tables.is_sense(codes[q])) return false;
  return true;
}

bool CodonSiteStatistics::is_constant(const int* codes, size_t n) {
  for (size_t q = 1; q < n; ++q)
    if (codes[q] != codes[0]) return false;
  return true;
}

int CodonSiteStatistics::consensus(const int* codes, size_t n) {
  if (n == 0) return -1;
  if (is_constant(codes, n)) return codes[0];  // a gap-only site gives -1 as well
  // Codes -1 to 126 are counted in an array, read in ascending order as the library's map is.
  const int kLast = 126;
  bool small = true;
  for (size_t q = 0; q < n && small; ++q) small = codes[q] >= -1 && codes[q] <= kLast;
  if (small) {
    // Only the entries of the codes present are set and read; the most frequent code, the lowest on
    // a tie, as an ascending scan of every code would find it.
    size_t count[kLast + 2];
    for (size_t q = 0; q < n; ++q) count[codes[q] + 1] = 0;
    for (size_t q = 0; q < n; ++q) ++count[codes[q] + 1];
    size_t best = 0;
    int cons = -1;
    for (size_t q = 0; q < n; ++q) {
      const int c = codes[q];
      if (c < 0) continue;
      const size_t k = count[c + 1];
      if (k > best || (k == best && c < cons)) {
        best = k;
        cons = c;
      }
    }
    return cons;
  }
  std::map<int, size_t> counts;
  for (size_t q = 0; q < n; ++q) ++counts[codes[q]];
  size_t best = 0;
  int cons = -1;
  for (const auto& entry : counts) {
    if (entry.second > best && entry.first != -1) {
      best = entry.second;
      cons = entry.first;
    }
  }
  return cons;
}

double CodonSiteStatistics::mean_synonymous_positions(const int* codes, size_t n, double ratio,
                                                      const double* positions) const {
  if (!all_sense(codes, n))
    return bpp::CodonSiteTools::meanNumberOfSynonymousPositions(library_site(codes, n), _code, ratio);
  // One codon: its frequency n / n is exactly 1, and 0 + 1 * x is x.
  if (is_constant(codes, n)) return positions[codes[0]];
  const CodonCounts counts(codes, n);
  const double total = static_cast<double>(n);
  double sum = 0;
  for (size_t k = 0; k < counts.size; ++k)
    sum += (static_cast<double>(counts.counts[k]) / total) * positions[counts.codes[k]];
  return sum;
}

double CodonSiteStatistics::pi_synonymous(const int* codes, size_t n) const {
  if (!all_sense(codes, n)) return bpp::CodonSiteTools::piSynonymous(library_site(codes, n), _code, false);
  if (is_constant(codes, n)) return 0;
  const CodonCounts counts(codes, n);
  const double total = static_cast<double>(n);
  double frequency[64];
  for (size_t k = 0; k < counts.size; ++k) frequency[k] = static_cast<double>(counts.counts[k]) / total;
  double pi = 0;
  for (size_t a = 0; a < counts.size; ++a)
    for (size_t b = 0; b < counts.size; ++b)
      pi += frequency[a] * frequency[b] * _tables.synonymous_differences(counts.codes[a], counts.codes[b]);
  return pi * static_cast<double>(n / (n - 1));
}

double CodonSiteStatistics::pi_non_synonymous(const int* codes, size_t n) const {
  if (!all_sense(codes, n)) return bpp::CodonSiteTools::piNonSynonymous(library_site(codes, n), _code, false);
  if (is_constant(codes, n)) return 0;
  const int first_aa = _tables.amino_acid(codes[0]);
  bool synonymous = true;
  for (size_t q = 1; q < n && synonymous; ++q) synonymous = _tables.amino_acid(codes[q]) == first_aa;
  if (synonymous) return 0;
  const CodonCounts counts(codes, n);
  const double total = static_cast<double>(n);
  double frequency[64];
  for (size_t k = 0; k < counts.size; ++k) frequency[k] = static_cast<double>(counts.counts[k]) / total;
  double pi = 0;
  for (size_t a = 0; a < counts.size; ++a) {
    for (size_t b = 0; b < counts.size; ++b) {
      const double all = _tables.nucleotide_differences(counts.codes[a], counts.codes[b]);
      const double syn = _tables.synonymous_differences(counts.codes[a], counts.codes[b]);
      pi += frequency[a] * frequency[b] * (all - syn);
    }
  }
  return pi * static_cast<double>(n / (n - 1));
}

size_t CodonSiteStatistics::substitutions(const int* codes, size_t n, double freqmin) const {
  return substitution_counts(codes, n, freqmin).first;
}

size_t CodonSiteStatistics::non_synonymous_substitutions(const int* codes, size_t n, double freqmin) const {
  return substitution_counts(codes, n, freqmin).second;
}

std::pair<size_t, size_t> CodonSiteStatistics::substitution_counts(const int* codes, size_t n, double freqmin) const {
  if (is_constant(codes, n)) return {0, 0};
  if (!all_sense(codes, n)) {
    const bpp::Site site = library_site(codes, n);
    return {bpp::CodonSiteTools::numberOfSubstitutions(site, _code, freqmin),
            bpp::CodonSiteTools::numberOfNonSynonymousSubstitutions(site, _code, freqmin)};
  }
  // Both counts depend on the codons' counts only (the library reads the site through frequency
  // maps): sites with the same counts are worked out once.
  const CodonCounts counts(codes, n);
  if (counts.size == 2) {
    // Two codons c0 < c1 (the order of the library's maps) with counts k0, k1. When the polymorphism
    // is kept whole, the library counts max(1, d) substitutions, d the positions where they differ,
    // and for the non-synonymous ones, over each codon in turn, the fewest non-synonymous changes
    // to the other (taken from 10 down, in unsigned arithmetic), their sum less their minimum.
    // A rarer codon (frequency at most freqmin, filtering on) is replaced by the other, or both by a
    // gap when neither is more frequent: no substitution is left then.
    const double total = static_cast<double>(n);
    const bool filtering = freqmin > 1. / total;
    if (filtering) {
      const bool keep0 = static_cast<double>(counts.counts[0]) / total > freqmin;
      const bool keep1 = static_cast<double>(counts.counts[1]) / total > freqmin;
      if (!keep0 || !keep1) return {0, 0};
    }
    const int c0 = counts.codes[0], c1 = counts.codes[1];
    const size_t d = static_cast<size_t>(_tables.nucleotide_differences(c0, c1));
    const size_t all = d >= 1 ? d : 1;
    size_t sum = 0, least = 10;
    for (int turn = 0; turn < 2; ++turn) {
      const int a = turn == 0 ? c0 : c1, b = turn == 0 ? c1 : c0;
      size_t fewest = 10;
      const size_t changes = static_cast<size_t>(_tables.nucleotide_differences(a, b)) -
                             _tables.least_change_synonymous_differences(a, b);
      if (fewest > changes) fewest = changes;
      sum += fewest;
      if (fewest < least) least = fewest;
    }
    return {all, sum - least};
  }
  std::string key(sizeof(double) + sizeof(size_t) + counts.size * (sizeof(int) + sizeof(unsigned int)), '\0');
  char* k = &key[0];
  std::memcpy(k, &freqmin, sizeof(double));
  k += sizeof(double);
  std::memcpy(k, &n, sizeof(size_t));
  k += sizeof(size_t);
  for (size_t c = 0; c < counts.size; ++c) {
    std::memcpy(k, &counts.codes[c], sizeof(int));
    k += sizeof(int);
    std::memcpy(k, &counts.counts[c], sizeof(unsigned int));
    k += sizeof(unsigned int);
  }
  auto& known = _tables.substitution_counts();
  auto found = known.find(key);
  if (found != known.end()) return found->second;
  const bpp::Site site = library_site(codes, n);
  const std::pair<size_t, size_t> result(bpp::CodonSiteTools::numberOfSubstitutions(site, _code, freqmin),
                                         bpp::CodonSiteTools::numberOfNonSynonymousSubstitutions(site, _code, freqmin));
  known.emplace(std::move(key), result);
  return result;
}

std::vector<size_t> CodonSiteStatistics::fixed_differences(const int* in, size_t nin, const int* out, size_t nout,
                                                           int consensus_in, int consensus_out) const {
  // The same sense codon on both sides differs at no position: nothing is fixed.
  if (consensus_in == consensus_out && _tables.is_sense(consensus_in) && all_sense(in, nin) && all_sense(out, nout))
    return std::vector<size_t>(2, 0);
  // The outgroup is read as far as the ingroup site's length, its consensus past its own end.
  auto out_at = [&](size_t q) { return q < nout ? out[q] : consensus_out; };
  // With sense codons everywhere the library reads, its answer depends only on the two consensus
  // codons and on which codon positions vary within either group's site (as far as it reads).
  bool sense = _tables.is_sense(consensus_in) && _tables.is_sense(consensus_out);
  unsigned int varies = 0;
  for (size_t q = 0; q < nin && sense; ++q) sense = _tables.is_sense(in[q]) && _tables.is_sense(out_at(q));
  for (size_t q = 1; q < nin && sense; ++q) {
    for (unsigned int k = 0; k < 3; ++k) {
      const int shift = 4 - 2 * static_cast<int>(k);
      if (((in[q] >> shift) & 3) != ((in[0] >> shift) & 3) || ((out_at(q) >> shift) & 3) != ((out_at(0) >> shift) & 3))
        varies |= 1u << k;
    }
  }
  auto& known = _tables.fixed_differences();
  const size_t key = (static_cast<size_t>(consensus_in) * 64 + static_cast<size_t>(consensus_out)) * 8 + varies;
  if (sense) {
    if (known.empty()) known.resize(64 * 64 * 8);
    if (known[key].first) return known[key].second;
  }
  const bpp::Site in_site(std::vector<int>(in, in + nin), _columns.alphabet());
  const bpp::Site out_site(outgroupSiteAsRead(out, nout, nin, consensus_out), _columns.alphabet());
  std::vector<size_t> result =
      bpp::CodonSiteTools::fixedDifferences(in_site, out_site, consensus_in, consensus_out, _code);
  if (sense) known[key] = {true, result};
  return result;
}

// ---- Whole containers ----

double CodonSiteStatistics::sum_of_mean_synonymous_positions(double ratio) const {
  for (const CodonColumns::SumMemo& memo : _columns.sum_memos())
    if (memo.tables == &_tables && (memo.ratio == ratio || (std::isnan(memo.ratio) && std::isnan(ratio))))
      return memo.sum;
  const double* positions = _tables.synonymous_positions(ratio);
  const size_t n = _columns.nb_sequences();
  double sum = 0.;
  for (size_t s = 0; s < _columns.nb_sites(); ++s)
    if (_columns.is_complete(s)) sum += mean_synonymous_positions(_columns.site(s), n, ratio, positions);
  _columns.sum_memos().push_back({&_tables, ratio, sum});
  return sum;
}

double CodonSiteStatistics::mean_number_of_non_synonymous_sites(double ratio) const {
  // 3 per complete site, counted in an int as the library does, less the same sum.
  int positions_count = 0;
  for (size_t s = 0; s < _columns.nb_complete_sites(); ++s) positions_count = positions_count + 3;
  return static_cast<double>(positions_count - sum_of_mean_synonymous_positions(ratio));
}

double CodonSiteStatistics::pi_synonymous(size_t s) const {
  return pi_synonymous(_columns.site(s), _columns.nb_sequences());
}

double CodonSiteStatistics::pi_non_synonymous(size_t s) const {
  return pi_non_synonymous(_columns.site(s), _columns.nb_sequences());
}

unsigned int CodonSiteStatistics::number_of_synonymous_substitutions(double freqmin) const {
  size_t all = 0, non_synonymous = 0;
  const size_t n = _columns.nb_sequences();
  for (size_t s = 0; s < _columns.nb_sites(); ++s) {
    if (!_columns.is_complete(s)) continue;
    all += substitutions(_columns.site(s), n, freqmin);
    non_synonymous += non_synonymous_substitutions(_columns.site(s), n, freqmin);
  }
  return static_cast<unsigned int>(all - non_synonymous);
}

unsigned int CodonSiteStatistics::number_of_non_synonymous_substitutions(double freqmin) const {
  unsigned int non_synonymous = 0;
  const size_t n = _columns.nb_sequences();
  for (size_t s = 0; s < _columns.nb_sites(); ++s)
    if (_columns.is_complete(s))
      non_synonymous += static_cast<unsigned int>(non_synonymous_substitutions(_columns.site(s), n, freqmin));
  return non_synonymous;
}

}  // namespace mrv
