#pragma once
// Nucleotides of a contig's codons, decoded once.
//
// The statistics read the nucleotide at position k (0, 1, 2) of a codon as the codon alphabet's
// getNPosition(codon, k), and call it resolved when the nucleic alphabet's isUnresolved is false for
// it. Both look-ups go through the alphabets' letter tables, far too slow for the inner loops, so
// the codons of a contig are decoded once through the codon-to-nucleotide table into one row of
// nucleotide codes per sequence (3 per codon site, site by site), and resolvedness is read from a
// table by nucleotide code. The codes in the rows are exactly the codes getNPosition gives.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/ResolvedNucleotides.h"
#include "analysis/Workspace.h"

namespace bpp {
class CodonAlphabet;
class NucleicAlphabet;
}  // namespace bpp

namespace mrv {

// One row of nucleotide codes per sequence, leased from the workspace given (the
// run's), or owned without one.
class NucleotideRows {
 public:
  // Decodes codon codes given site after site (`nb_sequences` codes each), row r holding sequence r;
  // resolved nucleotides are those of `nucleic`. (A container is read through its ContigView.)
  NucleotideRows(const int* codes, size_t nb_sequences, size_t nb_sites, const bpp::CodonAlphabet* codon,
                 const bpp::NucleicAlphabet* nucleic, Workspace* workspace = nullptr);

  size_t get_nb_rows() const { return _nb_rows; }
  size_t get_nb_sites() const { return _nb_sites; }
  // 3 nucleotide positions per codon site.
  size_t get_nb_positions() const { return 3 * _nb_sites; }
  // Row r: nucleotide k of codon site s at index 3 * s + k.
  const int8_t* row(size_t r) const { return _codes.data() + r * get_nb_positions(); }
  // Resolved test of the nucleic alphabet the rows were built with.
  const ResolvedNucleotides& resolved() const { return _resolved; }
  const bpp::NucleicAlphabet* get_nucleic_alphabet() const { return _nucleic; }

 private:
  // Row r, site s: the codon codes[s * nb_rows + r].
  void _decodeSites(const int* codes, const bpp::CodonAlphabet* codon);

  const bpp::NucleicAlphabet* _nucleic;
  ResolvedNucleotides _resolved;
  size_t _nb_rows;
  size_t _nb_sites;
  Workspace::Lease<int8_t> _codes_store;
  std::vector<int8_t>& _codes = *_codes_store;
};

}  // namespace mrv
