// Averages over the contigs, their failure counts and bootstrap intervals, worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SummaryTestSupport.h"
#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"

using namespace summarytest;
using Contigs = std::vector<SummaryContigValues>;

namespace {

// A contig with only its piN/piS values and weight set.
SummaryContigValues pi(unsigned int weight, double piS, double piN = 0.0) {
  SummaryContigValues v;
  v.number_of_complete_sites = weight, v.piS = piS, v.piN = piN;
  return v;
}

Summary summaryOf(const Contigs& contigs, unsigned int replicates = 10, unsigned int precision = 1000000,
                  double confidence = 0.95) {
  return Summary(contigs, {}, {}, replicates, precision, confidence);
}

void expectInterval(const std::vector<double>& got, double lower, double upper) {
  ASSERT_EQ(got.size(), 2u);
  EXPECT_TRUE(near(got[0], lower) && near(got[1], upper)) << got[0] << ", " << got[1] << " instead of " << lower
                                                          << ", " << upper;
}

}  // namespace

TEST(SummaryAverages, PiNPiSFitAndWeirCockerham) {
  auto fit = [](unsigned int w, double f, double B, double C) { return full(w, 0, 0, f, B, C, 0, 0, 0, 0, 0, 0, 0, 0); };
  struct Case {
    const char* what;
    Contigs contigs;
    unsigned int failed;
    double piS, piN;
    unsigned int length;
  };
  const std::vector<Case> pis = {
      {"marker -1 left out", {pi(100, 0.01, 0.002), pi(300, 0.03, 0.006), pi(50, -1.0, 0.5)}, 1, 0.025, 0.005, 200},
      {"length truncated", {pi(100, 0.01, 0.001), pi(301, 0.01, 0.001)}, 0, 0.01, 0.001, 200},
      {"threshold itself passes", {pi(10, -0.1, 0.2)}, 0, -0.1, 0.2, 10},
      {"NaN piS passes", {pi(10, 0.1, 0.1), pi(10, NaN, 0.1)}, 0, NaN, 0.1, 10},
      {"piN is not tested", {pi(10, 0.1, -1.0)}, 0, 0.1, -1.0, 10},
      {"every contig fails", {pi(10, -1.0), pi(20, -1.0)}, 2, NaN, NaN, 0},
      {"no contig", {}, 0, NaN, NaN, 0},
  };
  for (const Case& c : pis) {
    SCOPED_TRACE(c.what);
    Summary s = summaryOf(c.contigs);
    s.compute_average_piNpiS(-0.1);
    EXPECT_EQ(s.get_failed_piNpiS(), c.failed);
    EXPECT_TRUE(near(s.get_average_piS(), c.piS, 1e-15) && near(s.get_average_piN(), c.piN, 1e-15));
    EXPECT_TRUE(near(s.get_average_piNpiS(), s.get_average_piN() / s.get_average_piS()));
    EXPECT_EQ(s.get_average_contig_length_piNpiS(), c.length);
  }
  // Fit: weighted, thresholds -100 and -900 (passing values not below them, NaN too); failed counts.
  const std::vector<Case> fits = {
      {"weighted, -100 used, -999 left out",
       {fit(100, 0.2, 0.2, 0.8), fit(300, -100.0, 0.1, 0.9), fit(50, -999.0, -999.0, 0.5)},
       1, (20.0 - 30000.0) / 400.0, 0.3 / 2.0, 1},
      {"NaN passes and spreads", {fit(100, 0.2, 0.5, 0.5), fit(10, NaN, NaN, 0.5)}, 0, NaN, NaN, 0},
      {"-900 passes, C below fails", {fit(10, 0.5, -900.0, 1000.0), fit(10, 0.5, 1.0, -901.0)}, 0, 0.5, -9.0, 1},
      {"no contig", {}, 0, NaN, NaN, 0},
  };
  for (const Case& c : fits) {  // piS: Fit, piN: Weir & Cockerham Fit, failed and length: their failed counts
    SCOPED_TRACE(c.what);
    Summary s = summaryOf(c.contigs);
    s.compute_average_fit(-100.0);
    s.compute_average_WC84_fit(-900.0);
    EXPECT_TRUE(near(s.get_average_fit(), c.piS, 1e-12)) << s.get_average_fit();
    EXPECT_TRUE(near(s.get_average_WC84_fit(), c.piN, 1e-12)) << s.get_average_WC84_fit();
    EXPECT_EQ(s.get_failed_fit(), c.failed);
    EXPECT_EQ(s.get_failed_WC84_fit(), c.length);
  }
}

TEST(SummaryAverages, DivergenceAndNeutralityIndex) {
  Contigs eight;
  for (int fixS : {9, 10, 10, 11, 11, 12, 13, 500}) eight.push_back(mk(5, fixS, 200.0, 100.0, 4, 8));
  struct Case {
    const char* what;
    Contigs contigs;
    double threshold, dN, dS, NI, NI02;  // NI, NI02: NaN when not checked
    unsigned int failed_dNdS, above, failed_NI;
  };
  const std::vector<Case> cases = {
      {"four contigs: nothing dropped",
       {mk(1, 10, 100.0, 100.0, 1, 1), mk(1, 20, 100.0, 100.0, 1, 1), mk(1, 30, 100.0, 100.0, 1, 1),
        mk(1, 1000, 100.0, 100.0, 1, 1)},
       10.0513, 4.0 / 400.0, 1060.0 / 400.0, (4.0 * 1060.0) / (4.0 * 4.0), NaN, 0, 0, 0},
      {"eight contigs: the 5.0 contig dropped", eight, 3.5689, 35.0 / 1400.0, 76.0 / 700.0,
       (28.0 * 76.0) / (56.0 * 35.0), NaN, 1, 1, 1},
      {"one contig: NaN threshold, still used", {mk(3, 900, 10.0, 10.0, 2, 6)}, NaN, 0.3, 90.0,
       (2.0 * 900.0) / (6.0 * 3.0), NaN, 0, 0, 0},
      {"no outgroup: dS (-1)/(-1) = 1", Contigs(2, mk(-1, -1, -1.0, -1.0, -1, -1, -1, -1)), 1.0, 1.0, 1.0, 1.0, 1.0, 0, 0, 0},
      {"fixN 1001 fails both counts, not the threshold", {mk(1001, 10, 100.0, 100.0, 1, 1), mk(2, 10, 100.0, 100.0, 3, 4)},
       0.1, 0.02, 0.1, (3.0 * 10.0) / (4.0 * 2.0), NaN, 1, 0, 1},
      {"polymS_0 1001 fails NI only, 0.2 counts untested",
       {mk(2, 10, 100.0, 100.0, 1, 1001, 5000, 5000), mk(2, 10, 100.0, 100.0, 3, 4, 1, 2)}, 0.1, 0.02, 0.1,
       (3.0 * 10.0) / (4.0 * 2.0), (1.0 * 10.0) / (2.0 * 2.0), 0, 0, 1},
      {"sites truncated toward zero", {mk(41, 30, 123.9, 100.7, 1, 1)}, NaN, 41.0 / 123.0, 0.3, 30.0 / 41.0, NaN, 0, 0, 0},
      {"50,000 in every cell: exact products", Contigs(50, mk(1000, 1000, 5000.0, 5000.0, 1000, 1000, 1000, 500)), 0.2,
       0.2, 0.2, 1.0, 2.0, 0, 0, 0},
      // fixS = nS = 0 gives no dS: the threshold is that of the four others, and the contig passes
      // the dS test, adding its fixN only.
      {"a contig without dS", {mk(1, 10, 100.0, 100.0), mk(1, 0, 0.0, 0.0), mk(1, 20, 100.0, 100.0),
        mk(1, 30, 100.0, 100.0), mk(1, 1000, 100.0, 100.0)}, 10.0513, 5.0 / 400.0, 1060.0 / 400.0, NaN, NaN, 0, 0, 0},
      {"no contig", {}, NaN, NaN, NaN, NaN, NaN, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Summary s = summaryOf(c.contigs);
    s.compute_average_dNdS(1000, 2.0);
    s.compute_average_NI(1000, 2.0);
    EXPECT_TRUE(near(s.get_dS_threshold(), c.threshold, 1e-4)) << "threshold " << s.get_dS_threshold();
    EXPECT_TRUE(near(s.get_average_dN(), c.dN, 1e-12)) << "dN " << s.get_average_dN();
    EXPECT_TRUE(near(s.get_average_dS(), c.dS, 1e-12)) << "dS " << s.get_average_dS();
    EXPECT_TRUE(near(s.get_average_dNdS(), s.get_average_dN() / s.get_average_dS()));
    if (!std::isnan(c.NI)) EXPECT_TRUE(near(s.get_NI(), c.NI, 1e-12)) << "NI " << s.get_NI();
    if (!std::isnan(c.NI02)) EXPECT_TRUE(near(s.get_NI02(), c.NI02, 1e-12)) << "NI02 " << s.get_NI02();
    EXPECT_TRUE(near(s.get_alpha(), 1.0 - s.get_NI()));
    EXPECT_EQ(std::vector<unsigned int>({s.get_failed_dNdS(), s.get_contig_above_threshold(), s.get_failed_NI()}),
              std::vector<unsigned int>({c.failed_dNdS, c.above, c.failed_NI}));
  }
  Summary none = summaryOf({mk(1, 0, 0.0, 0.0)});
  none.compute_dS_threshold(2.0);
  EXPECT_TRUE(std::isnan(none.get_dS_threshold()));
  // Computed once: a later call with another k keeps the first threshold.
  Summary once = summaryOf({mk(1, 10, 100.0, 100.0), mk(1, 30, 100.0, 100.0)});
  once.compute_average_dNdS(1000, 0.0);
  once.compute_average_NI(1000, 100.0);
  EXPECT_DOUBLE_EQ(once.get_dS_threshold(), 0.2);
}

TEST(SummaryAverages, HeterozygosityAndFst) {
  auto row = [](unsigned int w, std::vector<double> h, std::vector<double> fst) {
    SummaryContigValues v = pi(w, 0.0);
    v.individual_heterozygosity = h, v.population_fst = fst;
    return v;
  };
  const std::vector<std::string> individuals = {"A", "B", "C"}, couples = {"P1|P2", "P1|P3", "P2|P3"};
  Summary s({row(100, {0.1, NaN, -999.0}, {0.5, -999.0, NaN}), row(300, {0.3, -100.0, -999.0}, {0.1, -999.0, 0.2})},
            individuals, couples, 10, 1000000, 0.95);
  s.compute_average_individual_heterozygosity(individuals, -100.0);
  s.compute_average_population_fst(couples, -100.0);
  EXPECT_DOUBLE_EQ(s.get_specific_average_individual_heterozygosity("A"), (10.0 + 90.0) / 400.0);
  EXPECT_TRUE(std::isnan(s.get_specific_average_individual_heterozygosity("B")));  // NaN and -100 skipped
  EXPECT_TRUE(std::isnan(s.get_specific_average_individual_heterozygosity("C")));  // -999 everywhere
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P1|P2"), (50.0 + 30.0) / 400.0);
  EXPECT_EQ(s.get_specific_average_population_fst("P1|P3"), 0.0);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P2|P3"), 0.2);
  EXPECT_EQ(s.get_specific_average_individual_heterozygosity("absent"), 0.0);
  EXPECT_DOUBLE_EQ(s.get_average_population_fst(0, 1) + s.get_average_population_fst(1, 2), 0.2 + 80.0 / 400.0);
  EXPECT_EQ(s.get_average_population_fst(1, 0) + s.get_average_population_fst(2, 3), 0.0);  // no such pair
  // Populations "A|B", "C", "A", "B|C": pairs (0, 1) and (2, 3) share the key "A|B|C", not their averages.
  const std::vector<double> fst = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
  const std::vector<std::string> bars = {"A|B|C", "A|B|A", "A|B|B|C", "C|A", "C|B|C", "A|B|C"};
  Summary four({row(100, {}, fst)}, {}, bars, 10, 1000000, 0.95);
  four.compute_average_population_fst(bars, -100.0);
  const unsigned int pairs[][2] = {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}};
  for (size_t p = 0; p < fst.size(); ++p)
    EXPECT_DOUBLE_EQ(four.get_average_population_fst(pairs[p][0], pairs[p][1]), fst[p]) << p;
  EXPECT_DOUBLE_EQ(four.get_specific_average_population_fst("A|B|C"), 0.1);  // the first pair of that key
}

// Copied out of the stores: the ingroup's record (not another species'), the counts, and the
// heterozygosity and Fst (i < j) tables in the population's order. A store without record and
// without outgroup data adds its -1 markers to the divergence sums.
TEST(SummaryAverages, ReadFromTheIngroupRecordOfEachStore) {
  testsupport::TempDir dir;
  mrv::Population population(dir.write("pop.txt", "P1;A;B\nP2;C\nP3;D\n"));
  ResultsWarehouse w1(&population, 8), w2(&population, 8);
  for (const char* species : {"Other", "Sp1"}) {
    SpeciesDataWarehouse* sd = new SpeciesDataWarehouse();
    const bool ingroup = species == std::string("Sp1");
    sd->set_species_name(species);
    sd->set_number_of_complete_sites(ingroup ? 100 : 999);
    sd->set_piS(ingroup ? 0.25 : 0.9);
    sd->set_piN(ingroup ? 0.0625 : 0.9);
    sd->set_Fit(ingroup ? 0.125 : 0.9);
    sd->set_WC84_total_B(ingroup ? 0.25 : 0.9);
    sd->set_WC84_total_C(ingroup ? 0.75 : 0.9);
    w1.store_species_data(sd);
  }
  w1.set_nb_bi_allelic_SNP(5), w1.set_nb_tri_allelic_SNP(1), w2.set_nb_bi_allelic_SNP(3), w2.set_nb_quadri_allelic_SNP(1);
  w1.set_nN(40.9), w1.set_nS(20.2), w1.set_fixN(4), w1.set_fixS(2), w1.set_polymN_0(3), w1.set_polymS_0(6);
  w1.set_specific_individual_heterozygosity("A", 0.1);
  w1.set_specific_individual_heterozygosity("C", 0.3);
  for (unsigned int i = 0; i < 3; ++i)
    for (unsigned int j = 0; j < 3; ++j) w1.set_specific_Fst(i, j, i < j ? 0.05 * (i + j) : 0.9);
  Summary s({&w1, &w2}, &population, "Sp1", 2, 10, 1000000, 0.95);
  s.compute_all_averages(&population, -0.1, -100.0, -900.0, -100.0, -100.0, 2.0, 1000);
  EXPECT_EQ(std::vector<double>({1.0 * s.get_total_SNP2(), 1.0 * s.get_total_SNP3(), 1.0 * s.get_total_SNP4(),
                                 s.get_average_piS(), s.get_average_piN(), 1.0 * s.get_failed_piNpiS(),
                                 1.0 * s.get_average_contig_length_piNpiS(), s.get_average_fit(),
                                 s.get_average_WC84_fit(), 1.0 * s.get_failed_WC84_fit()}),
            std::vector<double>({8, 1, 1, 0.25, 0.0625, 1, 100, 0.125, 0.25, 1}));
  // Sites truncated (40.9 -> 40, 20.2 -> 20) and the second store's -1 added.
  EXPECT_DOUBLE_EQ(s.get_average_dN(), 3.0 / 39.0);
  EXPECT_DOUBLE_EQ(s.get_average_dS(), 1.0 / 19.0);
  EXPECT_DOUBLE_EQ(s.get_NI(), (2.0 * 1.0) / (5.0 * 3.0));
  EXPECT_DOUBLE_EQ(s.get_specific_average_individual_heterozygosity("A"), 0.1);
  EXPECT_TRUE(std::isnan(s.get_specific_average_individual_heterozygosity("B")));
  EXPECT_DOUBLE_EQ(s.get_specific_average_individual_heterozygosity("C"), 0.3);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P1|P2"), 0.05);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P1|P3"), 0.1);
  EXPECT_DOUBLE_EQ(s.get_specific_average_population_fst("P2|P3"), 0.15);
}

// Replicates, ..., 0 with precision 1: the bounds are their own ranks.
TEST(SummaryBootstrap, PercentileRanks) {
  const std::vector<std::vector<double>> cases = {  // replicates, confidence, lower, upper
      {10000, 0.95, 250, 9750}, {1000, 0.95, 25, 975}, {100, 0.95, 2, 97}, {10, 0.95, 0, 9},
      {10, 0.0, 5, 5},          {101, 0.0, 50, 50},    {10, 1.0, 0, 9},    {1, 0.95, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c[0]) + " " + std::to_string(c[1]));
    Summary s = summaryOf({}, static_cast<unsigned int>(c[0]), 1, c[1]);
    std::vector<double> v;
    for (double i = c[0]; i > 0; --i) v.push_back(i - 1);
    expectInterval(s.get_standard_error(v), c[2], c[3]);
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
  }
}

// Cut toward zero to multiples of 1 / P, however far P × v lies beyond 32 bits; infinities stay
// infinite, and a zero is never -0.
TEST(SummaryBootstrap, Quantisation) {
  struct Case {
    unsigned int precision;
    double value, expected;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<Case> cases = {
      {100, 2.999, 2.99},          {100, -0.129, -0.12},     {100, 0.129, 0.12},
      {1000000, 0.25, 0.25},       {1, -2.7, -2.0},          {100, -0.001, 0.0},
      {1000000, 2147.4836475, 2147.483647}, {1000000, -2147.4836485, -2147.483648},
      {1000000, 1e4, 1e4},         {1000000, -1e4, -1e4},    {4294967295u, 0.5, 2147483647.0 / 4294967295.0},
      {2147483647u, 1.711, 3674344520.0 / 2147483647.0},     {2147483647u, -0.25, -536870911.0 / 2147483647.0},
      {1000000, 1e15, 1e15},       {1000000, 8e12, 8e12},
      {1000000, inf, inf},         {2147483647u, -inf, -inf}, {1000000, NaN, NaN},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("P=" + std::to_string(c.precision) + " v=" + std::to_string(c.value));
    Summary s = summaryOf({}, 1, c.precision);
    std::vector<double> v = {c.value};
    const std::vector<double> got = s.get_standard_error(v);
    expectInterval(got, c.expected, c.expected);
    EXPECT_FALSE(c.expected == 0.0 && std::signbit(got[0]));
  }
}

TEST(SummaryBootstrap, NotANumberLastAndInfinitiesAtTheEnds) {
  const double inf = std::numeric_limits<double>::infinity();
  Summary s = summaryOf({}, 6, 1, 0.95);
  std::vector<double> v = {NaN, 3.0, inf, -inf, NaN, 1.0};
  expectInterval(s.get_standard_error(v), -inf, NaN);
  const std::vector<double> order = {-inf, 1.0, 3.0, inf, NaN, NaN};
  for (std::size_t i = 0; i < v.size(); ++i) EXPECT_TRUE(near(v[i], order[i])) << i;
  Summary wide = summaryOf({}, 4, 1, 0.95);  // beyond 32 bits infinities still rank last and first
  std::vector<double> x = {inf, 3e9, -inf, -3e9};
  expectInterval(wide.get_standard_error(x), -inf, inf);
  EXPECT_EQ(x, (std::vector<double>{-inf, -3e9, 3e9, inf}));
  Summary half = summaryOf({}, 5, 1, 0.5);  // NaN values are never a bound unless the rank reaches them
  std::vector<double> w = {NaN, 2.0, 1.0, 4.0, 3.0}, all(5, NaN);
  expectInterval(half.get_standard_error(w), 2.0, 4.0);
  expectInterval(half.get_standard_error(all), NaN, NaN);
}

TEST(SummaryBootstrap, ResampleIndices) {
  Summary s = summaryOf({});
  ScriptedGenerator g({0.0, 0.24, 0.25, 0.999, 1.0});
  s.set_random_generator(&g);
  std::vector<unsigned int> indices(5, 7);
  s.generate_boot_dataset(indices);
  EXPECT_EQ(indices, (std::vector<unsigned int>{0, 1, 1, 4, 4}));
  EXPECT_EQ(g.count, 5u);
}

TEST(SummaryBootstrap, DrawOrderAndRepeatedContigs) {
  // Three contigs, one replicate per operation: the operations draw, in order, positions
  // (0, 0, 1) for piN/piS, (1, 1, 1) for Fit, (0, 0, 0) for Weir & Cockerham, (0, 0, 1) for dN/dS and NI.
  Summary s = summaryOf({full(100, 0.01, 0.001, 0.1, 1.0, 3.0, 1, 1, 10.0, 10.0, 1, 1, 1, 1),
                         full(300, 0.03, 0.006, 0.5, 2.0, 2.0, 3, 1, 20.0, 10.0, 1, 1, 3, 1),
                         full(100, -1.0, 0.001, 0.1, 1.0, 3.0, 1, 1, 10.0, 10.0, 1, 1, 1, 1)},  // never drawn
                        1);
  ScriptedGenerator g({0.1, 0.2, 0.5, 0.5, 0.5, 0.5, 0.1, 0.1, 0.1, 0.1, 0.2, 0.5, 0.1, 0.2, 0.5});
  s.set_random_generator(&g);
  s.bootstrap_everything(-0.1, -100.0, -900.0, 2.0, 1000);
  EXPECT_EQ(g.count, 5u * 1u * 3u);
  const double piS = (2 * 100 * 0.01 + 300 * 0.03) / 500.0, piN = (2 * 100 * 0.001 + 300 * 0.006) / 500.0;
  expectInterval(s.get_piS_standard_error(), 0.022, 0.022);
  EXPECT_NEAR(s.get_piN_standard_error()[0], piN, 1e-6);
  EXPECT_NEAR(s.get_piNpiS_standard_error()[0], piN / piS, 1e-6);
  expectInterval(s.get_fit_standard_error(), 0.5, 0.5);
  expectInterval(s.get_WC84_fit_standard_error(), 0.25, 0.25);  // 3 / (3 + 9)
  expectInterval(s.get_dN_standard_error(), 0.125, 0.125);      // 5 / 40
  expectInterval(s.get_dS_standard_error(), 0.1, 0.1);          // 3 / 30
  expectInterval(s.get_dNdS_standard_error(), 1.25, 1.25);
  expectInterval(s.get_NI_standard_error(), 0.6, 0.6);          // (3 × 3) / (3 × 5)
  expectInterval(s.get_NI02_standard_error(), 1.0, 1.0);        // (5 × 3) / (3 × 5)
}

TEST(SummaryBootstrap, AlphaIntervalSwapsTheNIBounds) {
  // Nine replicates of contig A twice (NI 0.4), one of contig B twice (NI 0.9).
  Summary s = summaryOf({mk(1, 1, 10.0, 10.0, 2, 5, 2, 5), mk(1, 1, 10.0, 10.0, 9, 10, 9, 10)}, 10);
  std::vector<double> draws(18, 0.2);
  draws.insert(draws.end(), {0.7, 0.7});
  ScriptedGenerator g(draws);
  s.set_random_generator(&g);
  s.bootstrap_NI(1000, 2.0);
  expectInterval(s.get_NI_standard_error(), 0.4, 0.9);
  const std::vector<double> alpha = s.get_alpha_standard_error();
  ASSERT_EQ(alpha.size(), 2u);
  EXPECT_DOUBLE_EQ(alpha[0], 0.1);
  EXPECT_DOUBLE_EQ(alpha[1], 0.6);
}
