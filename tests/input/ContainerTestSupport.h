#pragma once
// Small builders shared by the tests of the input stage.
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Sequence.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"

namespace inputtest {

struct Alphabets {
  mrv::CustomNucleicAlphabet nucleic;
  mrv::FrameshiftCodonAlphabet codon{&nucleic};
};

using Records = std::vector<std::pair<std::string, std::string>>;  // name, codon text

inline std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(
    const Records& records, const bpp::Alphabet* alphabet) {
  auto psc = std::make_unique<bpp::PolymorphismSequenceContainer>(alphabet);
  for (const auto& r : records)
    psc->addSequenceWithFrequency(bpp::BasicSequence(r.first, r.second, alphabet), 1, true);
  return psc;
}

// Captures everything written to std::cout while alive.
class CoutCapture {
 public:
  CoutCapture() : old_(std::cout.rdbuf(buffer_.rdbuf())) {}
  ~CoutCapture() { std::cout.rdbuf(old_); }
  std::string text() const { return buffer_.str(); }

 private:
  std::ostringstream buffer_;
  std::streambuf* old_;
};

}  // namespace inputtest
