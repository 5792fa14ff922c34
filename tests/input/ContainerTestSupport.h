#pragma once
// Small builders shared by the tests of the input stage.
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Sequence.h>

#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"

namespace inputtest {

struct Alphabets {
  mrv::CustomNucleicAlphabet nucleic;
  mrv::FrameshiftCodonAlphabet codon{&nucleic};
};

using Lines = std::vector<std::string>;
using Records = std::vector<std::pair<std::string, std::string>>;  // name, codon text

inline std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(const Records& records,
                                                                         const bpp::Alphabet* alphabet) {
  auto psc = std::make_unique<bpp::PolymorphismSequenceContainer>(alphabet);
  for (const auto& r : records)
    psc->addSequenceWithFrequency(bpp::BasicSequence(r.first, r.second, alphabet), 1, true);
  return psc;
}

// The lines that `f` writes to std::cout.
inline Lines coutLines(const std::function<void()>& f) {
  std::ostringstream buffer;
  std::streambuf* old = std::cout.rdbuf(buffer.rdbuf());
  try {
    f();
  } catch (...) {
    std::cout.rdbuf(old);
    throw;
  }
  std::cout.rdbuf(old);
  return testsupport::splitLines(buffer.str());
}

}  // namespace inputtest
