#pragma once
// Resolvedness of nucleotide codes, read from a table by code instead of the nucleic alphabet's
// letter tables.
#include <cstdint>

namespace bpp {
class NucleicAlphabet;
}  // namespace bpp

namespace mrv {

// Which nucleotide codes count as resolved for one nucleic alphabet: a look-up by code.
class ResolvedNucleotides {
 public:
  // Asks the nucleic alphabet's isUnresolved about every code from -128 to 127 (a code for which
  // it raises an exception reads unresolved).
  explicit ResolvedNucleotides(const bpp::NucleicAlphabet* nucleic);
  bool operator()(int8_t code) const { return _resolved[static_cast<uint8_t>(code)]; }

 private:
  bool _resolved[256];
};

}  // namespace mrv
