#include <gtest/gtest.h>

#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>

#include <string>
#include <vector>

#include "FocalTestData.h"
#include "analysis/AlleleFrequency.h"
#include "analysis/NucleotideRows.h"
#include "analysis/PairedSequenceContainer.h"

namespace {

using focaltest::Alphabets;
using focaltest::makeContainer;

const int A = 0, C = 1, G = 2, T = 3, GAP = -1;

struct Expected {
  int alleles, typed, code1, occ1, code2, occ2, code3, occ3, rank, het;
  bool bi;
};

void expectCounts(const mrv::AlleleFrequency& f, const Expected& e) {
  EXPECT_EQ(f.get_number_of_allele(), e.alleles);
  EXPECT_EQ(f.get_nb_typed(), e.typed);
  EXPECT_EQ(f.get_allele_1_code(), e.code1);
  EXPECT_EQ(f.get_allele_1_occurence(), e.occ1);
  EXPECT_EQ(f.get_allele_2_code(), e.code2);
  EXPECT_EQ(f.get_allele_2_occurence(), e.occ2);
  EXPECT_EQ(f.get_allele_3_code(), e.code3);
  EXPECT_EQ(f.get_allele_3_occurence(), e.occ3);
  EXPECT_EQ(f.get_allele_2_rank(), e.rank);
  EXPECT_EQ(f.get_nb_observed_heterozygosity(), e.het);
  EXPECT_EQ(f.is_bi_allelic(), e.bi);
}

// Codons whose middle nucleotide is the given letter ("N" gives the unresolved codon).
std::string codonWithMiddle(char middle) {
  if (middle == 'N') return "NNN";
  if (middle == '-') return "---";
  return std::string("A") + middle + "G";
}

TEST(AlleleFrequency, CountsOverAllelePairs) {
  Alphabets a;
  struct Case {
    const char* what;
    std::vector<std::pair<char, char>> pairs;  // middle nucleotides of the two alleles
    Expected e;
  };
  const std::vector<Case> cases = {
      {"(A,A) (A,C) (C,C)", {{'A', 'A'}, {'A', 'C'}, {'C', 'C'}}, {2, 3, A, 3, C, 3, -1, 0, 1, 1, true}},
      {"(A,N) skipped whole", {{'A', 'N'}, {'C', 'C'}}, {1, 1, C, 2, -1, 0, -1, 0, 0, 0, false}},
      {"nothing resolved", {{'N', 'N'}, {'N', 'A'}}, {0, 0, -1, 0, -1, 0, -1, 0, 0, 0, false}},
      {"monomorphic", {{'G', 'G'}, {'G', 'G'}}, {1, 2, G, 4, -1, 0, -1, 0, 0, 0, false}},
      {"gap is an allele", {{'T', '-'}, {'T', 'T'}}, {2, 2, T, 3, GAP, 1, -1, 0, 0, 1, true}},
      {"second allele first met in pair 2", {{'A', 'A'}, {'A', 'A'}, {'G', 'A'}}, {2, 3, A, 5, G, 1, -1, 0, 2, 1, true}},
      {"three alleles", {{'A', 'C'}, {'G', 'A'}}, {3, 2, A, 2, C, 1, G, 1, 0, 2, false}},
      {"fourth allele neither stored nor counted", {{'A', 'C'}, {'G', 'T'}, {'T', 'A'}},
       {4, 3, A, 2, C, 1, G, 1, 0, 3, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::pair<std::string, std::pair<std::string, std::string>>> inds;
    for (size_t i = 0; i < c.pairs.size(); ++i)
      inds.push_back({"i" + std::to_string(i),
                      {"CCC" + codonWithMiddle(c.pairs[i].first), "CCC" + codonWithMiddle(c.pairs[i].second)}});
    auto source = makeContainer(a, focaltest::diploids(inds));
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    expectCounts(mrv::AlleleFrequency(&pairs, 1, 1, &a.codon, &a.nucleic), c.e);
  }
}

TEST(AlleleFrequency, CountsOverSequencesAndGCFrequency) {
  Alphabets a;
  struct Case {
    const char* what;
    std::string middles;  // middle nucleotide of each sequence
    Expected e;
    int gcAbsolute;
    double gcRelative;
  };
  const std::vector<Case> cases = {
      {"A,A,G,T,C: C is a fourth allele", "AAGTC", {4, 5, A, 2, G, 1, T, 1, 2, 0, false}, -1, -1.0},
      {"C,C,A,A,A", "CCAAA", {2, 5, C, 2, A, 3, -1, 0, 2, 0, true}, 2, 0.4},
      {"A,G,G", "AGG", {2, 3, A, 1, G, 2, -1, 0, 1, 0, true}, 2, 2.0 / 3.0},
      {"N skipped", "NTNC", {2, 2, T, 1, C, 1, -1, 0, 3, 0, true}, 1, 0.5},
      {"C/G keeps -1", "CGG", {2, 3, C, 1, G, 2, -1, 0, 1, 0, true}, -1, -1.0},
      {"A/T keeps -1", "TTA", {2, 3, T, 2, A, 1, -1, 0, 2, 0, true}, -1, -1.0},
      {"gap against G keeps -1", "-G", {2, 2, GAP, 1, G, 1, -1, 0, 1, 0, true}, -1, -1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<focaltest::NamedText> seqs;
    for (size_t i = 0; i < c.middles.size(); ++i)
      seqs.push_back({"c1|Sp|s" + std::to_string(i) + "|1", "TTT" + codonWithMiddle(c.middles[i])});
    auto container = makeContainer(a, seqs);
    const mrv::NucleotideRows rows(*container, &a.codon, &a.nucleic);
    mrv::AlleleFrequency direct(container.get(), 1, 1, &a.codon, &a.nucleic);
    mrv::AlleleFrequency decoded(rows, 4);
    for (mrv::AlleleFrequency* f : {&direct, &decoded}) {
      expectCounts(*f, c.e);
      std::string out;
      if (c.e.bi) out = focaltest::captureStdout([&] { f->determine_GC_frequencies(); });
      EXPECT_EQ(out, "");
      EXPECT_EQ(f->get_GC_absolute_frequency(), c.gcAbsolute);
      EXPECT_DOUBLE_EQ(f->get_GC_relative_frequency(), c.gcRelative);
    }
  }
}

TEST(AlleleFrequency, GCFrequencyOfANonBiAllelicPositionWarns) {
  Alphabets a;
  auto container = makeContainer(a, {{"c|s|a|1", "AAG"}, {"c|s|b|1", "ACG"}, {"c|s|c|1", "AGG"}});
  mrv::AlleleFrequency f(container.get(), 0, 1, &a.codon, &a.nucleic);
  const std::string out = focaltest::captureStdout([&] { f.determine_GC_frequencies(); });
  EXPECT_EQ(out,
            "WARNING!!! You are trying to determine GC frequencies on a non bi-allelic position ! Frequencies will "
            "not be computed..\n");
  EXPECT_EQ(f.get_GC_absolute_frequency(), -1);
  EXPECT_EQ(f.get_GC_relative_frequency(), -1.0);
}

TEST(AlleleFrequency, PositionOutsideTheCodonRaisesAsTheAlphabetDoes) {
  Alphabets a;
  auto source = makeContainer(a, focaltest::diploids({{"x", {"ACG", "ACT"}}}));
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  EXPECT_THROW(mrv::AlleleFrequency(&pairs, 0, 3, &a.codon, &a.nucleic), bpp::BadIntException);
  EXPECT_THROW(mrv::AlleleFrequency(source.get(), 0, 3, &a.codon, &a.nucleic), bpp::BadIntException);
  EXPECT_THROW(mrv::AlleleFrequency(&pairs, 1, 0, &a.codon, &a.nucleic), bpp::Exception);  // no site 1
}

}  // namespace
