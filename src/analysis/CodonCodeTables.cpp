#include "analysis/CodonCodeTables.h"

#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/GeneticCode/GeneticCode.h>

#include <cmath>
#include <limits>

namespace mrv {

namespace {

const double kNotAsked = std::numeric_limits<double>::quiet_NaN();

}  // namespace

CodonCodeTables::CodonCodeTables(const bpp::GeneticCode& code)
    : _code(code),
      _synonymous(64 * 64, kNotAsked),
      _differences(64 * 64, kNotAsked),
      _least_change(64 * 64, kNotAsked) {
  for (int c = 0; c < 64; ++c) {
    _sense[c] = !code.isStop(c);
    _amino_acid[c] = _sense[c] ? code.translate(c) : -1;
  }
}

const double* CodonCodeTables::synonymous_positions(double ratio) {
  for (const auto& entry : _positions)
    if (entry.first == ratio || (std::isnan(entry.first) && std::isnan(ratio))) return entry.second.data();
  std::vector<double> values(64);
  for (int c = 0; c < 64; ++c)
    values[static_cast<size_t>(c)] = bpp::CodonSiteTools::numberOfSynonymousPositions(c, _code, ratio);
  _positions.emplace_back(ratio, std::move(values));
  return _positions.back().second.data();
}

double CodonCodeTables::synonymous_differences(int i, int j) {
  double& v = _synonymous[static_cast<size_t>(i * 64 + j)];
  if (std::isnan(v)) v = bpp::CodonSiteTools::numberOfSynonymousDifferences(i, j, _code, false);
  return v;
}

size_t CodonCodeTables::least_change_synonymous_differences(int i, int j) {
  double& v = _least_change[static_cast<size_t>(i * 64 + j)];
  if (std::isnan(v)) v = bpp::CodonSiteTools::numberOfSynonymousDifferences(i, j, _code, true);
  return static_cast<size_t>(v);
}

double CodonCodeTables::nucleotide_differences(int i, int j) {
  double& v = _differences[static_cast<size_t>(i * 64 + j)];
  if (std::isnan(v)) {
    const bpp::CodonAlphabet* codons = dynamic_cast<const bpp::CodonAlphabet*>(_code.getSourceAlphabet());
    v = static_cast<double>(bpp::CodonSiteTools::numberOfDifferences(i, j, *codons));
  }
  return v;
}

}  // namespace mrv
