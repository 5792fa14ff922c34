#pragma once
// Helpers for the analysis tests: the run's alphabets and genetic code, and codon containers
// built from "name", "ATGCCC..." pairs.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>

namespace analysistest {

struct Alphabets {
  Alphabets();
  ~Alphabets();
  Alphabets(const Alphabets&) = delete;
  Alphabets& operator=(const Alphabets&) = delete;
  const bpp::NucleicAlphabet* nucleic;
  const bpp::CodonAlphabet* codon;
  bpp::StandardGeneticCode* code;
};

// The same objects for every test (built once, like the run builds them once).
const Alphabets& alphabets();

using Records = std::vector<std::pair<std::string, std::string> >;

// A container of the given sequences, each with count 1, ingroup, group 0.
std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(const Records& records);

// "Contig|Species|Individual|Allele".
std::string seqName(const std::string& individual, int allele, const std::string& species = "Sp");

}  // namespace analysistest
