// Generator of synthetic coding-sequence alignments and population files for the benchmarks.
//
// Every contig is drawn from its own random stream, derived from the seed and the contig's index, so a
// data set of N contigs is the exact prefix of the same data set with more contigs (same seed and
// options). Only self-written distributions are used: the output is the same on every platform.
//
// One contig:
//  - a length in codons, log-normal around the median and clamped to the range;
//  - a focal reference of sense codons with a per-contig GC3 preference;
//  - the outgroup reference: the focal reference with fixed differences at a few percent of the
//    nucleotide positions (non-synonymous ones mostly purged);
//  - focal polymorphisms: derived-allele frequencies drawn from the neutral spectrum (share of sites
//    with i copies in n chromosomes proportional to 1/i), then made population specific
//    (Balding-Nichols, -fst), and each allele of each diploid individual drawn from its population's
//    frequency; non-synonymous changes are mostly purged; no change may create a stop codon;
//  - with several outgroup sequences, outgroup polymorphisms as well;
//  - missing data: gapped indel polymorphisms (whole codons), partial sequences (leading or trailing
//    gaps or N), internal runs of N, a few mostly-missing sequences, rare ambiguity codes;
//  - in a few contigs a stop codon within the first/last 20 codons of one, several or all sequences.
//
// With --individuals-per-contig=N each contig holds N individuals of the population, drawn without
// replacement from a stream of their own (kept in the population's order), and the population file
// still lists every individual; without it every contig holds every individual.
//
// The alphabet of the output is A, C, G, T, N, "-" and the ambiguity codes M, R, W, S, Y, K.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Random numbers: xoshiro256** seeded by splitmix64, with hand-written distributions.

uint64_t splitmix64(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

class Rng {
 public:
  Rng(uint64_t seed, uint64_t stream) {
    uint64_t s = seed * 0x632BE59BD9B4E019ULL + stream * 0x9E3779B97F4A7C15ULL + 0x1234567ULL;
    for (auto& w : s_) w = splitmix64(s);
  }

  uint64_t next() {
    const uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
  }

  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

  // Uniform integer in [0, n), n > 0.
  uint32_t below(uint32_t n) { return static_cast<uint32_t>((static_cast<unsigned __int128>(next()) * n) >> 64); }

  bool chance(double p) { return uniform() < p; }

  double normal() {
    double u1 = uniform();
    while (u1 <= 0.0) u1 = uniform();
    const double u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }

  // Marsaglia and Tsang; shapes below 1 through the boost gamma(a + 1) * U^(1/a).
  double gamma(double shape) {
    if (shape < 1.0) {
      double u = uniform();
      while (u <= 0.0) u = uniform();
      return gamma(shape + 1.0) * std::pow(u, 1.0 / shape);
    }
    const double d = shape - 1.0 / 3.0;
    const double c = 1.0 / std::sqrt(9.0 * d);
    for (;;) {
      double x, v;
      do {
        x = normal();
        v = 1.0 + c * x;
      } while (v <= 0.0);
      v = v * v * v;
      const double u = uniform();
      if (u < 1.0 - 0.0331 * x * x * x * x) return d * v;
      if (u > 0.0 && std::log(u) < 0.5 * x * x + d * (1.0 - v + std::log(v))) return d * v;
    }
  }

  double beta(double a, double b) {
    const double x = gamma(a);
    const double y = gamma(b);
    return (x + y > 0.0) ? x / (x + y) : 0.5;
  }

  uint32_t poisson(double mean) {
    if (mean <= 0.0) return 0;
    if (mean > 50.0) {
      const double v = std::floor(mean + std::sqrt(mean) * normal() + 0.5);
      return v < 0.0 ? 0u : static_cast<uint32_t>(v);
    }
    const double limit = std::exp(-mean);
    uint32_t k = 0;
    double p = uniform();
    while (p > limit) {
      ++k;
      p *= uniform();
    }
    return k;
  }

 private:
  static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  uint64_t s_[4];
};

// ---------------------------------------------------------------------------------------------
// Nucleotides (A=0, C=1, G=2, T=3) and the standard genetic code.

const char kBase[4] = {'A', 'C', 'G', 'T'};

// Standard code in TCAG order.
const char kCodeTCAG[] = "FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG";
const int kToTCAG[4] = {2, 1, 3, 0};

char aminoAcid(int b0, int b1, int b2) { return kCodeTCAG[16 * kToTCAG[b0] + 4 * kToTCAG[b1] + kToTCAG[b2]]; }

bool isStop(int b0, int b1, int b2) { return aminoAcid(b0, b1, b2) == '*'; }

int transitionOf(int b) { return b ^ 2; }  // A<->G, C<->T

int mutateBase(Rng& r, int b, double transition_share) {
  if (r.chance(transition_share)) return transitionOf(b);
  // the two transversions of b
  int t[2], k = 0;
  for (int x = 0; x < 4; ++x)
    if (x != b && x != transitionOf(b)) t[k++] = x;
  return t[r.below(2)];
}

// Ambiguity code for two different resolved bases.
char ambiguityCode(int a, int b) {
  static const char table[4][4] = {
      {'A', 'M', 'R', 'W'}, {'M', 'C', 'S', 'Y'}, {'R', 'S', 'G', 'K'}, {'W', 'Y', 'K', 'T'}};
  return table[a][b];
}

// ---------------------------------------------------------------------------------------------
// Options.

struct Options {
  uint32_t contigs = 100;
  uint32_t individuals = 10;          // diploid focal individuals
  uint32_t individuals_per_contig = 0;  // individuals drawn for each contig; 0: all of them
  uint32_t outgroup_sequences = 1;    // outgroup sequences (pairs form diploid individuals)
  uint32_t min_codons = 100;
  uint32_t max_codons = 1000;
  uint32_t median_codons = 400;
  double length_sigma = 0.5;          // sigma of log(length)
  uint32_t populations = 2;
  uint64_t seed = 1;
  std::string ingroup = "Sp1";
  std::string outgroup = "Sp2";
  std::string out = "bench.fas";
  std::string population_file = "bench_populations.txt";
  double snp_rate = 0.03;             // polymorphic share of nucleotide positions (mean over contigs)
  double fixed_rate = 0.03;           // fixed differences to the outgroup per nucleotide position
  double outgroup_snp_rate = 0.01;    // outgroup polymorphisms when there are several outgroup sequences
  double nonsyn_keep = 0.25;          // share of non-synonymous polymorphisms kept (purifying selection)
  double fixed_nonsyn_keep = 0.15;    // same for fixed differences
  double fst = 0.1;                   // differentiation between populations
  double transition_share = 0.6;
  double indel_rate = 0.25;           // contigs with a focal indel polymorphism (gapped codons)
  double outgroup_indel_rate = 0.15;  // contigs with an outgroup-only indel
  double partial_rate = 0.10;         // sequences with a missing start or end (gaps or N)
  double n_run_rate = 0.10;           // sequences with internal runs of N
  double bad_sequence_rate = 0.01;    // sequences mostly missing
  double ambiguity_rate = 2e-5;       // ambiguity codes per nucleotide
  double end_stop_rate = 0.03;        // contigs with a stop codon within the first/last 20 codons
  double internal_stop_rate = 0.0;    // contigs with a stop codon in the core of one sequence
  uint32_t line_width = 60;           // 0: one line per sequence
  uint32_t contig_name_width = 5;
};

[[noreturn]] void usage(const std::string& problem) {
  if (!problem.empty()) std::cerr << "generate_alignment: " << problem << "\n\n";
  std::cerr <<
      "Usage: generate_alignment [--option=value ...]\n"
      "  --contigs=N               number of contigs (100)\n"
      "  --individuals=N           diploid focal individuals, two sequences each (10)\n"
      "  --individuals-per-contig=N   individuals of each contig, drawn from the others; 0 for all (0)\n"
      "  --outgroup-sequences=N    outgroup sequences, paired into diploid individuals (1)\n"
      "  --outgroup-individuals=N  same as --outgroup-sequences=2N\n"
      "  --min-codons=N --max-codons=N --median-codons=N   contig length range and median (100 1000 400)\n"
      "  --length-sigma=X          sigma of the log-normal length (0.5)\n"
      "  --populations=N           focal populations (2)\n"
      "  --seed=N                  random seed (1)\n"
      "  --ingroup=NAME --outgroup=NAME   species names (Sp1 Sp2)\n"
      "  --out=PATH                alignment file (bench.fas)\n"
      "  --population-file=PATH    population file, empty for none (bench_populations.txt)\n"
      "  --snp-rate=X --fixed-rate=X --outgroup-snp-rate=X   per nucleotide position (0.03 0.03 0.01)\n"
      "  --nonsyn-keep=X --fixed-nonsyn-keep=X   share of non-synonymous changes kept (0.25 0.15)\n"
      "  --fst=X                   differentiation between populations (0.1)\n"
      "  --transition-share=X      share of transitions among changes (0.6)\n"
      "  --indel-rate=X --outgroup-indel-rate=X   contigs with an indel (0.25 0.15)\n"
      "  --partial-rate=X --n-run-rate=X --bad-sequence-rate=X   sequences with missing data (0.1 0.1 0.01)\n"
      "  --ambiguity-rate=X        ambiguity codes per nucleotide (2e-5)\n"
      "  --end-stop-rate=X         contigs with a stop codon near an end (0.03)\n"
      "  --internal-stop-rate=X    contigs with an internal stop codon (0)\n"
      "  --line-width=N            letters per line, 0 for one line (60)\n"
      "  --contig-name-width=N     digits of the contig number (5)\n";
  std::exit(2);
}

uint64_t parseUnsigned(const std::string& name, const std::string& v) {
  if (v.empty() || v.find_first_not_of("0123456789") != std::string::npos) usage("bad value for " + name + ": " + v);
  return std::stoull(v);
}

double parseDouble(const std::string& name, const std::string& v) {
  try {
    size_t used = 0;
    const double d = std::stod(v, &used);
    if (used != v.size() || !(d >= 0.0)) throw std::invalid_argument(v);
    return d;
  } catch (const std::exception&) {
    usage("bad value for " + name + ": " + v);
  }
}

Options parseOptions(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") usage("");
    if (arg.rfind("--", 0) != 0) usage("unexpected argument " + arg);
    std::string name, value;
    const size_t eq = arg.find('=');
    if (eq != std::string::npos) {
      name = arg.substr(2, eq - 2);
      value = arg.substr(eq + 1);
    } else {
      name = arg.substr(2);
      if (i + 1 >= argc) usage("missing value for --" + name);
      value = argv[++i];
    }
    auto u32 = [&](uint32_t& field) { field = static_cast<uint32_t>(parseUnsigned(name, value)); };
    auto dbl = [&](double& field) { field = parseDouble(name, value); };
    if (name == "contigs") u32(o.contigs);
    else if (name == "individuals") u32(o.individuals);
    else if (name == "individuals-per-contig") u32(o.individuals_per_contig);
    else if (name == "outgroup-sequences") u32(o.outgroup_sequences);
    else if (name == "outgroup-individuals") { u32(o.outgroup_sequences); o.outgroup_sequences *= 2; }
    else if (name == "min-codons") u32(o.min_codons);
    else if (name == "max-codons") u32(o.max_codons);
    else if (name == "median-codons") u32(o.median_codons);
    else if (name == "length-sigma") dbl(o.length_sigma);
    else if (name == "populations") u32(o.populations);
    else if (name == "seed") o.seed = parseUnsigned(name, value);
    else if (name == "ingroup") o.ingroup = value;
    else if (name == "outgroup") o.outgroup = value;
    else if (name == "out") o.out = value;
    else if (name == "population-file") o.population_file = value;
    else if (name == "snp-rate") dbl(o.snp_rate);
    else if (name == "fixed-rate") dbl(o.fixed_rate);
    else if (name == "outgroup-snp-rate") dbl(o.outgroup_snp_rate);
    else if (name == "nonsyn-keep") dbl(o.nonsyn_keep);
    else if (name == "fixed-nonsyn-keep") dbl(o.fixed_nonsyn_keep);
    else if (name == "fst") dbl(o.fst);
    else if (name == "transition-share") dbl(o.transition_share);
    else if (name == "indel-rate") dbl(o.indel_rate);
    else if (name == "outgroup-indel-rate") dbl(o.outgroup_indel_rate);
    else if (name == "partial-rate") dbl(o.partial_rate);
    else if (name == "n-run-rate") dbl(o.n_run_rate);
    else if (name == "bad-sequence-rate") dbl(o.bad_sequence_rate);
    else if (name == "ambiguity-rate") dbl(o.ambiguity_rate);
    else if (name == "end-stop-rate") dbl(o.end_stop_rate);
    else if (name == "internal-stop-rate") dbl(o.internal_stop_rate);
    else if (name == "line-width") u32(o.line_width);
    else if (name == "contig-name-width") u32(o.contig_name_width);
    else usage("unknown option --" + name);
  }
  if (o.individuals == 0) usage("--individuals must be at least 1");
  if (o.populations == 0 || o.populations > o.individuals)
    usage("--populations must be between 1 and the number of individuals");
  if (o.individuals_per_contig > o.individuals) usage("--individuals-per-contig must not exceed --individuals");
  if (o.min_codons < 5) usage("--min-codons must be at least 5 (indels are up to 4 codons wide)");
  if (o.internal_stop_rate > 0.0 && o.min_codons < 41)
    usage("--min-codons must be at least 41 with internal stop codons (placed beyond the first/last 20 codons)");
  if (o.max_codons < o.min_codons) usage("--max-codons must not be below --min-codons");
  if (o.median_codons < o.min_codons || o.median_codons > o.max_codons)
    usage("--median-codons must lie within the codon range");
  if (o.fst <= 0.0 || o.fst >= 1.0) usage("--fst must lie strictly between 0 and 1");
  if (o.transition_share > 1.0) usage("--transition-share must not exceed 1");
  if (o.ingroup.empty() || o.outgroup.empty() || o.ingroup == o.outgroup)
    usage("species names must be non-empty and different");
  for (const std::string* s : {&o.ingroup, &o.outgroup})
    if (s->find('|') != std::string::npos) usage("species names must not hold '|'");
  return o;
}

std::string padded(uint64_t value, uint32_t width) {
  std::string s = std::to_string(value);
  if (s.size() < width) s.insert(0, width - s.size(), '0');
  return s;
}

uint32_t digits(uint64_t n) { return static_cast<uint32_t>(std::to_string(n).size()); }

// ---------------------------------------------------------------------------------------------
// Sampling tables built once.

// Population frequencies of derived alleles with the neutral density proportional to 1/p, on
// [0.01/n, 1). Sampling n chromosomes from it and keeping the polymorphic outcomes gives a sample
// spectrum proportional to 1/i (i = 1 .. n-1 copies); the lower bound loses about 1% of singletons.
struct NeutralSpectrum {
  explicit NeutralSpectrum(uint32_t n) : log_low_(std::log(0.01 / std::max<uint32_t>(n, 1))) {}
  double draw(Rng& r) const { return std::exp(log_low_ * (1.0 - r.uniform())); }
  double log_low_;
};

struct Counters {
  uint64_t sequences = 0, nucleotides = 0, codons = 0;
  uint64_t snp_syn = 0, snp_nonsyn = 0, fixed_syn = 0, fixed_nonsyn = 0, outgroup_snps = 0;
  uint64_t end_stop_contigs = 0, internal_stop_contigs = 0, ambiguities = 0;
  std::vector<uint32_t> lengths;
};

// One change of one nucleotide position of a contig.
struct Change {
  uint32_t pos;
  uint8_t alt;
  std::vector<uint8_t> carriers;  // per chromosome of the group the change segregates in (empty: fixed)
};

class ContigBuilder {
 public:
  ContigBuilder(const Options& o, const NeutralSpectrum& focal_sfs, const NeutralSpectrum& out_sfs)
      : o_(o), focal_sfs_(focal_sfs), out_sfs_(out_sfs) {
    // individuals of every contig, unless each contig draws its own
    if (!drawsMembers()) setMembers(allIndividuals());
  }

  // Individuals (indices into the population) of the last contig built, in row order.
  const std::vector<uint32_t>& members() const { return members_; }

  // Builds contig k into rows (one string per sequence, focal chromosomes first, then outgroup ones).
  void build(uint32_t k, std::vector<std::string>& rows, Counters& counters) {
    if (drawsMembers()) drawMembers(k);
    Rng r(o_.seed, k);
    const uint32_t nf = 2 * static_cast<uint32_t>(members_.size()), no = o_.outgroup_sequences;

    // length
    double len = o_.median_codons * std::exp(o_.length_sigma * r.normal());
    uint32_t L = static_cast<uint32_t>(std::lround(std::min<double>(std::max<double>(len, o_.min_codons), o_.max_codons)));
    const uint32_t N = 3 * L;
    counters.lengths.push_back(L);
    counters.codons += L;

    // focal reference: sense codons, third positions biased towards the contig's GC3
    const double gc3 = 0.3 + 0.45 * r.uniform();
    std::vector<double> cumulative;
    std::vector<int> codon_of;
    double sum = 0.0;
    for (int c = 0; c < 64; ++c) {
      const int b0 = c >> 4, b1 = (c >> 2) & 3, b2 = c & 3;
      if (isStop(b0, b1, b2)) continue;
      sum += (b2 == 1 || b2 == 2) ? gc3 : 1.0 - gc3;
      cumulative.push_back(sum);
      codon_of.push_back(c);
    }
    std::vector<uint8_t> ref(N);
    for (uint32_t i = 0; i < L; ++i) {
      const double u = r.uniform() * sum;
      size_t j = std::upper_bound(cumulative.begin(), cumulative.end(), u) - cumulative.begin();
      const int c = codon_of[std::min(j, codon_of.size() - 1)];
      ref[3 * i] = static_cast<uint8_t>(c >> 4);
      ref[3 * i + 1] = static_cast<uint8_t>((c >> 2) & 3);
      ref[3 * i + 2] = static_cast<uint8_t>(c & 3);
    }
    std::vector<uint8_t> used(N, 0);

    // fixed differences (outgroup reference)
    std::vector<uint8_t> out_ref = ref;
    if (no > 0) {
      const double factor = r.gamma(3.0) / 3.0;
      const uint32_t n_fixed = r.poisson(o_.fixed_rate * factor * N);
      for (uint32_t e = 0; e < n_fixed; ++e) {
        for (int attempt = 0; attempt < 50; ++attempt) {
          const uint32_t pos = r.below(N);
          if (used[pos]) continue;
          const uint32_t c0 = pos - pos % 3;
          uint8_t cod[3] = {out_ref[c0], out_ref[c0 + 1], out_ref[c0 + 2]};
          const char before = aminoAcid(cod[0], cod[1], cod[2]);
          cod[pos % 3] = static_cast<uint8_t>(mutateBase(r, out_ref[pos], o_.transition_share));
          const char after = aminoAcid(cod[0], cod[1], cod[2]);
          if (after == '*') continue;
          const bool nonsyn = after != before;
          if (nonsyn && !r.chance(o_.fixed_nonsyn_keep)) continue;
          out_ref[pos] = cod[pos % 3];
          used[pos] = 1;
          ++(nonsyn ? counters.fixed_nonsyn : counters.fixed_syn);
          break;
        }
      }
    }

    // focal polymorphisms
    std::vector<Change> focal;
    {
      const double factor = r.gamma(2.0) / 2.0;
      const uint32_t n_snps = nf >= 2 ? r.poisson(o_.snp_rate * factor * N) : 0;
      for (uint32_t e = 0; e < n_snps; ++e) {
        Change ch;
        if (!placeChange(r, ref, focal, used, ch, o_.nonsyn_keep, counters.snp_syn, counters.snp_nonsyn)) continue;
        drawCarriers(r, ch, nf, focal_sfs_, true);
        focal.push_back(std::move(ch));
      }
    }
    // outgroup polymorphisms
    std::vector<Change> outgroup;
    if (no >= 2) {
      uint64_t syn = 0, nonsyn = 0;
      const uint32_t n_snps = r.poisson(o_.outgroup_snp_rate * N);
      for (uint32_t e = 0; e < n_snps; ++e) {
        Change ch;
        if (!placeChange(r, out_ref, outgroup, used, ch, o_.nonsyn_keep, syn, nonsyn)) continue;
        drawCarriers(r, ch, no, out_sfs_, false);
        outgroup.push_back(std::move(ch));
      }
      counters.outgroup_snps += syn + nonsyn;
    }

    // sequences as letters
    rows.assign(nf + no, std::string());
    for (uint32_t s = 0; s < nf + no; ++s) {
      const bool is_focal = s < nf;
      const std::vector<uint8_t>& base = is_focal ? ref : out_ref;
      std::string& row = rows[s];
      row.resize(N);
      for (uint32_t i = 0; i < N; ++i) row[i] = kBase[base[i]];
      const uint32_t chrom = is_focal ? s : s - nf;
      for (const Change& ch : is_focal ? focal : outgroup)
        if (ch.carriers[chrom]) row[ch.pos] = kBase[ch.alt];
    }

    // indels: whole gapped codons in some focal chromosomes, or in every outgroup sequence
    if (nf >= 2 && r.chance(o_.indel_rate)) {
      const uint32_t width = 1 + r.below(4);
      const uint32_t start = r.below(L - width);
      Change ch;
      drawCarriers(r, ch, nf, focal_sfs_, false);
      for (uint32_t s = 0; s < nf; ++s)
        if (ch.carriers[s]) rows[s].replace(3 * start, 3 * width, 3 * width, '-');
    }
    if (no > 0 && r.chance(o_.outgroup_indel_rate)) {
      const uint32_t width = 1 + r.below(4);
      const uint32_t start = r.below(L - width);
      for (uint32_t s = nf; s < nf + no; ++s) rows[s].replace(3 * start, 3 * width, 3 * width, '-');
    }

    // missing data per sequence
    for (std::string& row : rows) {
      if (r.chance(o_.partial_rate)) {
        const char fill = r.chance(0.5) ? '-' : 'N';
        const uint32_t side = r.below(3);  // 0 start, 1 end, 2 both
        const uint32_t max_len = std::max<uint32_t>(1, N * 15 / 100);
        if (side != 1) {
          const uint32_t m = 1 + r.below(max_len);
          row.replace(0, m, m, fill);
        }
        if (side != 0) {
          const uint32_t m = 1 + r.below(max_len);
          row.replace(N - m, m, m, fill);
        }
      }
      if (r.chance(o_.n_run_rate)) {
        const uint32_t runs = 1 + r.below(2);
        for (uint32_t k2 = 0; k2 < runs; ++k2) {
          const uint32_t m = std::min<uint32_t>(1 + r.below(60), N);
          const uint32_t start = r.below(N - m + 1);
          row.replace(start, m, m, 'N');
        }
      }
      if (r.chance(o_.bad_sequence_rate)) {
        const char fill = r.chance(0.5) ? '-' : 'N';
        const uint32_t m = static_cast<uint32_t>(N * (0.6 + 0.3 * r.uniform()));
        const uint32_t start = r.below(N - m + 1);
        row.replace(start, m, m, fill);
      }
      const uint32_t n_amb = r.poisson(o_.ambiguity_rate * N);
      for (uint32_t a = 0; a < n_amb; ++a) {
        const uint32_t pos = r.below(N);
        const char* const bases = "ACGT";
        const char* hit = std::strchr(bases, row[pos]);
        if (row[pos] == '\0' || hit == nullptr) continue;
        const int b = static_cast<int>(hit - bases);
        int other = static_cast<int>(r.below(3));
        if (other >= b) ++other;
        row[pos] = ambiguityCode(b, other);
        ++counters.ambiguities;
      }
    }

    // stop codons near the ends, in one, a few or all sequences
    static const char* const kStops[3] = {"TAA", "TAG", "TGA"};
    if (r.chance(o_.end_stop_rate)) {
      const uint32_t offset = r.below(std::min<uint32_t>(20, L / 2));
      const uint32_t codon = r.chance(0.5) ? offset : L - 1 - offset;
      const char* stop = kStops[r.below(3)];
      if (r.chance(0.5)) {
        for (std::string& row : rows) row.replace(3 * codon, 3, stop);
      } else {
        const uint32_t count = 1 + r.below(3);
        for (uint32_t c = 0; c < count; ++c) rows[r.below(static_cast<uint32_t>(rows.size()))].replace(3 * codon, 3, stop);
      }
      ++counters.end_stop_contigs;
    }
    if (r.chance(o_.internal_stop_rate)) {
      const uint32_t codon = 20 + r.below(L - 40);
      rows[r.below(static_cast<uint32_t>(rows.size()))].replace(3 * codon, 3, kStops[r.below(3)]);
      ++counters.internal_stop_contigs;
    }

    counters.sequences += rows.size();
    counters.nucleotides += static_cast<uint64_t>(rows.size()) * N;
  }

 private:
  bool drawsMembers() const { return o_.individuals_per_contig > 0 && o_.individuals_per_contig < o_.individuals; }

  std::vector<uint32_t> allIndividuals() const {
    std::vector<uint32_t> all(o_.individuals);
    for (uint32_t i = 0; i < o_.individuals; ++i) all[i] = i;
    return all;
  }

  // Individuals of contig k: a partial Fisher-Yates shuffle on a stream that no contig uses (contig
  // streams are below 2^32), sorted back into the population's order.
  void drawMembers(uint32_t k) {
    Rng r(o_.seed, (uint64_t{1} << 32) + k);
    std::vector<uint32_t> all = allIndividuals();
    for (uint32_t i = 0; i < o_.individuals_per_contig; ++i)
      std::swap(all[i], all[i + r.below(o_.individuals - i)]);
    all.resize(o_.individuals_per_contig);
    std::sort(all.begin(), all.end());
    setMembers(all);
  }

  // Population of each focal chromosome: individuals split into contiguous, even blocks of the
  // whole population.
  void setMembers(const std::vector<uint32_t>& members) {
    members_ = members;
    chromosome_population_.resize(2 * members_.size());
    for (size_t c = 0; c < chromosome_population_.size(); ++c)
      chromosome_population_[c] =
          static_cast<uint32_t>(uint64_t{members_[c / 2]} * o_.populations / o_.individuals);
  }

  // Chooses a free position and a new base for a polymorphism on top of `base`. No chromosome may end
  // up with a stop codon whatever combination of the codon's polymorphisms it carries.
  bool placeChange(Rng& r, const std::vector<uint8_t>& base, const std::vector<Change>& existing,
                   std::vector<uint8_t>& used, Change& ch, double nonsyn_keep, uint64_t& syn, uint64_t& nonsyn) {
    const uint32_t N = static_cast<uint32_t>(base.size());
    for (int attempt = 0; attempt < 50; ++attempt) {
      const uint32_t pos = r.below(N);
      if (used[pos]) continue;
      const uint32_t c0 = pos - pos % 3;
      const uint8_t alt = static_cast<uint8_t>(mutateBase(r, base[pos], o_.transition_share));
      // changes already placed in this codon
      std::vector<std::pair<uint32_t, uint8_t>> in_codon;
      for (const Change& e : existing)
        if (e.pos - e.pos % 3 == c0) in_codon.push_back({e.pos % 3, e.alt});
      in_codon.push_back({pos % 3, alt});
      bool stop = false;
      for (uint32_t mask = 1; mask < (1u << in_codon.size()) && !stop; ++mask) {
        uint8_t cod[3] = {base[c0], base[c0 + 1], base[c0 + 2]};
        for (size_t b = 0; b < in_codon.size(); ++b)
          if (mask & (1u << b)) cod[in_codon[b].first] = in_codon[b].second;
        stop = isStop(cod[0], cod[1], cod[2]);
      }
      if (stop) continue;
      uint8_t cod[3] = {base[c0], base[c0 + 1], base[c0 + 2]};
      const char before = aminoAcid(cod[0], cod[1], cod[2]);
      cod[pos % 3] = alt;
      const bool is_nonsyn = aminoAcid(cod[0], cod[1], cod[2]) != before;
      if (is_nonsyn && !r.chance(nonsyn_keep)) continue;
      used[pos] = 1;
      ch.pos = pos;
      ch.alt = alt;
      ++(is_nonsyn ? nonsyn : syn);
      return true;
    }
    return false;
  }

  // Carriers of a derived allele among n chromosomes: a frequency from the neutral spectrum, made
  // population specific for focal changes; redrawn while the sample comes out monomorphic (about
  // half of the draws are polymorphic).
  void drawCarriers(Rng& r, Change& ch, uint32_t n, const NeutralSpectrum& sfs, bool structured) {
    ch.carriers.assign(n, 0);
    std::vector<double> pop_freq(o_.populations);
    for (int attempt = 0; attempt < 200; ++attempt) {
      const double p = sfs.draw(r);
      if (structured && o_.populations > 1) {
        const double scale = (1.0 - o_.fst) / o_.fst;
        for (uint32_t k = 0; k < o_.populations; ++k) pop_freq[k] = r.beta(p * scale, (1.0 - p) * scale);
      }
      uint32_t count = 0;
      for (uint32_t c = 0; c < n; ++c) {
        const double q = (structured && o_.populations > 1) ? pop_freq[chromosome_population_[c]] : p;
        ch.carriers[c] = r.chance(q) ? 1 : 0;
        count += ch.carriers[c];
      }
      if (count > 0 && count < n) return;
    }
  }

  const Options& o_;
  const NeutralSpectrum& focal_sfs_;
  const NeutralSpectrum& out_sfs_;
  std::vector<uint32_t> members_;
  std::vector<uint32_t> chromosome_population_;
};

class Output {
 public:
  explicit Output(const std::string& path) : f_(std::fopen(path.c_str(), "wb")), path_(path) {
    if (f_ == nullptr) throw std::runtime_error("cannot create " + path);
    buffer_.reserve(1 << 22);
  }
  ~Output() {
    if (f_ != nullptr) std::fclose(f_);
  }
  std::string& buffer() { return buffer_; }
  void flushIfLarge() {
    if (buffer_.size() >= (1u << 22)) flush();
  }
  void flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), f_) != buffer_.size())
      throw std::runtime_error("cannot write " + path_);
    bytes_ += buffer_.size();
    buffer_.clear();
  }
  uint64_t close() {
    flush();
    if (std::fclose(f_) != 0) throw std::runtime_error("cannot write " + path_);
    f_ = nullptr;
    return bytes_;
  }

 private:
  std::FILE* f_;
  std::string path_;
  std::string buffer_;
  uint64_t bytes_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const Options o = parseOptions(argc, argv);
  const auto t0 = std::chrono::steady_clock::now();
  try {
    const uint32_t ind_width = std::max<uint32_t>(2, digits(o.individuals));
    const uint32_t out_individuals = (o.outgroup_sequences + 1) / 2;
    const uint32_t out_width = std::max<uint32_t>(2, digits(out_individuals));
    const uint32_t contig_width = std::max(o.contig_name_width, digits(o.contigs));

    // sequence name suffixes: both alleles of each focal individual, then the outgroup sequences
    std::vector<std::string> focal_suffixes, outgroup_suffixes;
    for (uint32_t i = 0; i < o.individuals; ++i)
      for (int a = 1; a <= 2; ++a)
        focal_suffixes.push_back("|" + o.ingroup + "|ind" + padded(i + 1, ind_width) + "|allele_" + std::to_string(a));
    for (uint32_t s = 0; s < o.outgroup_sequences; ++s)
      outgroup_suffixes.push_back("|" + o.outgroup + "|out" + padded(s / 2 + 1, out_width) + "|allele_" +
                                  std::to_string(s % 2 + 1));

    if (!o.population_file.empty()) {
      Output pop(o.population_file);
      std::string& b = pop.buffer();
      std::vector<std::string> lines(o.populations);
      for (uint32_t k = 0; k < o.populations; ++k) lines[k] = "Pop" + std::to_string(k + 1);
      for (uint32_t i = 0; i < o.individuals; ++i)
        lines[static_cast<uint64_t>(i) * o.populations / o.individuals] += ";ind" + padded(i + 1, ind_width);
      for (const std::string& l : lines) b += l + "\n";
      pop.close();
    }

    const NeutralSpectrum focal_sfs(2 * (o.individuals_per_contig > 0 ? o.individuals_per_contig : o.individuals));
    const NeutralSpectrum out_sfs(std::max<uint32_t>(o.outgroup_sequences, 2));
    ContigBuilder builder(o, focal_sfs, out_sfs);
    Counters counters;
    Output out(o.out);
    std::vector<std::string> rows;
    for (uint32_t k = 0; k < o.contigs; ++k) {
      builder.build(k, rows, counters);
      const std::string contig = "contig" + padded(k + 1, contig_width);
      const std::vector<uint32_t>& members = builder.members();
      for (size_t s = 0; s < rows.size(); ++s) {
        std::string& b = out.buffer();
        b += '>';
        b += contig;
        b += s < 2 * members.size() ? focal_suffixes[2 * members[s / 2] + s % 2]
                                    : outgroup_suffixes[s - 2 * members.size()];
        b += '\n';
        const std::string& row = rows[s];
        const size_t w = o.line_width == 0 ? row.size() : o.line_width;
        for (size_t i = 0; i < row.size(); i += w) {
          b.append(row, i, w);
          b += '\n';
        }
        out.flushIfLarge();
      }
    }
    const uint64_t bytes = out.close();

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::vector<uint32_t> lengths = counters.lengths;
    std::sort(lengths.begin(), lengths.end());
    const uint32_t median = lengths.empty() ? 0 : lengths[lengths.size() / 2];
    const uint64_t snps = counters.snp_syn + counters.snp_nonsyn;
    std::cerr << "generate_alignment: " << o.out << ": " << o.contigs << " contigs, " << counters.sequences
              << " sequences, " << counters.nucleotides << " nucleotides, " << bytes << " bytes in " << seconds
              << " s\n"
              << "  codons per contig: min " << (lengths.empty() ? 0 : lengths.front()) << ", median " << median
              << ", max " << (lengths.empty() ? 0 : lengths.back()) << "\n"
              << "  focal polymorphic positions: " << snps << " (" << counters.snp_nonsyn << " non-synonymous, "
              << (counters.codons ? 100.0 * snps / (3.0 * counters.codons) : 0.0) << "% of positions)\n"
              << "  fixed differences: " << counters.fixed_syn + counters.fixed_nonsyn << " ("
              << counters.fixed_nonsyn << " non-synonymous); outgroup polymorphic positions: "
              << counters.outgroup_snps << "\n"
              << "  contigs with a stop codon near an end: " << counters.end_stop_contigs
              << ", with an internal stop codon: " << counters.internal_stop_contigs
              << "; ambiguity codes: " << counters.ambiguities << "\n";
  } catch (const std::exception& e) {
    std::cerr << "generate_alignment: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
