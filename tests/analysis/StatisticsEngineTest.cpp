// The library behaviours the results keep or correct, each rule against the library's own value.
// The same rules hold through whole statistics on both roads: PolymorphismTest (rule 1),
// McDonaldKreitmanTest (rule 2), CodonSiteStatisticsTest (rule 3).
#include <gtest/gtest.h>

#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/Site.h>

#include "TestSupport.h"
#include "analysis/StatisticsEngine.h"

TEST(StatisticsEngine, LibraryBehavioursKeptAsRules) {
  testsupport::Alphabets a;
  auto site = [&a](std::initializer_list<const char*> codons) {
    std::vector<int> codes;
    for (const char* c : codons) codes.push_back(a.codon.charToInt(c));
    return bpp::Site(codes, &a.codon);
  };
  // Rule 1: 2 x 3/4 x 1/4 = 0.375 times the integer 4 / 3 = 1; the factor in floating point gives 0.5.
  EXPECT_EQ(0.375, bpp::CodonSiteTools::piSynonymous(site({"CTT", "CTT", "CTT", "CTC"}), a.code, false));
  EXPECT_EQ(0.5, mrv::rescaledPi(0.375, 4));
  EXPECT_EQ(0.75, mrv::rescaledPi(0.75, 2));  // two sequences: the library's factor 2 is exact
  // Rule 2: ingroup {AAA, AAC} against outgroup AGC: the library's synonymous count goes below zero.
  const std::vector<size_t> v = bpp::CodonSiteTools::fixedDifferences(
      site({"AAA", "AAC"}), site({"AGC", "AGC"}), a.codon.charToInt("AAA"), a.codon.charToInt("AGC"), a.code);
  EXPECT_GT(v[0], 3u);
  EXPECT_EQ(0u, mrv::clampedFixedCount(v[0]));
  EXPECT_EQ(1u, mrv::clampedFixedCount(v[1]));
  // Rule 3: the outgroup site read up to the ingroup's length, its consensus past its own end.
  const int o[] = {7, 9, 9};
  EXPECT_EQ((std::vector<int>{7, 7, 7}), mrv::outgroupSiteAsRead(o, 1, 3, 7));
  EXPECT_EQ((std::vector<int>{7, 9, 9, 9, 9}), mrv::outgroupSiteAsRead(o, 3, 5, 9));
  EXPECT_EQ((std::vector<int>{7, 9, 9}), mrv::outgroupSiteAsRead(o, 3, 2, 9));
}
