#include "CodonContigSupport.h"

#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"
#include <Bpp/Seq/Sequence.h>

namespace analysistest {

Alphabets::Alphabets() {
  auto* n = new mrv::CustomNucleicAlphabet();
  nucleic = n;
  codon = new mrv::FrameshiftCodonAlphabet(n);
  code = new bpp::StandardGeneticCode(n);
}

Alphabets::~Alphabets() {
  delete code;
  delete codon;
  delete nucleic;
}

const Alphabets& alphabets() {
  static Alphabets instance;
  return instance;
}

std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(const Records& records) {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> c(new bpp::PolymorphismSequenceContainer(alphabets().codon));
  for (const auto& r : records) c->addSequenceWithFrequency(bpp::BasicSequence(r.first, r.second, alphabets().codon), 1, true);
  return c;
}

std::string seqName(const std::string& individual, int allele, const std::string& species) {
  return "Contig1|" + species + "|" + individual + "|" + std::to_string(allele);
}

}  // namespace analysistest
