#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "FocalTestData.h"
#include "analysis/InbreedingCoefficients.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/SpeciesDataWarehouse.h"

namespace {

using focaltest::Alphabets;
using focaltest::makeContainer;

struct Outcome {
  double fit, b, c, wc;
};

Outcome run(const Alphabets& a, const std::vector<focaltest::NamedText>& seqs, std::string* fitDebug = nullptr,
            std::string* wcDebug = nullptr) {
  auto source = makeContainer(a, seqs);
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  SpeciesDataWarehouse record;
  const unsigned int sites = static_cast<unsigned int>(source->getNumberOfSites());
  const std::string f = focaltest::captureStdout(
      [&] { computeFit(&pairs, &a.codon, &a.nucleic, &record, sites, fitDebug != nullptr); });
  const std::string w = focaltest::captureStdout(
      [&] { computeWeirCockerhamFit(&pairs, &a.codon, &a.nucleic, &record, sites, wcDebug != nullptr); });
  if (fitDebug) *fitDebug = f;
  if (wcDebug) *wcDebug = w;
  return {record.get_Fit(), record.get_WC84_total_B(), record.get_WC84_total_C(), record.get_WC84_Fit()};
}

TEST(InbreedingCoefficients, WorkedExamples) {
  Alphabets a;
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::pair<std::string, std::string>>> individuals;
    Outcome expected;
  } cases[] = {
      // one bi-allelic position, (A, C) and (A, A): p = 0.75, q = 0.25, expected 0.75, observed 1;
      // n = 2, h = 0.5: term b = 2 * (3/16 - 3/16) = 0, C = 0.25
      {"one heterozygote, one homozygote", {{"x", {"GGA", "GGC"}}, {"y", {"GGA", "GGA"}}}, {-1.0 / 3.0, 0.0, 0.25, 0.0}},
      // every individual homozygous: observed 0, Fit 1; p = 0.5, h = 0: b = 2 * 0.25 = 0.5, C = 0
      {"all homozygous", {{"x", {"GGA", "GGA"}}, {"y", {"GGC", "GGC"}}}, {1.0, 0.5, 0.0, 1.0}},
      // typed in one individual only (the other has N there): counts in Fit (expected 0.5, observed 1),
      // not in the Weir & Cockerham sums
      {"typed in one individual", {{"x", {"GGA", "GGC"}}, {"y", {"NNN", "GGA"}}}, {-1.0, -999.0, -999.0, -999.0}},
      // three nucleotides at the position: neither estimate uses it
      {"three alleles", {{"x", {"GGA", "GGC"}}, {"y", {"GGT", "GGT"}}}, {-999.0, -999.0, -999.0, -999.0}},
      {"monomorphic", {{"x", {"GGA", "GGA"}}, {"y", {"GGA", "GGA"}}}, {-999.0, -999.0, -999.0, -999.0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome o = run(a, focaltest::diploids(c.individuals));
    EXPECT_DOUBLE_EQ(o.fit, c.expected.fit);
    EXPECT_DOUBLE_EQ(o.b, c.expected.b);
    EXPECT_DOUBLE_EQ(o.c, c.expected.c);
    EXPECT_DOUBLE_EQ(o.wc, c.expected.wc);
  }
}

TEST(InbreedingCoefficients, DebugLinesOfTheWorkedExample) {
  Alphabets a;
  std::string fit, wc;
  run(a, focaltest::diploids({{"x", {"GGA", "GGC"}}, {"y", {"GGA", "GGA"}}}), &fit, &wc);
  const std::string nameA = a.nucleic.getName(0);
  EXPECT_EQ(fit, "(DEBUG - computeFit) Resolved sequences: 2\n"
                 "(DEBUG - computeFit) First allele (" + nameA + ") Occurence & frequency: 3 - 0.75\n"
                 "(DEBUG - computeFit) Second allele (" + a.nucleic.getName(1) + ") Occurence & frequency: 1 - 0.25\n"
                 "(DEBUG - computeFit) nbObservedHeterozygosity: 1\n"
                 "(DEBUG - computeFit) nbExpectedHeterozygosity: 0.75\n");
  EXPECT_EQ(wc, "(DEBUG - computeWeirCockerhamFit) Resolved Pairs: 2\n"
                "(DEBUG - computeWeirCockerhamFit) First allele (" + nameA + ") Occurence & frequency: 3 - 0.75\n"
                "(DEBUG - determineWeirCockerhamTerm) subTerm1: 2\n"
                "(DEBUG - determineWeirCockerhamTerm) subTerm2: 0.1875\n"
                "(DEBUG - determineWeirCockerhamTerm) subTerm3: 0.1875\n"
                "(DEBUG - determineWeirCockerhamTerm) weirCockerhamTermB: 0\n"
                "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermB: 0\n"
                "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermC: 0.25\n"
                "(DEBUG - computeWeirCockerhamFit) WC84_Fit: 0\n");
}

TEST(InbreedingCoefficients, NoPairLeavesEverythingAndStillPrintsTheTotals) {
  Alphabets a;
  std::string fit, wc;
  // unpaired sequences only
  const Outcome o = run(a, {{"c|s|a|1", "GGA"}, {"c|s|b|1", "GGC"}}, &fit, &wc);
  EXPECT_EQ(o.fit, -999.0);
  EXPECT_EQ(o.wc, -999.0);
  EXPECT_EQ(fit, "(DEBUG - computeFit) nbObservedHeterozygosity: 0\n(DEBUG - computeFit) nbExpectedHeterozygosity: 0\n");
  EXPECT_EQ(wc, "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermB: 0\n"
                "(DEBUG - computeWeirCockerhamFit) totalWeirCockerhamTermC: 0\n");
}

// B + C of one used position is [a(2n - a) - H] / [4n(n - 1)] for allele counts a and 2n - a and H
// heterozygotes; as H <= min(a, 2n - a) and n >= 2 it is never 0, so the guard against B + C = 0 can
// only meet a sum of positive terms. Checked over every admissible count up to 40 individuals.
TEST(InbreedingCoefficients, TermsBPlusCOfAUsedPositionArePositive) {
  for (int n = 2; n <= 40; ++n)
    for (int count = 1; count < 2 * n; ++count)
      for (int het = 0; het <= std::min(count, 2 * n - count); ++het) {
        if ((count - het) % 2 != 0 || (2 * n - count - het) % 2 != 0) continue;  // homozygotes carry two copies
        const double dn = n, p = count / (2.0 * dn), h = het / dn;
        const double sum = determineWeirCockerhamTermB(dn, p, h, false) + 0.5 * h;
        const double exact = (count * (2.0 * n - count) - het) / (4.0 * n * (n - 1.0));
        ASSERT_GT(sum, 0.0) << n << " " << count << " " << het;
        ASSERT_NEAR(sum, exact, 1e-12);
      }
}

// Reference estimates read straight through the alphabets.
Outcome reference(const Alphabets& a, mrv::PairedSequenceContainer& pairs, unsigned int sites) {
  unsigned int count = 0, observed = 0, wcCount = 0;
  double expected = 0.0, b = 0.0, c = 0.0;
  Outcome o{-999.0, -999.0, -999.0, -999.0};
  for (unsigned int s = 0; s < sites; ++s)
    for (size_t k = 0; k < 3; ++k) {
      std::vector<int> alleles;
      int typed = 0, het = 0, first = 0, second = 0;
      for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i) {
        const int x = a.codon.getNPosition(pairs.get_pair(i)->valueAt(0, s), k);
        const int y = a.codon.getNPosition(pairs.get_pair(i)->valueAt(1, s), k);
        if (a.nucleic.isUnresolved(x) || a.nucleic.isUnresolved(y)) continue;
        ++typed;
        het += x != y;
        for (int v : {x, y}) {
          if (std::find(alleles.begin(), alleles.end(), v) == alleles.end()) alleles.push_back(v);
          if (v == alleles[0]) ++first;
          else if (alleles.size() > 1 && v == alleles[1]) ++second;
        }
      }
      if (alleles.size() != 2) continue;
      const double p = first / (2.0 * typed), q = second / (2.0 * typed);
      ++count;
      observed += het;
      expected += 2.0 * p * q * typed;
      if (typed > 1) {
        const double n = typed, h = het / n;
        b += n / (n - 1.0) * (p * (1.0 - p) - (2.0 * n - 1.0) / (4.0 * n) * h);
        c += h / 2.0;
        ++wcCount;
      }
    }
  if (count > 0 && expected != 0.0) o.fit = 1.0 - observed / expected;
  if (wcCount > 0 && b + c != 0.0) o = {o.fit, b, c, b / (b + c)};
  return o;
}

TEST(InbreedingCoefficients, SameAsTheDirectReadingOnRandomContigs) {
  Alphabets a;
  std::mt19937 rng(3);
  for (int round = 0; round < 25; ++round) {
    const auto seqs = focaltest::randomContig(rng, 10, 30);
    auto source = makeContainer(a, seqs);
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    const Outcome expected = reference(a, pairs, static_cast<unsigned int>(source->getNumberOfSites()));
    const Outcome o = run(a, seqs);
    EXPECT_NEAR(o.fit, expected.fit, 1e-12);
    EXPECT_NEAR(o.b, expected.b, 1e-12);
    EXPECT_NEAR(o.c, expected.c, 1e-12);
    EXPECT_NEAR(o.wc, expected.wc, 1e-12);
  }
}

}  // namespace
