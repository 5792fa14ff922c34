#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Sequence.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CodonContigSupport.h"
#include "TestSupport.h"
#include "analysis/PopulationDiversification.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"

using analysistest::alphabets;
using analysistest::makeContainer;
using analysistest::Records;
using analysistest::seqName;

namespace {

using Counts = std::vector<std::int64_t>;
using Matrix = std::vector<Counts>;

// The population model read from a file written in a fresh directory.
std::unique_ptr<mrv::Population> populationFrom(const std::string& text) {
  testsupport::TempDir dir;
  return std::unique_ptr<mrv::Population>(new mrv::Population(dir.write("pop.txt", text)));
}

// Every allele of an individual as a record; the same codon text for each allele.
Records individuals(std::initializer_list<std::pair<const char*, std::vector<const char*> > > list) {
  Records r;
  for (const auto& ind : list) {
    int allele = 1;
    for (const char* codons : ind.second) r.emplace_back(seqName(ind.first, allele++), codons);
  }
  return r;
}

struct Reference {
  Counts differenceWithin, totalWithin;
  Matrix differenceBetween, totalBetween;
};

// Direct reading: every ordered pair of sequences of two different individuals, every nucleotide.
Reference pairwiseReference(bpp::PolymorphismSequenceContainer& c, const mrv::Population& pop) {
  const size_t n = pop.get_number_of_population();
  Reference ref{Counts(n, 0), Counts(n, 0), Matrix(n, Counts(n, 0)), Matrix(n, Counts(n, 0))};
  auto individual = [&c](size_t i) {
    const std::string name = c.getName(i);
    const size_t b = name.find('|', name.find('|') + 1);
    return name.substr(b + 1, name.find('|', b + 1) - b - 1);
  };
  const bpp::CodonAlphabet* codon = alphabets().codon;
  const bpp::NucleicAlphabet* nucleic = alphabets().nucleic;
  for (size_t i = 0; i < c.getNumberOfSequences(); ++i) {
    const std::string ind_i = individual(i);
    const int pi = pop.get_population_id(ind_i);
    for (size_t j = 0; j < c.getNumberOfSequences(); ++j) {
      const std::string ind_j = individual(j);
      if (ind_i == ind_j) continue;
      const int pj = pop.get_population_id(ind_j);
      for (size_t s = 0; s < c.getNumberOfSites(); ++s) {
        for (size_t k = 0; k < 3; ++k) {
          const int x = codon->getNPosition(c.valueAt(i, s), k);
          const int y = codon->getNPosition(c.valueAt(j, s), k);
          if (nucleic->isUnresolved(x) || nucleic->isUnresolved(y)) continue;
          const int d = x != y ? 1 : 0;
          if (pi != pj) {
            ref.differenceBetween[pi][pj] += d;
            ref.totalBetween[pi][pj] += 1;
          } else {
            ref.differenceWithin[pi] += d;
            ref.totalWithin[pi] += 1;
          }
        }
      }
    }
  }
  return ref;
}

std::string exceptionText(const std::function<void()>& f) {
  try {
    f();
  } catch (const bpp::Exception& e) {
    return e.what();
  }
  return "(no exception)";
}

const double NA = -999.0;

}  // namespace

// One codon site; the two alleles of an individual are listed for each individual.
TEST(PopulationDiversification, CountersAndFstOfHandWorkedContigs) {
  struct Case {
    const char* label;
    const char* populations;
    Records records;
    Counts differenceWithin, totalWithin;
    Matrix differenceBetween, totalBetween;
    std::vector<std::vector<double> > fst;
    std::map<int, double> within;
  };
  const Case cases[] = {
      {"A/A x2 against C/C x2: Fst 1",
       "P0;i1;i2\nP1;i3;i4\n",
       individuals({{"i1", {"AGC", "AGC"}}, {"i2", {"AGC", "AGC"}}, {"i3", {"CGC", "CGC"}}, {"i4", {"CGC", "CGC"}}}),
       {0, 0}, {24, 24}, {{0, 16}, {16, 0}}, {{0, 48}, {48, 0}}, {{NA, 1.0}, {1.0, NA}}, {{0, 0.0}, {1, 0.0}}},
      {"A/A + C/C against A/A x2: Fst 0",
       "P0;i1;i2\nP1;i3;i4\n",
       individuals({{"i1", {"AGC", "AGC"}}, {"i2", {"CGC", "CGC"}}, {"i3", {"AGC", "AGC"}}, {"i4", {"AGC", "AGC"}}}),
       {8, 0}, {24, 24}, {{0, 8}, {8, 0}}, {{0, 48}, {48, 0}}, {{NA, 0.0}, {0.0, NA}}, {{0, 1.0 / 3.0}, {1, 0.0}}},
      {"one population",
       "All;i1;i2;i3\n",
       individuals({{"i1", {"AGC", "AGC"}}, {"i2", {"CGC", "AGC"}}, {"i3", {"CGC", "CGC"}}}),
       // first position A A | C A | C C: unordered differing pairs i1-i2 2, i1-i3 4, i2-i3 2, in both orders
       {16}, {72}, {{0}}, {{0}}, {{NA}}, {{0, 16.0 / 72.0}}},
      {"two populations of one individual: no within comparison",
       "P0;i1\nP1;i2\n",
       individuals({{"i1", {"AGC", "AGC"}}, {"i2", {"CGC", "CGC"}}}),
       {0, 0}, {0, 0}, {{0, 4}, {4, 0}}, {{0, 12}, {12, 0}}, {{NA, NA}, {NA, NA}}, {}},
      {"identical sequences: Hb 0 keeps -999",
       "P0;i1;i2\nP1;i3;i4\n",
       individuals({{"i1", {"AGC", "AGC"}}, {"i2", {"AGC", "AGC"}}, {"i3", {"AGC", "AGC"}}, {"i4", {"AGC", "AGC"}}}),
       {0, 0}, {24, 24}, {{0, 0}, {0, 0}}, {{0, 48}, {48, 0}}, {{NA, NA}, {NA, NA}}, {{0, 0.0}, {1, 0.0}}},
      {"a gap faces a base: compared and differing; NNN is not compared",
       "P0;i1;i2;i3\n",
       individuals({{"i1", {"AGC", "AGC"}}, {"i2", {"---", "---"}}, {"i3", {"NNN", "NNN"}}}),
       {24}, {24}, {{0}}, {{0}}, {{NA}}, {{0, 1.0}}},
      {"three alleles of one individual are never compared with each other",
       "P0;i1;i2\n",
       individuals({{"i1", {"AGC", "CGC", "GGC"}}, {"i2", {"AGC"}}}),
       {4}, {18}, {{0}}, {{0}}, {{NA}}, {{0, 4.0 / 18.0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto pop = populationFrom(c.populations);
    auto container = makeContainer(c.records);
    mrv::PopulationDiversification d(container.get(), pop.get(), alphabets().codon, alphabets().nucleic);
    EXPECT_EQ(c.differenceWithin, d.get_all_differenceWithin());
    EXPECT_EQ(c.totalWithin, d.get_all_totalWithin());
    EXPECT_EQ(c.differenceBetween, d.get_all_differenceBetween());
    EXPECT_EQ(c.totalBetween, d.get_all_totalBetween());
    d.determine_Fst();
    EXPECT_EQ(c.fst, d.get_all_Fst());
    const auto within = d.get_all_heterozygosityWithinPops();
    ASSERT_EQ(c.within.size(), within.size());
    for (const auto& w : c.within) EXPECT_DOUBLE_EQ(w.second, within.at(w.first)) << "population " << w.first;
  }
}

TEST(PopulationDiversification, HeterozygosityMatricesOfTheFstZeroExample) {
  auto pop = populationFrom("P0;i1;i2\nP1;i3;i4\n");
  auto container = makeContainer(
      individuals({{"i1", {"AGC", "AGC"}}, {"i2", {"CGC", "CGC"}}, {"i3", {"AGC", "AGC"}}, {"i4", {"AGC", "AGC"}}}));
  mrv::PopulationDiversification d(container.get(), pop.get(), alphabets().codon, alphabets().nucleic);
  d.determine_heterozygosities_only();
  EXPECT_DOUBLE_EQ(1.0 / 6.0, d.get_specific_globalHeteroBetween(1, 0));
  EXPECT_DOUBLE_EQ(1.0 / 6.0, d.get_specific_globalHeteroWithin(0, 1));
  EXPECT_EQ(0.0, d.get_specific_globalHeteroWithin(0, 0));
  EXPECT_EQ(NA, d.get_specific_Fst(0, 1));  // heterozygosities only
  EXPECT_THROW(d.get_specific_Fst(0, 2), std::out_of_range);
}

// The counters equal those of the direct pairwise reading on random contigs: several populations,
// individuals with one to three sequences in shuffled order, gaps, NNN and frameshift codons.
TEST(PopulationDiversification, CountersEqualThePairwiseReadingOnRandomContigs) {
  std::mt19937 rng(20130612);
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int trial = 0; trial < 300; ++trial) {
    const int nb_pops = uniform(1, 4);
    const int nb_inds = uniform(1, 9);
    const int nb_sites = uniform(1, 12);
    std::vector<std::string> lines(nb_pops);
    for (int p = 0; p < nb_pops; ++p) lines[p] = "Pop" + std::to_string(p);
    std::vector<std::pair<std::string, int> > seqs;  // individual, allele
    for (int i = 0; i < nb_inds; ++i) {
      const std::string ind = "ind" + std::to_string(i);
      lines[uniform(0, nb_pops - 1)] += ";" + ind;
      const int alleles = uniform(1, 3);
      for (int a = 1; a <= alleles; ++a) seqs.emplace_back(ind, a);
    }
    std::shuffle(seqs.begin(), seqs.end(), rng);
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    auto pop = populationFrom(text);

    // A few codons per site so that positions are shared and polymorphic.
    std::vector<std::vector<int> > site_codons(nb_sites);
    for (auto& choices : site_codons)
      for (int k = 0; k < 3; ++k) choices.push_back(uniform(0, 63));
    bpp::PolymorphismSequenceContainer container(alphabets().codon);
    for (const auto& s : seqs) {
      std::vector<int> codes;
      for (int site = 0; site < nb_sites; ++site) {
        const int r = uniform(0, 19);
        codes.push_back(r == 0 ? -1 : r == 1 ? 65 : r == 2 ? 64 : r == 3 ? uniform(0, 63) : site_codons[site][r % 3]);
      }
      container.addSequenceWithFrequency(bpp::BasicSequence(seqName(s.first, s.second), codes, alphabets().codon), 1,
                                         true);
    }

    SCOPED_TRACE("trial " + std::to_string(trial));
    const Reference ref = pairwiseReference(container, *pop);
    mrv::PopulationDiversification d(&container, pop.get(), alphabets().codon, alphabets().nucleic);
    EXPECT_EQ(ref.differenceWithin, d.get_all_differenceWithin());
    EXPECT_EQ(ref.totalWithin, d.get_all_totalWithin());
    EXPECT_EQ(ref.differenceBetween, d.get_all_differenceBetween());
    EXPECT_EQ(ref.totalBetween, d.get_all_totalBetween());
  }
}

// 1000 sequences of 500 individuals over 720 codons: (1000^2 - 500 x 4) x 3 x 720 = 2,155,680,000
// within comparisons, beyond the signed 32-bit range.
TEST(PopulationDiversification, CountersPassTheSigned32BitRange) {
  std::string line = "All";
  bpp::PolymorphismSequenceContainer container(alphabets().codon);
  for (int i = 0; i < 500; ++i) {
    const std::string ind = "i" + std::to_string(i);
    line += ";" + ind;
    for (int a = 1; a <= 2; ++a) {
      std::vector<int> codes(720, 0);  // AAA
      if (a == 2 && i % 2 == 0) codes[0] = 16;  // CAA at the first site
      container.addSequenceWithFrequency(bpp::BasicSequence(seqName(ind, a), codes, alphabets().codon), 1, false);
    }
  }
  auto pop = populationFrom(line + "\n");
  mrv::PopulationDiversification d(&container, pop.get(), alphabets().codon, alphabets().nucleic);
  EXPECT_EQ(INT64_C(2155680000), d.get_specific_totalWithin(0));
  // Each of the 250 C faces the 749 A of the other individuals, in both orders.
  EXPECT_EQ(INT64_C(374500), d.get_specific_differenceWithin(0));
}

TEST(PopulationDiversification, IndividualInNoPopulationRaisesForTheFirstSequenceInOrder) {
  auto pop = populationFrom("P0;i1;i2\n");
  struct Case {
    const char* label;
    Records records;
    const char* message;
  };
  const Case cases[] = {
      {"single sequence", {{seqName("x1", 1), "AGC"}}, "Individual x1 doesn't belong to any population !"},
      {"after a listed individual",
       {{seqName("i1", 1), "AGC"}, {seqName("x2", 1), "AGC"}, {seqName("x1", 1), "AGC"}},
       "Individual x2 doesn't belong to any population !"},
      {"first in order", {{seqName("x1", 1), "AGC"}, {seqName("x2", 1), "AGC"}},
       "Individual x1 doesn't belong to any population !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto container = makeContainer(c.records);
    EXPECT_EQ(c.message, exceptionText([&] {
                mrv::PopulationDiversification d(container.get(), pop.get(), alphabets().codon, alphabets().nucleic);
              }));
  }
}

TEST(PopulationDiversification, DriverStoresEveryPairInBothOrders) {
  auto pop = populationFrom("A;i1;i2\nB;i3;i4\nC;i5;i6\n");
  auto container = makeContainer(individuals({{"i1", {"AGC", "AGC"}},
                                               {"i2", {"AGC", "AGC"}},
                                               {"i3", {"CGC", "CGC"}},
                                               {"i4", {"CGC", "CGC"}},
                                               {"i5", {"AGC", "AGC"}},
                                               {"i6", {"CGC", "CGC"}}}));
  ResultsWarehouse store(pop.get(), 4);
  populationDiversificationAnalysis(container.get(), pop.get(), alphabets().codon, alphabets().nucleic, &store);
  // A|B: 1; A|C: Hb 8/48, Hw (0 + 8/24) / 2: 0; B|C likewise 0.
  const std::vector<std::vector<double> > expected = {{NA, 1.0, 0.0}, {1.0, NA, 0.0}, {0.0, 0.0, NA}};
  EXPECT_EQ(expected, store.get_all_Fst());

  auto stranger = makeContainer({{seqName("i1", 1), "AGC"}, {seqName("x", 1), "CGC"}});
  ResultsWarehouse untouched(pop.get(), 4);
  EXPECT_THROW(populationDiversificationAnalysis(stranger.get(), pop.get(), alphabets().codon, alphabets().nucleic,
                                                 &untouched),
               bpp::Exception);
  EXPECT_EQ(std::vector<std::vector<double> >(3, std::vector<double>(3, NA)), untouched.get_all_Fst());
}
