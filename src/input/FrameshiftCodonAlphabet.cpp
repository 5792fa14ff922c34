#include "input/FrameshiftCodonAlphabet.h"

#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>
#include <Bpp/Seq/Alphabet/AlphabetState.h>

namespace mrv {

FrameshiftCodonAlphabet::FrameshiftCodonAlphabet(const bpp::NucleicAlphabet* nucleic)
    : bpp::CodonAlphabet(nucleic) {
  // The base holds the gap at position 0, codons 0 to 63 at positions 1 to 64 and its own
  // unresolved word at position 65: that position becomes the frameshift codon, and "NNN" comes
  // back as code 65 at position 66.
  setState(65, new bpp::AlphabetState(FRAMESHIFT_CODE, "!!!", FRAMESHIFT));
  remap();  // forget the replaced state's word before registering it again
  registerState(new bpp::AlphabetState(UNRESOLVED_CODE, "NNN", "Unresolved"));
  for (int stop : {48, 50, 56})  // TAA, TAG, TGA
    getStateAt(static_cast<size_t>(stop) + 1).setName(STOP);
  _fillStates();
}

void FrameshiftCodonAlphabet::_fillStates() {
  for (int code = -1; code <= UNRESOLVED_CODE; ++code)
    _states[code + 1] =
        bpp::CodonAlphabet::isIntInAlphabet(code) ? &bpp::CodonAlphabet::getState(code) : nullptr;
}

bool FrameshiftCodonAlphabet::equals(const bpp::Alphabet& alphabet) const {
  // The answer is "same type name, or a codon alphabet on the same nucleic alphabet"; the cheap
  // tests come first, the type names (built as strings) last.
  if (&alphabet == this) return true;
  const bpp::CodonAlphabet* codons = dynamic_cast<const bpp::CodonAlphabet*>(&alphabet);
  if (codons != nullptr && codons->getNucleicAlphabet() == nAlph_) return true;
  return alphabet.getAlphabetType() == getAlphabetType();
}

int FrameshiftCodonAlphabet::charToInt(const std::string& word) const {
  if (containsFrameshift(word)) return FRAMESHIFT_CODE;
  if (word.size() != 3) throw bpp::BadCharException(word, "WordAlphabet::charToInt", this);
  for (size_t k = 0; k < 3; ++k)
    if (nAlph_->isUnresolved(word.substr(k, 1))) return UNRESOLVED_CODE;
  for (size_t k = 0; k < 3; ++k)
    if (nAlph_->isGap(word.substr(k, 1))) return -1;
  return bpp::AbstractAlphabet::charToInt(word);
}

std::string FrameshiftCodonAlphabet::getName(const std::string& word) const {
  if (containsFrameshift(word)) return FRAMESHIFT;
  if (word.size() != 3) throw bpp::BadCharException(word, "WordAlphabet::getName", this);
  for (size_t k = 0; k < 3; ++k)
    if (nAlph_->isUnresolved(word.substr(k, 1))) return getStateAt(getSize() + 1).getName();
  for (size_t k = 0; k < 3; ++k)
    if (nAlph_->isGap(word.substr(k, 1))) return getStateAt(0).getName();
  return bpp::AbstractAlphabet::getName(word);
}

int FrameshiftCodonAlphabet::getNPosition(int codon, size_t position) const {
  if (position >= 3)
    throw bpp::BadIntException(static_cast<int>(position), "WordAlphabet::getNPosition", this);
  return nAlph_->charToInt(intToChar(codon).substr(position, 1));
}

std::vector<int> FrameshiftCodonAlphabet::getPositions(int codon) const {
  return {getNPosition(codon, 0), getNPosition(codon, 1), getNPosition(codon, 2)};
}

}  // namespace mrv
