#pragma once
// Small contigs for the per-individual statistics: alphabets, containers built from codon text,
// random contigs, and reference readings through the alphabets' own getNPosition.
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"

namespace focaltest {

struct Alphabets {
  mrv::CustomNucleicAlphabet nucleic;
  mrv::FrameshiftCodonAlphabet codon{&nucleic};
  bpp::StandardGeneticCode code{&nucleic};
};

using NamedText = std::pair<std::string, std::string>;

// A container of codon sequences; each text is read three letters at a time.
inline std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(const Alphabets& a,
                                                                          const std::vector<NamedText>& sequences) {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> c(new bpp::PolymorphismSequenceContainer(&a.codon));
  for (const NamedText& s : sequences) {
    std::vector<int> codes;
    for (size_t i = 0; i + 3 <= s.second.size(); i += 3) codes.push_back(a.codon.charToInt(s.second.substr(i, 3)));
    bpp::BasicSequence sequence(s.first, codes, &a.codon);
    c->addSequenceWithFrequency(sequence, 1, true);
  }
  return c;
}

// Individuals given as their two allele texts, named "c1|Sp|NAME|allele_1" and "..._2".
inline std::vector<NamedText> diploids(const std::vector<std::pair<std::string, std::pair<std::string, std::string>>>& inds) {
  std::vector<NamedText> out;
  for (const auto& ind : inds) {
    out.push_back({"c1|Sp|" + ind.first + "|allele_1", ind.second.first});
    out.push_back({"c1|Sp|" + ind.first + "|allele_2", ind.second.second});
  }
  return out;
}

// Random codon text of `nbCodons` codons mixing plain codons with gap codons, "NNN", frameshift
// codons, words with ambiguity letters, lower case and partly gapped words.
inline std::string randomCodons(std::mt19937& rng, size_t nbCodons, double oddShare) {
  static const char bases[] = "ACGT";
  static const std::vector<std::string> odd = {"---", "NNN", "!!!", "A!G", "ARG", "YCT", "nnn", "A-G", "*CG",
                                               "GGN", "-TT", "WSK"};
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::uniform_int_distribution<int> base(0, 3);
  std::uniform_int_distribution<size_t> pick(0, odd.size() - 1);
  std::string text;
  for (size_t i = 0; i < nbCodons; ++i) {
    if (u(rng) < oddShare) {
      text += odd[pick(rng)];
    } else {
      for (int k = 0; k < 3; ++k) text += bases[base(rng)];
    }
  }
  return text;
}

// A random contig: `nbIndividuals` diploid individuals, alleles drawn from a few haplotypes so that
// positions are mostly mono- or bi-allelic, with some odd codons and some lone allele sequences.
inline std::vector<NamedText> randomContig(std::mt19937& rng, size_t nbIndividuals, size_t nbCodons) {
  std::vector<std::string> haplotypes;
  const std::string base = randomCodons(rng, nbCodons, 0.0);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int h = 0; h < 4; ++h) {
    std::string hap = base;
    const std::string noise = randomCodons(rng, nbCodons, 0.15);
    for (size_t i = 0; i < hap.size(); ++i)
      if (u(rng) < 0.08) hap[i] = noise[i];
    haplotypes.push_back(hap);
  }
  std::uniform_int_distribution<int> pickHap(0, 3);
  std::vector<NamedText> out;
  for (size_t i = 0; i < nbIndividuals; ++i) {
    const std::string ind = "i" + std::to_string(i);
    const double r = u(rng);
    const int alleles = r < 0.08 ? 1 : (r < 0.14 ? 3 : 2);  // lone and extra allele sequences too
    for (int a = 1; a <= alleles; ++a)
      out.push_back({"c1|Sp|" + ind + "|allele_" + std::to_string(a), haplotypes[pickHap(rng)]});
  }
  return out;
}

// Standard output of `f`, captured.
template <class F>
std::string captureStdout(F f) {
  std::ostringstream captured;
  std::streambuf* old = std::cout.rdbuf(captured.rdbuf());
  try {
    f();
  } catch (...) {
    std::cout.rdbuf(old);
    throw;
  }
  std::cout.rdbuf(old);
  return captured.str();
}

}  // namespace focaltest
