#pragma once
// The run's alphabets and genetic code, built once, and codon containers built from text.
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"

namespace analysistest {

struct Alphabets {
  mrv::CustomNucleicAlphabet nucleic_alphabet;
  mrv::FrameshiftCodonAlphabet codon_alphabet{&nucleic_alphabet};
  bpp::StandardGeneticCode genetic_code{&nucleic_alphabet};
  const bpp::NucleicAlphabet* nucleic = &nucleic_alphabet;
  const bpp::CodonAlphabet* codon = &codon_alphabet;
  bpp::StandardGeneticCode* code = &genetic_code;
};

inline const Alphabets& alphabets() {
  static Alphabets instance;
  return instance;
}

using Records = std::vector<std::pair<std::string, std::string> >;

inline std::string seqName(const std::string& individual, int allele) {
  return "Contig1|Sp|" + individual + "|" + std::to_string(allele);
}

// Sequences with count 1, ingroup, group 0.
inline std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(const Records& records) {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> c(new bpp::PolymorphismSequenceContainer(alphabets().codon));
  for (const auto& r : records)
    c->addSequenceWithFrequency(bpp::BasicSequence(r.first, r.second, alphabets().codon), 1, true);
  return c;
}

// Individuals ind0, ind0, ind1, ind1, ... in turn, one text each.
inline Records pairedSequences(std::initializer_list<const char*> texts) {
  Records r;
  int i = 0;
  for (const char* t : texts) r.emplace_back(seqName("ind" + std::to_string(i / 2), i % 2 + 1), t), ++i;
  return r;
}

}  // namespace analysistest
