#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SummaryTestSupport.h"

using namespace summarytest;
using Contigs = std::vector<SummaryContigValues>;

TEST(SummaryAverages, PiNPiS) {
  struct Case {
    const char* what;
    Contigs contigs;
    unsigned int failed;
    double piS, piN;
    unsigned int length;
  };
  const std::vector<Case> cases = {
      {"marker -1 left out", {pi(100, 0.01, 0.002), pi(300, 0.03, 0.006), pi(50, -1.0, 0.5)}, 1, 0.025, 0.005, 200},
      {"length truncated", {pi(100, 0.01, 0.001), pi(301, 0.01, 0.001)}, 0, 0.01, 0.001, 200},
      {"threshold itself passes", {pi(10, -0.1, 0.2)}, 0, -0.1, 0.2, 10},
      {"NaN piS passes", {pi(10, 0.1, 0.1), pi(10, NaN, 0.1)}, 0, NaN, 0.1, 10},
      {"piN is not tested", {pi(10, 0.1, -1.0)}, 0, 0.1, -1.0, 10},
      {"every contig fails", {pi(10, -1.0), pi(20, -1.0)}, 2, NaN, NaN, 0},
      {"no contig", {}, 0, NaN, NaN, 0},
  };
  for (const Case& c : cases) {
    Summary s = summaryOf(c.contigs);
    s.compute_average_piNpiS(-0.1);
    EXPECT_EQ(s.get_failed_piNpiS(), c.failed) << c.what;
    EXPECT_TRUE(same(s.get_average_piS(), c.piS) || std::abs(s.get_average_piS() - c.piS) < 1e-15) << c.what;
    EXPECT_TRUE(same(s.get_average_piN(), c.piN) || std::abs(s.get_average_piN() - c.piN) < 1e-15) << c.what;
    EXPECT_TRUE(same(s.get_average_piNpiS(), s.get_average_piN() / s.get_average_piS())) << c.what;
    EXPECT_EQ(s.get_average_contig_length_piNpiS(), c.length) << c.what;
  }
}

TEST(SummaryAverages, FitAndWeirCockerham) {
  auto fit = [](unsigned int w, double f, double B, double C) { return full(w, 0, 0, f, B, C, 0, 0, 0, 0, 0, 0, 0, 0); };
  struct Case {
    const char* what;
    Contigs contigs;
    double fit;
    unsigned int failed_fit;
    double wc;
    unsigned int failed_wc;
  };
  const std::vector<Case> cases = {
      {"weighted, -100 used, -999 left out",
       {fit(100, 0.2, 0.2, 0.8), fit(300, -100.0, 0.1, 0.9), fit(50, -999.0, -999.0, 0.5)},
       (20.0 - 30000.0) / 400.0, 1, 0.3 / 2.0, 1},
      {"NaN passes and spreads", {fit(100, 0.2, 0.5, 0.5), fit(10, NaN, NaN, 0.5)}, NaN, 0, NaN, 0},
      {"-900 passes, C below fails", {fit(10, 0.5, -900.0, 1000.0), fit(10, 0.5, 1.0, -901.0)}, 0.5, 0, -9.0, 1},
      {"no contig", {}, NaN, 0, NaN, 0},
  };
  for (const Case& c : cases) {
    Summary s = summaryOf(c.contigs);
    s.compute_average_fit(-100.0);
    s.compute_average_WC84_fit(-900.0);
    EXPECT_TRUE(same(s.get_average_fit(), c.fit) || std::abs(s.get_average_fit() - c.fit) < 1e-12) << c.what;
    EXPECT_EQ(s.get_failed_fit(), c.failed_fit) << c.what;
    EXPECT_TRUE(same(s.get_average_WC84_fit(), c.wc) || std::abs(s.get_average_WC84_fit() - c.wc) < 1e-12)
        << c.what;
    EXPECT_EQ(s.get_failed_WC84_fit(), c.failed_wc) << c.what;
  }
}

TEST(SummaryAverages, DivergenceAndNeutralityIndex) {
  Contigs fifty(50, mk(1000, 1000, 5000.0, 5000.0, 1000, 1000, 1000, 500));
  Contigs eight;
  for (int fixS : {9, 10, 10, 11, 11, 12, 13, 500}) eight.push_back(mk(5, fixS, 200.0, 100.0, 4, 8));
  struct Case {
    const char* what;
    Contigs contigs;
    double threshold;  // NaN: expected NaN
    double dN, dS, NI, NI02;
    unsigned int failed_dNdS, above, failed_NI;
  };
  const std::vector<Case> cases = {
      {"four contigs: nothing dropped",
       {mk(1, 10, 100.0, 100.0, 1, 1), mk(1, 20, 100.0, 100.0, 1, 1), mk(1, 30, 100.0, 100.0, 1, 1),
        mk(1, 1000, 100.0, 100.0, 1, 1)},
       10.0513, 4.0 / 400.0, 1060.0 / 400.0, (4.0 * 1060.0) / (4.0 * 4.0), NaN, 0, 0, 0},
      {"eight contigs: the 5.0 contig dropped", eight, 3.5689, 35.0 / 1400.0, 76.0 / 700.0,
       (28.0 * 76.0) / (56.0 * 35.0), NaN, 1, 1, 1},
      {"one contig: NaN threshold, still used", {mk(3, 900, 10.0, 10.0, 2, 6)}, NaN, 0.3, 90.0, (2.0 * 900.0) / (6.0 * 3.0),
       NaN, 0, 0, 0},
      {"no outgroup: dS (-1)/(-1) = 1", {mk(-1, -1, -1.0, -1.0, -1, -1, -1, -1), mk(-1, -1, -1.0, -1.0, -1, -1, -1, -1)},
       1.0, 1.0, 1.0, 1.0, 1.0, 0, 0, 0},
      {"fixN 1001 fails both counts, not the threshold",
       {mk(1001, 10, 100.0, 100.0, 1, 1), mk(2, 10, 100.0, 100.0, 3, 4)}, 0.1, 0.02, 0.1, (3.0 * 10.0) / (4.0 * 2.0), NaN,
       1, 0, 1},
      {"polymS_0 1001 fails NI only, 0.2 counts untested",
       {mk(2, 10, 100.0, 100.0, 1, 1001, 5000, 5000), mk(2, 10, 100.0, 100.0, 3, 4, 1, 2)}, 0.1, 0.02, 0.1,
       (3.0 * 10.0) / (4.0 * 2.0), (1.0 * 10.0) / (2.0 * 2.0), 0, 0, 1},
      {"sites truncated toward zero", {mk(41, 30, 123.9, 100.7, 1, 1)}, NaN, 41.0 / 123.0, 0.3, 30.0 / 41.0, NaN, 0, 0, 0},
      {"50,000 in every cell: exact products", fifty, 0.2, 0.2, 0.2, 1.0, 2.0, 0, 0, 0},
      {"no contig", {}, NaN, NaN, NaN, NaN, NaN, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Summary s = summaryOf(c.contigs);
    s.compute_average_dNdS(1000, 2.0);
    s.compute_average_NI(1000, 2.0);
    auto near = [](double got, double want, double tolerance) {
      return same(got, want) || std::abs(got - want) <= tolerance;
    };
    EXPECT_TRUE(near(s.get_dS_threshold(), c.threshold, 1e-4)) << c.what << " threshold " << s.get_dS_threshold();
    EXPECT_TRUE(near(s.get_average_dN(), c.dN, 1e-12)) << c.what << " dN " << s.get_average_dN();
    EXPECT_TRUE(near(s.get_average_dS(), c.dS, 1e-12)) << c.what << " dS " << s.get_average_dS();
    EXPECT_TRUE(same(s.get_average_dNdS(), s.get_average_dN() / s.get_average_dS())) << c.what;
    if (!std::isnan(c.NI)) EXPECT_TRUE(near(s.get_NI(), c.NI, 1e-12)) << c.what << " NI " << s.get_NI();
    if (!std::isnan(c.NI02)) EXPECT_TRUE(near(s.get_NI02(), c.NI02, 1e-12)) << c.what << " NI02 " << s.get_NI02();
    EXPECT_TRUE(same(s.get_alpha(), 1.0 - s.get_NI())) << c.what;
    EXPECT_EQ(s.get_failed_dNdS(), c.failed_dNdS) << c.what;
    EXPECT_EQ(s.get_contig_above_threshold(), c.above) << c.what;
    EXPECT_EQ(s.get_failed_NI(), c.failed_NI) << c.what;
  }
}

TEST(SummaryAverages, DSThresholdLeavesOutContigsWithoutDS) {
  // fixS = nS = 0 gives no dS: the threshold is that of the four other contigs, and the contig
  // itself passes the dS test while adding nothing to the sums.
  Summary s = summaryOf({mk(1, 10, 100.0, 100.0), mk(1, 0, 0.0, 0.0), mk(1, 20, 100.0, 100.0),
                         mk(1, 30, 100.0, 100.0), mk(1, 1000, 100.0, 100.0)});
  s.compute_average_dNdS(1000, 2.0);
  EXPECT_NEAR(s.get_dS_threshold(), 10.0513, 1e-4);
  EXPECT_EQ(s.get_failed_dNdS(), 0u);
  EXPECT_DOUBLE_EQ(s.get_average_dS(), 1060.0 / 400.0);

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
    v.individual_heterozygosity = h;
    v.population_fst = fst;
    return v;
  };
  const std::vector<std::string> individuals = {"A", "B", "C"};
  const std::vector<std::string> couples = {"P1|P2", "P1|P3", "P2|P3"};
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
