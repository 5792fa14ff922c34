#include <gtest/gtest.h>

#include "TestSupport.h"
#include "analysis/InbreedingCoefficients.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/SpeciesDataWarehouse.h"

namespace {

using testsupport::Alphabets;

// Fit, total B, total C, WC84 Fit of a contig, with the debug output of both estimates.
std::vector<double> estimates(const Alphabets& a, const testsupport::Records& seqs, std::string* debug = nullptr) {
  auto source = testsupport::makeContainer(a.codon, seqs);
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  SpeciesDataWarehouse r;
  const unsigned int sites = static_cast<unsigned int>(source->getNumberOfSites());
  testing::internal::CaptureStdout();
  computeFit(&pairs, &a.codon, &a.nucleic, &r, sites, debug != nullptr);
  computeWeirCockerhamFit(&pairs, &a.codon, &a.nucleic, &r, sites, debug != nullptr);
  const std::string out = testing::internal::GetCapturedStdout();
  if (debug) *debug = out;
  return {r.get_Fit(), r.get_WC84_total_B(), r.get_WC84_total_C(), r.get_WC84_Fit()};
}

TEST(InbreedingCoefficients, FitAndWeirCockerhamOfWorkedExamplesWithDebugLines) {
  Alphabets a;
  const struct {
    std::vector<std::string> individuals;
    std::vector<double> expected;
  } cases[] = {
      // (A, C) and (A, A): p 0.75, q 0.25, expected 0.75, observed 1; n 2, h 0.5, b = 2 (3/16 - 3/16)
      {{"x=GGA/GGC", "y=GGA/GGA"}, {-1.0 / 3.0, 0.0, 0.25, 0.0}},
      // all homozygous: Fit 1; p 0.5, h 0: b = 2 * 0.25, C = 0
      {{"x=GGA/GGA", "y=GGC/GGC"}, {1.0, 0.5, 0.0, 1.0}},
      // typed in one individual only: Fit 1 - 1 / 0.5, not in the Weir & Cockerham sums
      {{"x=GGA/GGC", "y=NNN/GGA"}, {-1.0, -999.0, -999.0, -999.0}},
      {{"x=GGA/GGC", "y=GGT/GGT"}, {-999.0, -999.0, -999.0, -999.0}},  // three nucleotides
      {{"x=GGA/GGA", "y=GGA/GGA"}, {-999.0, -999.0, -999.0, -999.0}},  // one nucleotide
  };
  for (const auto& c : cases) {
    const std::vector<double> e = estimates(a, testsupport::diploids(c.individuals));
    for (size_t k = 0; k < 4; ++k) EXPECT_DOUBLE_EQ(e[k], c.expected[k]) << c.individuals[1] << " value " << k;
  }
  // no pair at all: nothing stored, the closing lines print 0
  std::string out;
  EXPECT_EQ(estimates(a, {{"c|s|a|1", "GGA"}, {"c|s|b|1", "GGC"}}, &out), std::vector<double>(4, -999.0));
  EXPECT_EQ(out, "(DEBUG - computeFit) nbObservedHeterozygosity: 0\n(DEBUG - computeFit) nbExpectedHeterozygosity: 0\n"
                 "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermB: 0\n"
                 "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermC: 0\n");
  // the debug lines of the first example
  estimates(a, testsupport::diploids(cases[0].individuals), &out);
  const std::string A = a.nucleic.getName(0), C = a.nucleic.getName(1);
  EXPECT_EQ(out, "(DEBUG - computeFit) Resolved sequences: 2\n"
                 "(DEBUG - computeFit) First allele (" + A + ") Occurence & frequency: 3 - 0.75\n"
                 "(DEBUG - computeFit) Second allele (" + C + ") Occurence & frequency: 1 - 0.25\n"
                 "(DEBUG - computeFit) nbObservedHeterozygosity: 1\n"
                 "(DEBUG - computeFit) nbExpectedHeterozygosity: 0.75\n"
                 "(DEBUG - computeWeirCockerhamFit) Resolved Pairs: 2\n"
                 "(DEBUG - computeWeirCockerhamFit) First allele (" + A + ") Occurence & frequency: 3 - 0.75\n"
                 "(DEBUG - determineWeirCockerhamTerm) subTerm1: 2\n"
                 "(DEBUG - determineWeirCockerhamTerm) subTerm2: 0.1875\n"
                 "(DEBUG - determineWeirCockerhamTerm) subTerm3: 0.1875\n"
                 "(DEBUG - determineWeirCockerhamTerm) weirCockerhamTermB: 0\n"
                 "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermB: 0\n"
                 "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermC: 0.25\n"
                 "(DEBUG - computeWeirCockerhamFit) WC84_Fit: 0\n");
}

}  // namespace
