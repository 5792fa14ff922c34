#pragma once
// Contigs for the per-individual statistics: alphabets, containers from codon text, random contigs.
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <memory>
#include <random>
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

using Named = std::vector<std::pair<std::string, std::string>>;  // name, codon text

inline std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(const Alphabets& a, const Named& seqs) {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> c(new bpp::PolymorphismSequenceContainer(&a.codon));
  for (const auto& s : seqs) {
    std::vector<int> codes;
    for (size_t i = 0; i + 3 <= s.second.size(); i += 3) codes.push_back(a.codon.charToInt(s.second.substr(i, 3)));
    c->addSequenceWithFrequency(bpp::BasicSequence(s.first, codes, &a.codon), 1, true);
  }
  return c;
}

// Individuals "NAME=allele1/allele2", named c1|Sp|NAME|allele_1 and _2.
inline Named diploids(const std::vector<std::string>& individuals) {
  Named out;
  for (const std::string& ind : individuals) {
    const size_t eq = ind.find('='), slash = ind.find('/');
    const std::string name = "c1|Sp|" + ind.substr(0, eq) + "|allele_";
    out.push_back({name + "1", ind.substr(eq + 1, slash - eq - 1)});
    out.push_back({name + "2", ind.substr(slash + 1)});
  }
  return out;
}

// Individuals i0, i1, ... with 2 allele sequences (sometimes 1 or 3), drawn from 4 haplotypes of one
// random gene carrying point changes, gap codons, "NNN", frameshift and ambiguous words; stop and
// frameshift codons are made "NNN" when `cleaned`.
inline Named randomContig(std::mt19937& rng, size_t individuals, size_t codons, bool cleaned = false) {
  static const std::vector<std::string> odd = {"---", "NNN", "!!!", "A!G", "ARG", "nnn", "A-G", "*CG", "-TT", "WSK"};
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::uniform_int_distribution<int> base(0, 3), hap(0, 3), pick(0, static_cast<int>(odd.size()) - 1);
  std::string gene;
  for (size_t i = 0; i < 3 * codons; ++i) gene += "ACGT"[base(rng)];
  std::vector<std::string> haplotypes(4, gene);
  for (auto& h : haplotypes)
    for (size_t s = 0; s < codons; ++s) {
      const double r = u(rng);
      if (r < 0.05) h.replace(3 * s, 3, odd[pick(rng)]);
      else if (r < 0.25) h[3 * s + base(rng) % 3] = "ACGT"[base(rng)];
    }
  Named out;
  for (size_t i = 0; i < individuals; ++i) {
    const double r = u(rng);
    for (int a = 1; a <= (r < 0.1 ? 1 : r < 0.2 ? 3 : 2); ++a) {
      std::string text = haplotypes[hap(rng)];
      for (size_t s = 0; cleaned && s < codons; ++s) {
        const std::string w = text.substr(3 * s, 3);
        if (w == "TAA" || w == "TAG" || w == "TGA" || w.find('!') != std::string::npos) text.replace(3 * s, 3, "NNN");
      }
      out.push_back({"c1|Sp|i" + std::to_string(i) + "|allele_" + std::to_string(a), text});
    }
  }
  return out;
}

}  // namespace focaltest
