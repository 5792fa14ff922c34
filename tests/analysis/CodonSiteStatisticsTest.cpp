// The statistics computed from site codes read once equal, exactly, the library's own functions on
// random contigs shaped like real ones: mostly monomorphic sites, polymorphisms of two to four sense
// codons at any frequency, gap and NNN codons, one to 41 sequences, several transition/transversion
// ratios and minimum frequencies.
#include <gtest/gtest.h>

#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/CodonSiteTools.h>

#include "TestSupport.h"
#include "analysis/CodonSiteStatistics.h"
#include "analysis/StatisticsEngine.h"

TEST(CodonSiteStatistics, EqualTheLibraryOnRandomContigs) {
  testsupport::Alphabets a;
  std::mt19937 rng(777);
  mrv::StatisticsEngine engine(a.code);
  const size_t sizes[] = {1, 2, 3, 4, 7, 20, 41};
  for (int trial = 0; trial < 140; ++trial) {
    const size_t n = sizes[trial % 7];
    auto c = testsupport::makeCodeContainer(a.codon, testsupport::randomCodonRows(rng, n, 1 + trial % 37));
    SCOPED_TRACE("trial " + std::to_string(trial));
    const mrv::CodonColumns columns(*c);
    const mrv::CodonSiteStatistics statistics(columns, engine.tables());
    ASSERT_TRUE(statistics.usable());
    EXPECT_EQ(bpp::PolymorphismSequenceContainerTools::getNumberOfCompleteSites(*c, false), columns.nb_complete_sites());
    for (double kappa : {0.5, 1.0, 2.0, 4.0, 10.0}) {
      EXPECT_EQ(bpp::SequenceStatistics::meanNumberOfSynonymousSites(*c, a.code, kappa),
                statistics.sum_of_mean_synonymous_positions(kappa));
      EXPECT_EQ(bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(*c, a.code, kappa),
                statistics.mean_number_of_non_synonymous_sites(kappa));
    }
    for (double f : {0.0, 0.1, 0.2, 0.5}) {
      EXPECT_EQ(bpp::SequenceStatistics::numberOfSynonymousSubstitutions(*c, a.code, f),
                statistics.number_of_synonymous_substitutions(f));
      EXPECT_EQ(bpp::SequenceStatistics::numberOfNonSynonymousSubstitutions(*c, a.code, f),
                statistics.number_of_non_synonymous_substitutions(f));
    }
    double piS = 0.0, piN = 0.0;
    for (size_t s = 0; s < c->getNumberOfSites(); ++s) {
      if (!columns.is_complete(s)) continue;
      const double libS = bpp::CodonSiteTools::piSynonymous(c->getSite(s), a.code, false);
      const double libN = bpp::CodonSiteTools::piNonSynonymous(c->getSite(s), a.code, false);
      EXPECT_EQ(libS, statistics.pi_synonymous(s));
      EXPECT_EQ(libN, statistics.pi_non_synonymous(s));
      piS += n >= 3 ? libS * n / (n - 1) : libS;
      piN += n >= 3 ? libN * n / (n - 1) : libN;
    }
    const mrv::StatisticsEngine::LibraryInput library = [&c]() -> const bpp::PolymorphismSequenceContainer& { return *c; };
    EXPECT_EQ(piS, engine.pi_sum(columns, library, true));
    EXPECT_EQ(piN, engine.pi_sum(columns, library, false));
  }
}
