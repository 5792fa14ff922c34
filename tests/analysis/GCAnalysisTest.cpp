#include <gtest/gtest.h>

#include <Bpp/Seq/Site.h>

#include "TestSupport.h"
#include "analysis/AlleleFrequencyClasses.h"
#include "analysis/GCAnalysis.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/Population.h"
#include "core/ParametersManagement.h"

namespace {

using testsupport::Alphabets;

// Class bounds as the run builds them for "-gc_bin=n".
std::vector<double> classBounds(unsigned int n) {
  testsupport::TempDir dir;
  const auto options = testsupport::options(
      {"-alignment_file=" + dir.write("a.fas", ">c|Sp|i|1\nATG\n"), "-ingroup=Sp", "-gc_bin=" + std::to_string(n)});
  return setAlleleFrequencyClass(options.get());
}

// Counts bi, tri, quadri and the classes of one codon site given as one codon per sequence. The
// library's road reads each bi-allelic site as a library site (replaceUnresolvedCharInCodonSite,
// numberOfSubstitutions, isSynonymousSite).
std::vector<double> analyse(const Alphabets& a, const std::vector<std::string>& codons, unsigned int classes,
                            mrv::StatisticsEngine::Route route) {
  auto population = testsupport::makePopulation("P;x\n");
  ResultsWarehouse results(population.get(), classes);
  testsupport::Records seqs;
  for (size_t i = 0; i < codons.size(); ++i) seqs.push_back({"s" + std::to_string(i), codons[i]});
  auto container = testsupport::makeContainer(a.codon, seqs);
  mrv::StatisticsEngine engine(a.code, route);
  nonOrientedGCAnalysis(container.get(), classBounds(classes), &results, &a.codon, &a.nucleic, engine);
  EXPECT_EQ(container->valueAt(0, 0), a.codon.charToInt(codons[0]));  // the container is left as it was
  std::vector<double> out = {double(results.get_nb_bi_allelic_SNP()), double(results.get_nb_tri_allelic_SNP()),
                             double(results.get_nb_quadri_allelic_SNP())};
  for (double c : results.get_GC_allele_frequency_classes()) out.push_back(c);
  return out;
}

std::vector<std::string> mix(const std::string& x, size_t nx, const std::string& y, size_t ny) {
  std::vector<std::string> v(nx, x);
  v.insert(v.end(), ny, y);
  return v;
}

TEST(GCAnalysis, SNPCountsAndGCClassesOfSynonymousPositions) {
  Alphabets a;
  // GCN is alanine whatever N: its third position carries one synonymous substitution
  const struct {
    std::vector<std::string> codons;
    unsigned int classes;
    std::vector<double> expected;  // bi, tri, quadri, then the classes
  } cases[] = {
      {mix("GCC", 1, "GCA", 3), 8, {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}},  // f = 0.25: class 1
      {mix("GCC", 1, "GCA", 7), 8, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},  // f = 0.125: class 0
      {mix("GCC", 5, "GCA", 1), 6, {1, 0, 0, 0, 0, 0, 0, 0, 1}},         // 5/6 is above 5 x (1/6)
      {mix("GCG", 3, "GCT", 7), 10, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
      {mix("GCA", 4, "GCC", 6), 10, {1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
      {mix("GCG", 7, "GCT", 3), 10, {1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
      {{"GCA", "GCT", "GCT"}, 8, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},  // A/T: class 0
      {{"GCC", "GCG"}, 8, {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},         // C/G: class 0
      {{"GCA", "ACC"}, 8, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},         // two substitutions
      {{"GCA", "ACA", "ACA"}, 8, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  // non-synonymous
      {{"GCA", "---"}, 8, {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},         // gap codon
      {{"GCA", "GCC", "GCG"}, 8, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {{"GCA", "GCC", "GCG", "GCT"}, 8, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
      // NNN takes the codon of sequence 2, where C is first met; f = 1/3 of the typed sequences
      {{"GCA", "NNN", "GCC", "GCA"}, 8, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}},
      // NNN takes the reference's codon (where the second allele is first met), adding no codon of its
      // own: GCA, GCC synonymous (f = 1/2 of the typed), GCA, ACA not
      {{"GCA", "NNN", "GCC"}, 8, {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
      {{"NNN", "GCA", "ACA"}, 8, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {{"GCA"}, 8, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases)
    for (auto route : {mrv::StatisticsEngine::Route::kOwnArithmetic, mrv::StatisticsEngine::Route::kLibrary})
      EXPECT_EQ(analyse(a, c.codons, c.classes, route), c.expected) << c.codons[0] << c.codons.size();
  // isSynonymousSite replaces NNN in the site it is given: {GCA, NNN, GCC} is read as {GCA, GCC, GCC}.
  bpp::Site site({a.codon.charToInt("GCA"), a.codon.charToInt("NNN"), a.codon.charToInt("GCC")}, &a.codon);
  EXPECT_TRUE(isSynonymousSite(site, 3, &a.codon, &a.code, 2));
  EXPECT_EQ(site[1], a.codon.charToInt("GCC"));
}

}  // namespace
