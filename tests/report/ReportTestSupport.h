#pragma once
// Helpers of the option and report tests: another working directory, options read from arguments,
// per-contig summary values and a scripted random source.
#include <Bpp/Numeric/Random/RandomFactory.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "report/Summary.h"
#include "TestSupport.h"
#include "run/ParametersManagement.h"

namespace reporttest {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// Runs the enclosed code in another working directory.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : _previous(getcwd(_buffer, sizeof _buffer) ? _buffer : "") {
    if (_previous.empty() || chdir(path.c_str()) != 0) throw std::runtime_error("cannot change directory");
  }
  ~WorkingDirectory() {
    if (chdir(_previous.c_str()) != 0) std::abort();
  }

 private:
  char _buffer[4096];
  std::string _previous;
};

using testsupport::options;

// A contig with its McDonald-Kreitman counts and site numbers, of weight 100.
inline SummaryContigValues mk(int fixN, int fixS, double nN, double nS, int polymN_0 = 0, int polymS_0 = 0,
                              int polymN_02 = 0, int polymS_02 = 0) {
  SummaryContigValues v;
  v.number_of_complete_sites = 100, v.fixN = fixN, v.fixS = fixS, v.nN = nN, v.nS = nS;
  v.polymN_0 = polymN_0, v.polymS_0 = polymS_0, v.polymN_02 = polymN_02, v.polymS_02 = polymS_02;
  return v;
}

// A contig with every value the summary reads but the SNP counts and the two tables.
inline SummaryContigValues full(unsigned int weight, double piS, double piN, double fit, double B, double C, int fixN,
                                int fixS, double nN, double nS, int pN0, int pS0, int pN02, int pS02) {
  SummaryContigValues v = mk(fixN, fixS, nN, nS, pN0, pS0, pN02, pS02);
  v.number_of_complete_sites = weight, v.piS = piS, v.piN = piN, v.Fit = fit, v.WC84_total_B = B, v.WC84_total_C = C;
  return v;
}

// Plays back the given draws in a loop and counts them.
struct ScriptedGenerator : bpp::RandomFactory {
  explicit ScriptedGenerator(std::vector<double> d) : draws(d) {}
  void setSeed(long) override {}
  double drawNumber() const override { return draws[count++ % draws.size()]; }
  std::vector<double> draws;
  mutable std::size_t count = 0;
};

inline Summary summaryOf(const std::vector<SummaryContigValues>& contigs, unsigned int replicates = 10,
                         unsigned int precision = 1000000, double confidence = 0.95) {
  return Summary(contigs, {}, {}, replicates, precision, confidence);
}

// Equal, NaN included, or within `tolerance`.
inline bool near(double got, double want, double tolerance = 0.0) {
  return (std::isnan(got) && std::isnan(want)) || got == want || std::abs(got - want) <= tolerance;
}

}  // namespace reporttest
