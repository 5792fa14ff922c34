#pragma once
// What the averages of the summary and their bootstrap replicates are made of: each contig's
// contribution to a statistic, and the sums of the contributions over a list of contig positions
// (all contigs in order for an average, a resample for a bootstrap replicate), so that a replicate
// is computed exactly as its average.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace summary_terms {

// "Not below": the test threshold > value is false, so a value equal to the threshold and NaN pass.
inline bool notBelow(double value, double threshold) { return !(threshold > value); }

// Weights and counts are summed as 32-bit integers: unsigned sums wrap modulo 2^32, and the signed
// sums are read back from the same bits, so no sum ever overflows a signed type.
inline std::uint32_t bits(int value) { return static_cast<std::uint32_t>(value); }
inline std::int64_t signedSum(std::uint32_t sum) { return static_cast<std::int32_t>(sum); }

// Per-contig contributions of one statistic. A contig that fails the statistic's inclusion test
// contributes zeros, so a sum over any list of contig positions (all contigs in order for the
// average, a resample for a bootstrap replicate) runs without a test, and adds exactly what the
// used contigs add: x + 0.0 == x for every partial sum, which starts at +0.0.
struct PiTerm {
  std::uint32_t w;
  double w_piS;
  double w_piN;
};
struct FitTerm {
  std::uint32_t w;
  double w_fit;
};
struct WCTerm {
  double B;
  double C;
};
struct DivergenceTerm {
  std::uint32_t fixN, nN, fixS, nS;
};
struct MKTerm {
  std::uint32_t polymN_0, polymS_0, polymN_02, polymS_02, fixN, fixS;
};

struct PiStats {
  std::uint32_t W;
  double piS, piN, ratio;
};
struct DivergenceStats {
  double dN, dS, dNdS;
};
struct MKStats {
  double NI, NI02;
};

// Contig positions 0 .. n-1 in order.
struct AllContigs {
  std::size_t operator()(std::size_t k) const { return k; }
};

// The contig positions of a resample, in the order drawn.
struct Resample {
  const std::vector<unsigned int>& indices;
  std::size_t operator()(std::size_t k) const { return indices[k]; }
};

// dS = fixS / nS; "not above" the threshold: the test dS > threshold is false (NaN passes, and every
// dS passes a NaN threshold).
inline bool dSNotAbove(int fixS, int nS, double threshold) {
  return !(static_cast<double>(fixS) / static_cast<double>(nS) > threshold);
}

// The sums below run over positions k = 0 .. n-1, contig pick(k) at position k.

// W = sum of w; piS = sum of w × piS / W; piN = sum of w × piN / W; ratio = piN / piS.
template <class Pick>
PiStats sumPi(const std::vector<PiTerm>& terms, std::size_t n, Pick pick) {
  std::uint32_t W = 0;
  double sum_piS = 0.0, sum_piN = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const PiTerm& t = terms[pick(k)];
    W += t.w;
    sum_piS += t.w_piS;
    sum_piN += t.w_piN;
  }
  PiStats s;
  s.W = W;
  s.piS = sum_piS / static_cast<double>(W);
  s.piN = sum_piN / static_cast<double>(W);
  s.ratio = s.piN / s.piS;
  return s;
}

// sum of w × Fit / sum of w.
template <class Pick>
double sumFit(const std::vector<FitTerm>& terms, std::size_t n, Pick pick) {
  std::uint32_t W = 0;
  double sum = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const FitTerm& t = terms[pick(k)];
    W += t.w;
    sum += t.w_fit;
  }
  return sum / static_cast<double>(W);
}

// sum(B) / (sum(B) + sum(C)).
template <class Pick>
double sumWC(const std::vector<WCTerm>& terms, std::size_t n, Pick pick) {
  double B = 0.0, C = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const WCTerm& t = terms[pick(k)];
    B += t.B;
    C += t.C;
  }
  return B / (B + C);
}

// dN = sum(fixN) / sum(nN), dS = sum(fixS) / sum(nS), dNdS = dN / dS.
template <class Pick>
DivergenceStats sumDivergence(const std::vector<DivergenceTerm>& terms, std::size_t n, Pick pick) {
  std::uint32_t fixN = 0, nN = 0, fixS = 0, nS = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const DivergenceTerm& t = terms[pick(k)];
    fixN += t.fixN;
    nN += t.nN;
    fixS += t.fixS;
    nS += t.nS;
  }
  DivergenceStats s;
  s.dN = static_cast<double>(signedSum(fixN)) / static_cast<double>(signedSum(nN));
  s.dS = static_cast<double>(signedSum(fixS)) / static_cast<double>(signedSum(nS));
  s.dNdS = s.dN / s.dS;
  return s;
}

// NI = (sum(polymN_0) × sum(fixS)) / (sum(polymS_0) × sum(fixN)); NI02 the same with the 0.2 counts.
template <class Pick>
MKStats sumMK(const std::vector<MKTerm>& terms, std::size_t n, Pick pick) {
  std::uint32_t pN0 = 0, pS0 = 0, pN02 = 0, pS02 = 0, fixN = 0, fixS = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const MKTerm& t = terms[pick(k)];
    pN0 += t.polymN_0;
    pS0 += t.polymS_0;
    pN02 += t.polymN_02;
    pS02 += t.polymS_02;
    fixN += t.fixN;
    fixS += t.fixS;
  }
  // Each product of two 32-bit sums is exact in 64 bits.
  const std::int64_t fS = signedSum(fixS), fN = signedSum(fixN);
  MKStats s;
  s.NI = static_cast<double>(signedSum(pN0) * fS) / static_cast<double>(signedSum(pS0) * fN);
  s.NI02 = static_cast<double>(signedSum(pN02) * fS) / static_cast<double>(signedSum(pS02) * fN);
  return s;
}

// The per-contig contributions of each statistic, from the summary's per-contig values. A contig
// that fails the statistic's inclusion test contributes zeros and adds 1 to `*failed` (when not
// null); the thresholds and tests are those of the matching averages of Summary.
std::vector<PiTerm> piTerms(const std::vector<int>& w, const std::vector<double>& piS,
                            const std::vector<double>& piN, double threshold, unsigned int* failed);
std::vector<FitTerm> fitTerms(const std::vector<int>& w, const std::vector<double>& fit, double threshold,
                              unsigned int* failed);
std::vector<WCTerm> wcTerms(const std::vector<double>& B, const std::vector<double>& C, double threshold,
                            unsigned int* failed);
// A contig that fails only the dS test also adds 1 to `*above` (when not null).
std::vector<DivergenceTerm> divergenceTerms(const std::vector<int>& fixN, const std::vector<int>& nN,
                                            const std::vector<int>& fixS, const std::vector<int>& nS, int max_count,
                                            double threshold, unsigned int* failed, unsigned int* above);
std::vector<MKTerm> mkTerms(const std::vector<int>& fixN, const std::vector<int>& fixS,
                            const std::vector<int>& polymN_0, const std::vector<int>& polymS_0,
                            const std::vector<int>& polymN_02, const std::vector<int>& polymS_02,
                            const std::vector<int>& nS, int max_count, double threshold, unsigned int* failed);

}  // namespace summary_terms
