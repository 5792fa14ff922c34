#include <gtest/gtest.h>

#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>

#include "TestSupport.h"
#include "analysis/AlleleFrequency.h"
#include "analysis/ContigView.h"
#include "analysis/NucleotideRows.h"
#include "analysis/PairedSequenceContainer.h"

namespace {

using testsupport::Alphabets;

// number of alleles, typed, allele codes 1-3 with their occurrences, rank of allele 2, heterozygotes
std::vector<int> counts(const mrv::AlleleFrequency& f) {
  return {f.get_number_of_allele(), f.get_nb_typed(),         f.get_allele_1_code(),      f.get_allele_1_occurence(),
          f.get_allele_2_code(),    f.get_allele_2_occurence(), f.get_allele_3_code(),    f.get_allele_3_occurence(),
          f.get_allele_2_rank(),    f.get_nb_observed_heterozygosity()};
}

// Codon "A?G" with the given middle letter; N gives "NNN" and - the gap codon.
std::string codon(char middle) { return middle == 'N' ? "NNN" : middle == '-' ? "---" : std::string("A") + middle + "G"; }

TEST(AlleleFrequency, CountsOverAllelePairs) {
  Alphabets a;
  const struct {
    std::string pairs;  // two middle letters per individual
    std::vector<int> expected;
  } cases[] = {
      {"AA AC CC", {2, 3, 0, 3, 1, 3, -1, 0, 1, 1}},
      {"AN CC", {1, 1, 1, 2, -1, 0, -1, 0, 0, 0}},  // (A, N) skipped whole
      {"NN NA", {0, 0, -1, 0, -1, 0, -1, 0, 0, 0}},
      {"T- TT", {2, 2, 3, 3, -1, 1, -1, 0, 0, 1}},  // the gap is an allele
      {"AA AA GA", {2, 3, 0, 5, 2, 1, -1, 0, 2, 1}},
      {"AC GT TA", {4, 3, 0, 2, 1, 1, 2, 1, 0, 3}},  // T is a fourth allele: neither stored nor counted
  };
  for (const auto& c : cases) {
    std::vector<std::string> individuals;
    for (size_t i = 0; i < c.pairs.size(); i += 3)
      individuals.push_back("i" + std::to_string(i) + "=CCC" + codon(c.pairs[i]) + "/CCC" + codon(c.pairs[i + 1]));
    auto source = testsupport::makeContainer(a.codon, testsupport::diploids(individuals));
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    mrv::AlleleFrequency f(&pairs, 1, 1, &a.codon, &a.nucleic);
    EXPECT_EQ(counts(f), c.expected) << c.pairs;
    EXPECT_EQ(f.is_bi_allelic(), c.expected[0] == 2) << c.pairs;
  }
}

TEST(AlleleFrequency, CountsOverSequencesAndGCFrequency) {
  Alphabets a;
  const struct {
    std::string middles;  // one letter per sequence
    std::vector<int> expected;
    int gcAbsolute;
    double gcRelative;
  } cases[] = {
      {"AAGTC", {4, 5, 0, 2, 2, 1, 3, 1, 2, 0}, -1, -1.0},  // C is a fourth allele
      {"CCAAA", {2, 5, 1, 2, 0, 3, -1, 0, 2, 0}, 2, 0.4},
      {"AGG", {2, 3, 0, 1, 2, 2, -1, 0, 1, 0}, 2, 2.0 / 3.0},
      {"NTNC", {2, 2, 3, 1, 1, 1, -1, 0, 3, 0}, 1, 0.5},
      {"CGG", {2, 3, 1, 1, 2, 2, -1, 0, 1, 0}, -1, -1.0},  // C/G and A/T positions keep -1, silently
      {"TTA", {2, 3, 3, 2, 0, 1, -1, 0, 2, 0}, -1, -1.0},
      {"-G", {2, 2, -1, 1, 2, 1, -1, 0, 1, 0}, -1, -1.0},
  };
  for (const auto& c : cases) {
    testsupport::Records seqs;
    for (size_t i = 0; i < c.middles.size(); ++i) seqs.push_back({"s" + std::to_string(i), "TTT" + codon(c.middles[i])});
    auto container = testsupport::makeContainer(a.codon, seqs);
    const mrv::ContigView view(*container, &a.codon, &a.nucleic, nullptr, false);
    mrv::AlleleFrequency direct(container.get(), 1, 1, &a.codon, &a.nucleic), decoded(view.nucleotides(), 4);
    for (mrv::AlleleFrequency* f : {&direct, &decoded}) {
      EXPECT_EQ(counts(*f), c.expected) << c.middles;
      EXPECT_EQ(testsupport::coutLines([&] { if (f->is_bi_allelic()) f->determine_GC_frequencies(); }),
                testsupport::Lines());
      EXPECT_EQ(f->get_GC_absolute_frequency(), c.gcAbsolute) << c.middles;
      EXPECT_DOUBLE_EQ(f->get_GC_relative_frequency(), c.gcRelative) << c.middles;
    }
  }
  // a position of three alleles warns, a position past the codon is refused
  auto container = testsupport::makeContainer(a.codon, {{"a", "AAG"}, {"b", "ACG"}, {"c", "AGG"}});
  mrv::AlleleFrequency f(container.get(), 0, 1, &a.codon, &a.nucleic);
  EXPECT_EQ(testsupport::coutLines([&] { f.determine_GC_frequencies(); }),
            testsupport::Lines({"WARNING!!! You are trying to determine GC frequencies on a non bi-allelic position ! "
                                "Frequencies will not be computed.."}));
  EXPECT_EQ(f.get_GC_relative_frequency(), -1.0);
  auto source = testsupport::makeContainer(a.codon, testsupport::diploids({"x=ACG/ACT"}));
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  EXPECT_THROW(mrv::AlleleFrequency(&pairs, 0, 3, &a.codon, &a.nucleic), bpp::BadIntException);
}

// The counts read from rows decoded once per contig equal those read codon by codon, on random
// contigs (gaps, NNN, ambiguity codes, lone and extra allele sequences): over sequences, and over
// pairs (a copy of the codon alphabet makes the pairs count codon by codon).
TEST(AlleleFrequency, DecodedRowsGiveTheCodonReadingOnRandomContigs) {
  Alphabets a;
  const mrv::FrameshiftCodonAlphabet copy(a.codon);
  std::mt19937 rng(2024);
  for (int round = 0; round < 30; ++round) {
    auto c = testsupport::makeContainer(a.codon, testsupport::randomContig(rng, 9, 25));
    mrv::PairedSequenceContainer pairs(c.get(), &a.codon, "|", 3);
    const mrv::ContigView view(*c, &a.codon, &a.nucleic, nullptr, false);
    const mrv::NucleotideRows& rows = view.nucleotides();
    for (size_t p = 0; p < 3 * c->getNumberOfSites(); ++p) {
      const int site = static_cast<int>(p / 3), k = static_cast<int>(p % 3);
      for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i)
        for (unsigned int q = 0; q < 2; ++q)
          ASSERT_EQ(pairs.get_allele_row(i, q)[p], a.codon.getNPosition(pairs.get_pair(i)->valueAt(q, site), k));
      ASSERT_EQ(counts(mrv::AlleleFrequency(rows, p)), counts(mrv::AlleleFrequency(c.get(), site, k, &a.codon, &a.nucleic)));
      ASSERT_EQ(counts(mrv::AlleleFrequency(&pairs, site, k, &a.codon, &a.nucleic)),
                counts(mrv::AlleleFrequency(&pairs, site, k, &copy, &a.nucleic)));
    }
  }
}

}  // namespace
