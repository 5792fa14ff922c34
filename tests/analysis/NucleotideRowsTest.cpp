// The statistics read nucleotides from rows decoded once per contig; here every one of them is
// compared, on random contigs (gaps, NNN, frameshift codons, ambiguity codes, lone and extra allele
// sequences), with a straightforward reading through getNPosition and isUnresolved.
#include <gtest/gtest.h>

#include <Bpp/Seq/CodonSiteTools.h>

#include <algorithm>

#include "TestSupport.h"
#include "analysis/AlleleFrequency.h"
#include "analysis/DistanceBetweenIndividuals.h"
#include "analysis/FocalSpeciesDrivers.h"
#include "analysis/GCAnalysis.h"
#include "analysis/InbreedingCoefficients.h"
#include "analysis/NucleotideRows.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/Population.h"

namespace {

using testsupport::Alphabets;

struct Reference {
  const Alphabets& a;
  int at(bpp::PolymorphismSequenceContainer* c, size_t seq, size_t pos) const {
    return a.codon.getNPosition(c->valueAt(seq, pos / 3), pos % 3);
  }
  bool ok(int n) const { return !a.nucleic.isUnresolved(n); }
  // Distinct alleles in order met with their counts (a fourth one not counted), typed units,
  // heterozygous units, rank of allele 2; units are pairs (of pair containers) or sequences.
  struct Counts {
    std::vector<int> alleles, counts;
    int typed = 0, het = 0, rank = 0;
  };
  Counts count(const std::vector<std::vector<int>>& units) const {
    Counts c;
    for (size_t u = 0; u < units.size(); ++u) {
      if (!std::all_of(units[u].begin(), units[u].end(), [&](int n) { return ok(n); })) continue;
      ++c.typed;
      c.het += units[u].size() == 2 && units[u][0] != units[u][1];
      for (int n : units[u]) {
        const size_t k = std::find(c.alleles.begin(), c.alleles.end(), n) - c.alleles.begin();
        if (k == c.alleles.size()) {
          if (k == 1) c.rank = static_cast<int>(u);
          c.alleles.push_back(n);
          c.counts.push_back(k < 3 ? 1 : 0);
        } else if (k < 3) {
          ++c.counts[k];
        }
      }
    }
    return c;
  }
};

void expectSame(const mrv::AlleleFrequency& f, const Reference::Counts& c) {
  ASSERT_EQ(f.get_number_of_allele(), static_cast<int>(std::min<size_t>(c.alleles.size(), 4)));
  ASSERT_EQ(f.get_nb_typed(), c.typed);
  ASSERT_EQ(f.get_nb_observed_heterozygosity(), c.het);
  for (size_t k = 0; k < std::min<size_t>(c.alleles.size(), 2); ++k) {
    ASSERT_EQ(k == 0 ? f.get_allele_1_code() : f.get_allele_2_code(), c.alleles[k]);
    ASSERT_EQ(k == 0 ? f.get_allele_1_occurence() : f.get_allele_2_occurence(), c.counts[k]);
  }
  if (c.alleles.size() > 1) ASSERT_EQ(f.get_allele_2_rank(), c.rank);
}

TEST(NucleotideRows, StatisticsReadFromDecodedRowsEqualTheDirectReadingOnRandomContigs) {
  Alphabets a;
  const Reference ref{a};
  std::mt19937 rng(2024);
  std::string members = "P";
  for (int i = 0; i < 9; ++i) members += ";i" + std::to_string(i);
  auto population = testsupport::makePopulation(members + "\n");
  std::vector<double> bounds(8);
  for (unsigned int k = 1; k <= 8; ++k) bounds[k - 1] = k * (1.0 / 8);

  mrv::StatisticsEngine engine(a.code);
  for (int round = 0; round < 30; ++round) {
    auto c = testsupport::makeContainer(a.codon, testsupport::randomContig(rng, 9, 25, true));
    mrv::PairedSequenceContainer pairs(c.get(), &a.codon, "|", 3);
    const mrv::NucleotideRows rows(*c, &a.codon, &a.nucleic);
    const size_t positions = 3 * c->getNumberOfSites(), nbPairs = pairs.get_nb_pair();
    ResultsWarehouse results(population.get(), 8);
    SpeciesDataWarehouse record;
    computeFit(&pairs, &a.codon, &a.nucleic, &record, static_cast<unsigned int>(c->getNumberOfSites()), false);
    computeWeirCockerhamFit(&pairs, &a.codon, &a.nucleic, &record, static_cast<unsigned int>(c->getNumberOfSites()),
                            false);
    computeGC3(c.get(), &record, &a.codon, false);
    nonOrientedGCAnalysis(c.get(), bounds, &results, &a.codon, &a.nucleic, engine);

    unsigned int observed = 0, bi = 0, tri = 0, quadri = 0, gc = 0, at = 0;
    double expected = 0.0, termsB = 0.0, termsC = 0.0;
    std::vector<double> classes(8, 0.0);
    for (size_t p = 0; p < positions; ++p) {
      std::vector<std::vector<int>> pairUnits, seqUnits;
      for (unsigned int i = 0; i < nbPairs; ++i) {
        pairUnits.push_back({ref.at(pairs.get_pair(i), 0, p), ref.at(pairs.get_pair(i), 1, p)});
        ASSERT_EQ(pairs.get_allele_row(i, 0)[p], pairUnits.back()[0]);
        ASSERT_EQ(pairs.get_allele_row(i, 1)[p], pairUnits.back()[1]);
      }
      for (size_t s = 0; s < c->getNumberOfSequences(); ++s) seqUnits.push_back({ref.at(c.get(), s, p)});
      const Reference::Counts pc = ref.count(pairUnits), sc = ref.count(seqUnits);
      expectSame(mrv::AlleleFrequency(&pairs, int(p / 3), int(p % 3), &a.codon, &a.nucleic), pc);
      expectSame(mrv::AlleleFrequency(rows, p), sc);
      expectSame(mrv::AlleleFrequency(c.get(), int(p / 3), int(p % 3), &a.codon, &a.nucleic), sc);
      if (pc.alleles.size() == 2) {
        const double f1 = pc.counts[0] / (2.0 * pc.typed), f2 = pc.counts[1] / (2.0 * pc.typed);
        observed += pc.het;
        expected += 2.0 * f1 * f2 * pc.typed;
        const double n = pc.typed, h = pc.het / n;
        if (n > 1) termsB += n / (n - 1) * (f1 * (1 - f1) - (2 * n - 1) / (4 * n) * h);
        if (n > 1) termsC += h / 2;
      }
      if (p % 3 == 2) {
        const int t = seqUnits[0][0];
        gc += t == 1 || t == 2;
        at += t == 0 || t == 3;
      }
      tri += sc.alleles.size() == 3;
      quadri += sc.alleles.size() >= 4;
      if (sc.alleles.size() != 2) continue;
      ++bi;
      bpp::Site site(c->getSite(p / 3));
      for (size_t s = 0; s < site.size(); ++s)
        if (site[s] == 65) site[s] = site[sc.rank];
      if (bpp::CodonSiteTools::numberOfSubstitutions(site, a.code, 0.0) != 1 ||
          bpp::CodonSiteTools::numberOfNonSynonymousSubstitutions(site, a.code, 0.0) != 0)
        continue;
      double f = -1.0;
      auto isGC = [](int n) { return n == 1 || n == 2; };
      auto isAT = [](int n) { return n == 0 || n == 3; };
      if (isGC(sc.alleles[0]) && isAT(sc.alleles[1])) f = double(sc.counts[0]) / sc.typed;
      if (isAT(sc.alleles[0]) && isGC(sc.alleles[1])) f = double(sc.counts[1]) / sc.typed;
      classes[std::find_if(bounds.begin(), bounds.end(), [&](double b) { return b >= f; }) - bounds.begin()] += 1.0;
    }
    EXPECT_EQ(results.get_nb_bi_allelic_SNP(), bi);
    EXPECT_EQ(results.get_nb_tri_allelic_SNP(), tri);
    EXPECT_EQ(results.get_nb_quadri_allelic_SNP(), quadri);
    EXPECT_EQ(results.get_GC_allele_frequency_classes(), classes);
    EXPECT_EQ(record.get_GC3(), double(gc) / (gc + at));
    if (expected != 0.0) EXPECT_DOUBLE_EQ(record.get_Fit(), 1.0 - observed / expected);
    if (termsB + termsC != 0.0) EXPECT_NEAR(record.get_WC84_Fit(), termsB / (termsB + termsC), 1e-12);
    if (termsB + termsC != 0.0) EXPECT_NEAR(record.get_WC84_total_B(), termsB, 1e-12);
    // Distances: a quarter of the differing allele pairs over the positions resolved in all four.
    for (unsigned int i = 0; i < nbPairs; ++i)
      for (unsigned int j = 0; j < nbPairs; ++j) {
        int n = 0, differing = 0;
        for (size_t p = 0; p < positions; ++p) {
          const int x[2] = {ref.at(pairs.get_pair(i), 0, p), ref.at(pairs.get_pair(i), 1, p)};
          const int y[2] = {ref.at(pairs.get_pair(j), 0, p), ref.at(pairs.get_pair(j), 1, p)};
          if (!ref.ok(x[0]) || !ref.ok(x[1]) || !ref.ok(y[0]) || !ref.ok(y[1])) continue;
          ++n;
          for (int u : x)
            for (int v : y) differing += u != v;
        }
        mrv::DistanceBetweenIndividuals d(&pairs, i, j);
        d.computeDistanceWithPair(&pairs, i, j, &a.codon, &a.nucleic, false);
        ASSERT_EQ(d.get_nb_resolved_positions(), n);
        ASSERT_EQ(d.get_distance(), n ? 0.25 * differing / n : -1.0);
      }

  }
}

}  // namespace
