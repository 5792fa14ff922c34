// Bootstrap percentile intervals: ranks, quantisation, the order of the draws, worked out by hand.

#include "ReportTestSupport.h"

using namespace reporttest;

namespace {

void expectInterval(const std::vector<double>& got, double lower, double upper) {
  ASSERT_EQ(got.size(), 2u);
  EXPECT_TRUE(near(got[0], lower) && near(got[1], upper)) << got[0] << ", " << got[1] << " instead of " << lower
                                                          << ", " << upper;
}

}  // namespace

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
  struct Case { unsigned int precision; double value, expected; };
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
  s.bootstrap_NI(1000, 2.0);
  expectInterval(s.get_NI_standard_error(), 0.4, 0.9);
  const std::vector<double> alpha = s.get_alpha_standard_error();
  ASSERT_EQ(alpha.size(), 2u);
  EXPECT_DOUBLE_EQ(alpha[0], 0.1);
  EXPECT_DOUBLE_EQ(alpha[1], 0.6);
}
