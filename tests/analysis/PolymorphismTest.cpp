#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "TestSupport.h"
#include "analysis/Polymorphism.h"
#include "analysis/StatisticsEngine.h"

using testsupport::paired;
using testsupport::Records;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();

void expectValue(double expected, double actual, const std::string& what) {
  if (std::isnan(expected))
    EXPECT_TRUE(std::isnan(actual)) << what << " = " << actual;
  else
    EXPECT_NEAR(expected, actual, 1e-12) << what;
}

}  // namespace

// Values worked out by hand. Leu CTN and Pro CCN are fourfold at the third position and have no
// synonymous or stop neighbour elsewhere: 1 synonymous and 2 non-synonymous sites each. Asp GAT
// has one synonymous transition (weight kappa / (kappa + 2)); Met ATG has no synonymous site. The
// program's arithmetic and the library give them alike, with the factor n / (n - 1) in floating point.
TEST(Polymorphism, DiversityPerSiteFromHandWorkedContigs) {
  struct Case {
    const char* label;
    Records records;
    unsigned int min_nb_codon;
    double kappa;
    double pi_syn, pi_nonsyn, nS, nN;
    int sequences, complete;
    double piS, piN;
  };
  testsupport::Alphabets a;
  const Case cases[] = {
      // 2 x 3/4 x 1/4 = 0.375, scaled by 4/3 in floating point: 0.5 (not 0.375).
      {"four sequences, synonymous site at 3/4", paired({"CTT", "CTT", "CTT", "CTC"}), 1, 1.0, 0.5, 0.0, 1.0, 2.0, 4, 1,
       0.5, 0.0},
      {"two sequences keep the factor 2", paired({"CTT", "CTC"}), 1, 1.0, 1.0, 0.0, 1.0, 2.0, 2, 1, 1.0, 0.0},
      {"four sequences, non-synonymous site at 1/2", paired({"CTT", "CTT", "CCT", "CCT"}), 1, 1.0, 0.0, 2.0 / 3.0, 1.0,
       2.0, 4, 1, 0.0, 1.0 / 3.0},
      {"three sequences, 1/3 : 2 x 1/3 x 2/3 x 3/2", paired({"CTT", "CTC", "CTC"}), 1, 1.0, 2.0 / 3.0, 0.0, 1.0, 2.0, 3,
       1, 2.0 / 3.0, 0.0},
      {"kappa 2 weighs the transition", paired({"GAT", "GAT"}), 1, 2.0, 0.0, 0.0, 0.5, 2.5, 2, 1, 0.0, 0.0},
      {"kappa 1", paired({"GAT", "GAT"}), 1, 1.0, 0.0, 0.0, 1.0 / 3.0, 8.0 / 3.0, 2, 1, 0.0, 0.0},
      {"no synonymous site: 0/0 kept", paired({"ATG", "ATG"}), 1, 1.0, 0.0, 0.0, 0.0, 3.0, 2, 1, NaN, 0.0},
      // Site 3 has a gap and site 4 an NNN: only sites 1 and 2 count.
      {"threshold met exactly", paired({"CTTCTT---CTT", "CTCCTTCTTNNN"}), 2, 1.0, 1.0, 0.0, 2.0, 4.0, 2, 2, 0.5, 0.0},
      {"one complete site short", paired({"CTTCTT---CTT", "CTCCTTCTTNNN"}), 3, 1.0, 1.0, 0.0, 2.0, 4.0, 2, 2, -1.0, -1.0},
      {"threshold 0 with no complete site", paired({"NNN", "CTT"}), 0, 1.0, 0.0, 0.0, 0.0, 0.0, 2, 0, NaN, NaN},
  };
  for (const Case& c : cases)
    for (auto route : {mrv::StatisticsEngine::Route::kOwnArithmetic, mrv::StatisticsEngine::Route::kLibrary}) {
      SCOPED_TRACE(std::string(c.label) + (route == mrv::StatisticsEngine::Route::kLibrary ? " (library)" : ""));
      mrv::StatisticsEngine engine(a.code, route);
      auto container = testsupport::makeContainer(a.codon, c.records);
      mrv::Polymorphism p(container.get());
      p.determine_all_attributes(engine, c.min_nb_codon, c.kappa);
      expectValue(c.pi_syn, p.get_pi_synonymous(), "pi synonymous");
      expectValue(c.pi_nonsyn, p.get_pi_non_synonymous(), "pi non-synonymous");
      expectValue(c.nS, p.get_mean_synonymous_sites_number(), "nS");
      expectValue(c.nN, p.get_mean_non_synonymous_sites_number(), "nN");
      EXPECT_EQ(c.sequences, p.get_number_of_sequences());
      EXPECT_EQ(c.complete, p.get_number_of_complete_sites());
      expectValue(c.piS, p.get_piS(), "piS");
      expectValue(c.piN, p.get_piN(), "piN");
    }
}
