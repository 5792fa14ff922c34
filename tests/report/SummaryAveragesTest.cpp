// Averages over the contigs and their failure counts, worked out by hand.
#include "ReportTestSupport.h"

using namespace reporttest;
using Contigs = std::vector<SummaryContigValues>;

namespace {

// A contig with only its piN/piS values and weight set.
SummaryContigValues pi(unsigned int weight, double piS, double piN = 0.0) {
  SummaryContigValues v;
  v.number_of_complete_sites = weight, v.piS = piS, v.piN = piN;
  return v;
}

}  // namespace

TEST(SummaryAverages, PiNPiSFitAndWeirCockerham) {
  auto fit = [](unsigned int w, double f, double B, double C) { return full(w, 0, 0, f, B, C, 0, 0, 0, 0, 0, 0, 0, 0); };
  struct Case { const char* what; Contigs contigs; unsigned int failed; double piS, piN; unsigned int length; };
  const std::vector<Case> pis = {
      {"marker -1 left out", {pi(100, 0.01, 0.002), pi(300, 0.03, 0.006), pi(50, -1.0, 0.5)}, 1, 0.025, 0.005, 200},
      {"length truncated", {pi(100, 0.01, 0.001), pi(301, 0.01, 0.001)}, 0, 0.01, 0.001, 200},
      {"threshold itself passes", {pi(10, -0.1, 0.2)}, 0, -0.1, 0.2, 10},
      {"NaN piS passes", {pi(10, 0.1, 0.1), pi(10, NaN, 0.1)}, 0, NaN, 0.1, 10},
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
  struct Case {  // NI, NI02: NaN when not checked
    const char* what; Contigs contigs; double threshold, dN, dS, NI, NI02; unsigned int failed_dNdS, above, failed_NI;
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

// Weighted by the complete sites; values not above -100 (and NaN) left out; nothing left: NaN, or 0
// for a population pair. Pairs are read by their indices.
TEST(SummaryAverages, HeterozygosityAndFst) {
  auto row = [](unsigned int w, std::vector<double> h, std::vector<double> fst) {
    SummaryContigValues v = pi(w, 0.0);
    v.individual_heterozygosity = h, v.population_fst = fst;
    return v;
  };
  Summary s = summaryOf({row(100, {0.1, NaN, -999.0}, {0.5, -999.0, NaN}), row(300, {0.3, -100.0, -999.0}, {0.1, -999.0, 0.2})},
                        10, 1000000, 0.95, "P1;A\nP2;B\nP3;C\n");
  s.compute_average_individual_heterozygosity({"A", "B", "C"}, -100.0);
  s.compute_average_population_fst({"P1|P2", "P1|P3", "P2|P3"}, -100.0);
  EXPECT_DOUBLE_EQ(s.get_specific_average_individual_heterozygosity("A"), (10.0 + 90.0) / 400.0);
  EXPECT_TRUE(std::isnan(s.get_specific_average_individual_heterozygosity("B")));  // NaN and -100 skipped
  EXPECT_TRUE(std::isnan(s.get_specific_average_individual_heterozygosity("C")));  // -999 everywhere
  EXPECT_DOUBLE_EQ(s.get_average_population_fst(0, 1), (50.0 + 30.0) / 400.0);
  EXPECT_EQ(s.get_average_population_fst(0, 2), 0.0);
  EXPECT_DOUBLE_EQ(s.get_average_population_fst(1, 2), 0.2);
  EXPECT_EQ(s.get_specific_average_population_fst("P1|P2"), s.get_average_population_fst(0, 1));  // by key
  EXPECT_EQ(s.get_specific_average_population_fst("P2|P3"), 0.2);
  EXPECT_EQ(s.get_specific_average_population_fst("P2|P1"), 0.0);
}
