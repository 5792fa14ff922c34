#pragma once
// The alphabets every contig of a run is read in, and the genetic code over them: one nucleic
// alphabet, the codon alphabet and the standard genetic code built on it. The codon alphabet and
// the code point to the nucleic alphabet, which is declared first and so destroyed last.
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>

#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"

namespace mrv {

struct RunAlphabets {
  RunAlphabets() = default;
  RunAlphabets(const RunAlphabets&) = delete;
  RunAlphabets& operator=(const RunAlphabets&) = delete;

  CustomNucleicAlphabet nucleic;
  FrameshiftCodonAlphabet codon{&nucleic};
  bpp::StandardGeneticCode code{&nucleic};
};

}  // namespace mrv
