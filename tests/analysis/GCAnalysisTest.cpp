#include <gtest/gtest.h>

#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/Site.h>

#include <memory>
#include <string>
#include <vector>

#include "FocalTestData.h"
#include "TestSupport.h"
#include "analysis/AlleleFrequencyClasses.h"
#include "analysis/GCAnalysis.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "run/ParametersManagement.h"

namespace {

using focaltest::Alphabets;
using focaltest::makeContainer;

// Class bounds as the run builds them for "-gc_bin=n".
std::vector<double> classBounds(unsigned int n) {
  testsupport::TempDir dir;
  const std::string alignment = dir.write("a.fas", ">c|Sp|i|1\nATG\n");
  std::vector<std::string> args = {"Selvantrix", "-alignment_file=" + alignment, "-ingroup=Sp",
                                   "-gc_bin=" + std::to_string(n)};
  std::vector<char*> argv;
  for (auto& s : args) argv.push_back(const_cast<char*>(s.c_str()));
  std::vector<double> bounds;
  focaltest::captureStdout([&] {
    ParametersManagement options(3.0, "12-06-2013", static_cast<int>(argv.size()), argv.data());
    bounds = setAlleleFrequencyClass(&options);
  });
  return bounds;
}

struct Store {
  testsupport::TempDir dir;
  std::unique_ptr<mrv::Population> population;
  std::unique_ptr<ResultsWarehouse> results;
  explicit Store(unsigned int classes) {
    const std::string path = dir.write("pop.txt", "P;x;y\n");
    focaltest::captureStdout([&] { population.reset(new mrv::Population(path)); });
    results.reset(new ResultsWarehouse(population.get(), classes));
  }
};

std::vector<focaltest::NamedText> sequences(const std::vector<std::string>& codons) {
  std::vector<focaltest::NamedText> out;
  for (size_t i = 0; i < codons.size(); ++i) out.push_back({"c1|Sp|s" + std::to_string(i) + "|1", codons[i]});
  return out;
}

std::vector<std::string> repeat(const std::string& codon, size_t times) { return std::vector<std::string>(times, codon); }

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(GCAnalysis, SNPCountsAndClasses) {
  Alphabets a;
  const struct {
    const char* what;
    std::vector<std::string> codons;  // one codon per sequence
    unsigned int classes;
    unsigned int bi, tri, quadri;
    std::vector<double> histogram;
  } cases[] = {
      // GCN is alanine whatever its third base: one synonymous substitution at position 3
      {"8 classes, f = 0.25 falls in class 1", join({"GCC"}, repeat("GCA", 3)), 8, 1, 0, 0, {0, 1, 0, 0, 0, 0, 0, 0}},
      {"8 classes, f = 0.125 falls in class 0", join({"GCC"}, repeat("GCA", 7)), 8, 1, 0, 0, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"6 classes, f = 5/6 falls in the sixth class", join(repeat("GCC", 5), {"GCA"}), 6, 1, 0, 0, {0, 0, 0, 0, 0, 1}},
      {"10 classes, f = 0.3", join(repeat("GCG", 3), repeat("GCT", 7)), 10, 1, 0, 0, {0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
      {"10 classes, f = 0.7", join(repeat("GCG", 7), repeat("GCT", 3)), 10, 1, 0, 0, {0, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
      {"10 classes, f = 0.6", join(repeat("GCA", 4), repeat("GCC", 6)), 10, 1, 0, 0, {0, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
      {"synonymous A/T SNP goes to class 0", {"GCA", "GCT", "GCT"}, 8, 1, 0, 0, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"synonymous C/G SNP goes to class 0", {"GCC", "GCG"}, 8, 1, 0, 0, {1, 0, 0, 0, 0, 0, 0, 0}},
      {"two substitutions: bi only", {"GCA", "ACC"}, 8, 2, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"non-synonymous: bi only", {"GCA", "ACA", "ACA"}, 8, 1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"gap codon: bi only", {"GCA", "---"}, 8, 3, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"three nucleotides", {"GCA", "GCC", "GCG"}, 8, 0, 1, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"four nucleotides", {"GCA", "GCC", "GCG", "GCT"}, 8, 0, 0, 1, {0, 0, 0, 0, 0, 0, 0, 0}},
      // the NNN sequence takes the codon of sequence 2 (where C is first met); f = 1/3 of the typed
      {"NNN replaced by the reference codon", {"GCA", "NNN", "GCC", "GCA"}, 8, 1, 0, 0, {0, 0, 1, 0, 0, 0, 0, 0}},
      {"one sequence", {"GCA"}, 8, 0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto container = makeContainer(a, sequences(c.codons));
    Store store(c.classes);
    nonOrientedGCAnalysis(container.get(), classBounds(c.classes), store.results.get(), &a.codon, &a.nucleic, &a.code);
    EXPECT_EQ(store.results->get_nb_bi_allelic_SNP(), c.bi);
    EXPECT_EQ(store.results->get_nb_tri_allelic_SNP(), c.tri);
    EXPECT_EQ(store.results->get_nb_quadri_allelic_SNP(), c.quadri);
    EXPECT_EQ(store.results->get_GC_allele_frequency_classes(), c.histogram);
    EXPECT_EQ(container->valueAt(1 % container->getNumberOfSequences(), 0),
              a.codon.charToInt(c.codons[1 % c.codons.size()]));  // the container is not changed
  }
}

TEST(GCAnalysis, UnresolvedCodonsTakeTheReferenceCodon) {
  Alphabets a;
  const int nnn = a.codon.charToInt("NNN"), gca = a.codon.charToInt("GCA"), aca = a.codon.charToInt("ACA");
  bpp::Site site(std::vector<int>{nnn, gca, nnn, nnn}, &a.codon);
  replaceUnresolvedCharInCodonSite(site, &a.codon, 3, 1);  // the last entry is beyond the count
  EXPECT_EQ(site.getValue(0), gca);
  EXPECT_EQ(site.getValue(2), gca);
  EXPECT_EQ(site.getValue(3), nnn);

  bpp::Site beyond(std::vector<int>{nnn, gca}, &a.codon);
  EXPECT_THROW(replaceUnresolvedCharInCodonSite(beyond, &a.codon, 3, 1), bpp::IndexOutOfBoundsException);
  EXPECT_EQ(beyond.getValue(0), nnn);  // refused before any change
  EXPECT_THROW(replaceUnresolvedCharInCodonSite(beyond, &a.codon, 2, 5), bpp::IndexOutOfBoundsException);

  bpp::Site synonymous(std::vector<int>{gca, nnn, a.codon.charToInt("GCC")}, &a.codon);
  EXPECT_TRUE(isSynonymousSite(synonymous, 3, &a.codon, &a.code, 2));
  EXPECT_EQ(synonymous.getValue(1), a.codon.charToInt("GCC"));
  bpp::Site nonSynonymous(std::vector<int>{gca, nnn, aca}, &a.codon);
  EXPECT_FALSE(isSynonymousSite(nonSynonymous, 3, &a.codon, &a.code, 0));
}

// Straightforward reading of the SNP counts and classes: every nucleotide through getNPosition.
void referenceGC(const Alphabets& a, bpp::PolymorphismSequenceContainer& c, const std::vector<double>& bounds,
                 unsigned int& bi, unsigned int& tri, unsigned int& quadri, std::vector<double>& histogram) {
  bi = tri = quadri = 0;
  histogram.assign(bounds.size(), 0.0);
  const size_t n = c.getNumberOfSequences();
  for (size_t s = 0; s < c.getNumberOfSites(); ++s)
    for (size_t k = 0; k < 3; ++k) {
      std::vector<int> alleles, counts;
      int typed = 0, rank = 0;
      for (size_t i = 0; i < n; ++i) {
        const int x = a.codon.getNPosition(c.valueAt(i, s), k);
        if (a.nucleic.isUnresolved(x)) continue;
        ++typed;
        const auto found = std::find(alleles.begin(), alleles.end(), x);
        if (found != alleles.end()) {
          if (found - alleles.begin() < 3) ++counts[found - alleles.begin()];
        } else {
          if (alleles.size() == 1) rank = static_cast<int>(i);
          alleles.push_back(x);
          counts.push_back(1);
        }
      }
      if (alleles.size() == 3) ++tri;
      if (alleles.size() >= 4) ++quadri;
      if (alleles.size() != 2) continue;
      ++bi;
      bpp::Site site(c.getSite(s));
      for (size_t i = 0; i < n; ++i)
        if (site[i] == 65) site[i] = site[rank];
      if (bpp::CodonSiteTools::numberOfSubstitutions(site, a.code, 0.0) != 1) continue;
      if (bpp::CodonSiteTools::numberOfNonSynonymousSubstitutions(site, a.code, 0.0) != 0) continue;
      double f = -1.0;
      const bool gc0 = alleles[0] == 1 || alleles[0] == 2, gc1 = alleles[1] == 1 || alleles[1] == 2;
      const bool at0 = alleles[0] == 0 || alleles[0] == 3, at1 = alleles[1] == 0 || alleles[1] == 3;
      if (gc0 && at1) f = static_cast<double>(counts[0]) / typed;
      if (at0 && gc1) f = static_cast<double>(counts[1]) / typed;
      for (size_t b = 0; b < bounds.size(); ++b)
        if (bounds[b] >= f) {
          histogram[b] += 1.0;
          break;
        }
    }
}

TEST(GCAnalysis, SameAsTheDirectReadingOnRandomContigs) {
  Alphabets a;
  std::mt19937 rng(17);
  const std::vector<double> bounds = classBounds(8);
  for (int round = 0; round < 25; ++round) {
    auto seqs = focaltest::randomContig(rng, 8, 40);
    // as cleaned contigs: no stop and no frameshift codon left
    for (auto& s : seqs)
      for (size_t i = 0; i + 3 <= s.second.size(); i += 3) {
        const std::string codon = s.second.substr(i, 3);
        if (codon == "TAA" || codon == "TAG" || codon == "TGA" || codon.find('!') != std::string::npos)
          s.second.replace(i, 3, "NNN");
      }
    auto container = makeContainer(a, seqs);
    Store store(8);
    nonOrientedGCAnalysis(container.get(), bounds, store.results.get(), &a.codon, &a.nucleic, &a.code);
    unsigned int bi, tri, quadri;
    std::vector<double> histogram;
    referenceGC(a, *container, bounds, bi, tri, quadri, histogram);
    EXPECT_EQ(store.results->get_nb_bi_allelic_SNP(), bi);
    EXPECT_EQ(store.results->get_nb_tri_allelic_SNP(), tri);
    EXPECT_EQ(store.results->get_nb_quadri_allelic_SNP(), quadri);
    EXPECT_EQ(store.results->get_GC_allele_frequency_classes(), histogram);
  }
}

}  // namespace
