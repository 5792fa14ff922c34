#include "input/CustomNucleicAlphabet.h"

#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabetState.h>
#include <Bpp/Text/TextTools.h>

namespace mrv {

namespace {

struct StateRow {
  int code;
  const char* letter;
  unsigned char binary;
  const char* name;
};

// In the order of setting: a code, letter or binary code met again keeps its first position.
const StateRow kStates[] = {
    {-1, "-", 0, "Gap"},
    {0, "A", 1, "Adenine"},
    {1, "C", 2, "Cytosine"},
    {2, "G", 4, "Guanine"},
    {3, "T", 8, "Thymine"},
    {4, "M", 3, "Adenine or Cytosine"},
    {5, "R", 5, "Purine (Adenine or Guanine)"},
    {6, "W", 9, "Adenine or Thymine"},
    {7, "S", 6, "Cytosine or Guanine"},
    {8, "Y", 10, "Pyrimidine (Cytosine or Thymine)"},
    {9, "K", 12, "Guanine or Thymine"},
    {10, "V", 7, "Adenine or Cytosine or Guanine"},
    {11, "H", 11, "Adenine or Cytosine or Thymine"},
    {12, "D", 13, "Adenine or Guanine or Thymine"},
    {13, "B", 14, "Cytosine or Guanine or Thymine"},
    {14, "!", 15, "Frameshift"},
    {15, "N", 16, "Unresolved base N"},
    {15, "*", 16, "Unresolved base *"},
};

bool isAsciiLetter(const std::string& state) {
  return state.empty() || static_cast<unsigned char>(state[0]) < 0x80;
}

}  // namespace

CustomNucleicAlphabet::CustomNucleicAlphabet() {
  // States are placed with setState: registerState files binary codes one position off.
  const size_t n = sizeof(kStates) / sizeof(kStates[0]);
  resize(n);
  for (size_t i = 0; i < n; ++i) {
    const StateRow& s = kStates[i];
    setState(i, new bpp::NucleicAlphabetState(s.code, s.letter, s.binary, s.name));
  }
}

bool CustomNucleicAlphabet::isCharInAlphabet(const std::string& state) const {
  if (!isAsciiLetter(state)) return false;
  return bpp::LetterAlphabet::isCharInAlphabet(state);
}

int CustomNucleicAlphabet::charToInt(const std::string& state) const {
  if (!isAsciiLetter(state))
    throw bpp::BadCharException(state, "LetterAlphabet::charToInt: Unknown state", this);
  return bpp::LetterAlphabet::charToInt(state);
}

std::vector<int> CustomNucleicAlphabet::getAlias(int state) const {
  if (!isIntInAlphabet(state))
    throw bpp::BadIntException(state, "DNA::getAlias(int): Specified base unknown.");
  const unsigned char b = getState(state).getBinaryCode();
  std::vector<int> bases;
  for (int base = 0; base < 4; ++base)
    if (b & (1u << base)) bases.push_back(base);
  return bases;
}

std::vector<std::string> CustomNucleicAlphabet::getAlias(const std::string& state) const {
  const std::string upper = bpp::TextTools::toUpper(state);
  if (!isCharInAlphabet(upper))
    throw bpp::BadCharException(upper, "DNA::getAlias(int): Specified base unknown.");
  std::vector<std::string> letters;
  for (int code : getAlias(charToInt(upper))) letters.push_back(intToChar(code));
  return letters;
}

int CustomNucleicAlphabet::getGeneric(const std::vector<int>& states) const {
  unsigned char v = 0;
  for (int code : states) {
    if (!isIntInAlphabet(code))
      throw bpp::BadIntException(code,
                                 "DNA::getGeneric(const vector<int>& states): Specified base unknown.");
    v = static_cast<unsigned char>(v | getState(code).getBinaryCode());
  }
  return getStateByBinCode(v).getNum();
}

std::string CustomNucleicAlphabet::getGeneric(const std::vector<std::string>& states) const {
  std::vector<int> codes;
  codes.reserve(states.size());
  for (const std::string& letter : states) {
    if (!isCharInAlphabet(letter))
      throw bpp::BadCharException(
          letter, "DNA::getGeneric(const vector<string>& states): Specified base unknown.");
    codes.push_back(charToInt(letter));
  }
  return intToChar(getGeneric(codes));
}

}  // namespace mrv
