#pragma once
// Nucleotide alphabet of the alignment file: the gap, A, C, G, T, the ten IUPAC ambiguity codes,
// the frameshift base "!" and the unresolved bases "N" and "*".
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <string>
#include <vector>

namespace mrv {

class CustomNucleicAlphabet : public bpp::NucleicAlphabet {
 public:
  CustomNucleicAlphabet();
  virtual ~CustomNucleicAlphabet() {}

  // The alphabet never changes after construction: a clone is a freshly built alphabet.
  CustomNucleicAlphabet* clone() const override { return new CustomNucleicAlphabet(); }

  // Resolved bases (codes 0 to 3) that a state stands for, in ascending order.
  std::vector<int> getAlias(int state) const override;
  std::vector<std::string> getAlias(const std::string& state) const override;
  // The state that stands for exactly the union of the given states.
  int getGeneric(const std::vector<int>& states) const override;
  std::string getGeneric(const std::vector<std::string>& states) const override;

  std::string getAlphabetType() const override {
    return "Morvane Custom Nucleic Alphabet (454 and Frameshift)";
  }

  // Letter look-ups refuse a byte outside 7-bit ASCII instead of indexing the letter table with it.
  int charToInt(const std::string& state) const override;
  bool isCharInAlphabet(const std::string& state) const override;

  unsigned int getStateCodingSize() const override { return 1; }
};

}  // namespace mrv
