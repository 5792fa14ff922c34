#include "report/SummaryTerms.h"

namespace summary_terms {

std::vector<PiTerm> piTerms(const std::vector<int>& w, const std::vector<double>& piS,
                            const std::vector<double>& piN, double threshold, unsigned int* failed) {
  std::vector<PiTerm> terms(w.size(), PiTerm{0, 0.0, 0.0});
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (notBelow(piS[i], threshold)) {
      const double wi = static_cast<double>(w[i]);
      terms[i] = PiTerm{bits(w[i]), wi * piS[i], wi * piN[i]};
    } else if (failed != nullptr) {
      ++*failed;
    }
  }
  return terms;
}

std::vector<FitTerm> fitTerms(const std::vector<int>& w, const std::vector<double>& fit, double threshold,
                              unsigned int* failed) {
  std::vector<FitTerm> terms(w.size(), FitTerm{0, 0.0});
  for (std::size_t i = 0; i < w.size(); ++i) {
    if (notBelow(fit[i], threshold)) {
      terms[i] = FitTerm{bits(w[i]), static_cast<double>(w[i]) * fit[i]};
    } else if (failed != nullptr) {
      ++*failed;
    }
  }
  return terms;
}

std::vector<WCTerm> wcTerms(const std::vector<double>& B, const std::vector<double>& C, double threshold,
                            unsigned int* failed) {
  std::vector<WCTerm> terms(B.size(), WCTerm{0.0, 0.0});
  for (std::size_t i = 0; i < B.size(); ++i) {
    if (notBelow(B[i], threshold) && notBelow(C[i], threshold)) {
      terms[i] = WCTerm{B[i], C[i]};
    } else if (failed != nullptr) {
      ++*failed;
    }
  }
  return terms;
}

// A contig whose fixN or fixS exceeds max_count counts as failed; one that fails only the dS test
// counts as failed and as above the threshold.
std::vector<DivergenceTerm> divergenceTerms(const std::vector<int>& fixN, const std::vector<int>& nN,
                                            const std::vector<int>& fixS, const std::vector<int>& nS, int max_count,
                                            double threshold, unsigned int* failed, unsigned int* above) {
  std::vector<DivergenceTerm> terms(fixN.size(), DivergenceTerm{0, 0, 0, 0});
  for (std::size_t i = 0; i < fixN.size(); ++i) {
    if (fixN[i] > max_count || fixS[i] > max_count) {
      if (failed != nullptr) ++*failed;
    } else if (!dSNotAbove(fixS[i], nS[i], threshold)) {
      if (failed != nullptr) ++*failed;
      if (above != nullptr) ++*above;
    } else {
      terms[i] = DivergenceTerm{bits(fixN[i]), bits(nN[i]), bits(fixS[i]), bits(nS[i])};
    }
  }
  return terms;
}

// The two polymorphism counts at frequency 0.2 are not tested.
std::vector<MKTerm> mkTerms(const std::vector<int>& fixN, const std::vector<int>& fixS,
                            const std::vector<int>& polymN_0, const std::vector<int>& polymS_0,
                            const std::vector<int>& polymN_02, const std::vector<int>& polymS_02,
                            const std::vector<int>& nS, int max_count, double threshold, unsigned int* failed) {
  std::vector<MKTerm> terms(fixN.size(), MKTerm{0, 0, 0, 0, 0, 0});
  for (std::size_t i = 0; i < fixN.size(); ++i) {
    if (fixN[i] <= max_count && fixS[i] <= max_count && polymN_0[i] <= max_count && polymS_0[i] <= max_count &&
        dSNotAbove(fixS[i], nS[i], threshold)) {
      terms[i] = MKTerm{bits(polymN_0[i]),  bits(polymS_0[i]), bits(polymN_02[i]),
                        bits(polymS_02[i]), bits(fixN[i]),     bits(fixS[i])};
    } else if (failed != nullptr) {
      ++*failed;
    }
  }
  return terms;
}

}  // namespace summary_terms
