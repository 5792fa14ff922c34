#pragma once
// Codon alphabet of the contig containers: the gap, the 64 codons (stop codons named "Stop"), the
// frameshift codon "!!!" (code 64, any word holding "!") and the unresolved codon "NNN" (code 65,
// any word holding an ambiguity code, "N" or "*").
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <string>
#include <vector>

namespace mrv {

class FrameshiftCodonAlphabet : public bpp::CodonAlphabet {
 public:
  // Name of the stop codons' states.
  static constexpr const char* STOP = "Stop";
  // Name of the frameshift codon's state.
  static constexpr const char* FRAMESHIFT = "FrameShift";
  static const int FRAMESHIFT_CODE = 64;
  static const int UNRESOLVED_CODE = 65;

  // The nucleic alphabet is not owned and must outlive this alphabet.
  explicit FrameshiftCodonAlphabet(const bpp::NucleicAlphabet* nucleic);
  // A copy owns copies of the states: its look-up tables point to them.
  FrameshiftCodonAlphabet(const FrameshiftCodonAlphabet& other) : bpp::CodonAlphabet(other) { _fillStates(); }
  FrameshiftCodonAlphabet& operator=(const FrameshiftCodonAlphabet& other) {
    bpp::CodonAlphabet::operator=(other);
    _fillStates();
    return *this;
  }
  virtual ~FrameshiftCodonAlphabet() {}

  FrameshiftCodonAlphabet* clone() const override { return new FrameshiftCodonAlphabet(nAlph_); }

  std::string getAlphabetType() const override {
    return "Morvane Custom Codon Alphabet (with Frameshift)";
  }
  // Sites of this alphabet are also accepted against the codon alphabet of a genetic code built
  // on the same nucleic alphabet (codes 0 to 63 mean the same codons in both).
  bool equals(const bpp::Alphabet& alphabet) const override;

  unsigned int getSize() const override { return getNumberOfChars() - 2; }
  unsigned int getNumberOfTypes() const override { return getNumberOfChars() - 1; }
  int getUnknownCharacterCode() const override { return static_cast<int>(getSize()); }
  bool isUnresolved(int state) const override { return state == UNRESOLVED_CODE; }
  bool isUnresolved(const std::string& state) const override {
    return charToInt(state) == UNRESOLVED_CODE;
  }

  // "!" anywhere gives 64; then a length other than 3 is refused; then an unresolved letter gives
  // 65; then a gap letter gives -1; otherwise the upper-case codon's own code.
  int charToInt(const std::string& word) const override;
  // "!" anywhere gives "FrameShift"; then the word rule: length 3 required, an unresolved letter
  // names "Unresolved", a gap letter names "gap", otherwise the codon's own name.
  std::string getName(const std::string& word) const override;
  using bpp::AbstractAlphabet::getName;

  // Nucleic code of letter `position` (0 to 2) of the codon's word: the gap codon reads gap at
  // every position, 64 reads "!" and 65 reads "N".
  int getNPosition(int codon, size_t position) const override;
  using bpp::CodonAlphabet::getNPosition;
  std::vector<int> getPositions(int codon) const override;
  using bpp::CodonAlphabet::getPositions;

  // The alphabet's own answers for codes -1 to 65, looked up in tables filled at construction
  // (the base class searches a map at every call); other codes are asked of the base class.
  bool isIntInAlphabet(int state) const override {
    if (state >= -1 && state <= UNRESOLVED_CODE) return _states[state + 1] != nullptr;
    return bpp::CodonAlphabet::isIntInAlphabet(state);
  }
  const bpp::AlphabetState& getState(int state) const override {
    if (state >= -1 && state <= UNRESOLVED_CODE && _states[state + 1] != nullptr) return *_states[state + 1];
    return bpp::CodonAlphabet::getState(state);
  }
  using bpp::AbstractAlphabet::getState;

  // True when the whole string is the frameshift base "!".
  bool isFrameshiftBase(const std::string& letter) const { return letter == "!"; }
  // True when some character of the word is "!".
  bool containsFrameshift(const std::string& word) const {
    return word.find('!') != std::string::npos;
  }

 private:
  void _fillStates();
  // State of codes -1 to 65 (null: not a code of the alphabet), filled once the states are set.
  const bpp::AlphabetState* _states[UNRESOLVED_CODE + 2];
};

}  // namespace mrv
