#pragma once
// One cleaned contig as every statistic of its analysis reads it, decoded once.
//
// The rows are the sequences analysed (the ingroup): their names, their codon codes site by site
// (the codes of site s, one per row, side by side), the same codes as CodonColumns, the three
// nucleotides of every codon decoded through the codon table into one row per sequence, and the
// consensus codons of the ingroup and of the outgroup (its sequences of group 1), computed once by
// the run's statistics engine. The allele pairs of the rows are formed by PairedSequenceContainer. The statistics read the view
// by const reference; a library container of the rows is made only when the library itself is to be
// asked (container()).
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/NucleotideRows.h"
#include "analysis/Workspace.h"

namespace bpp {
class Alphabet;
class CodonAlphabet;
class NucleicAlphabet;
class PolymorphismSequenceContainer;
}  // namespace bpp

namespace mrv {

class CompactContig;
class StatisticsEngine;

class ContigView {
 public:
  // The ingroup sequences of a cleaned contig (those flagged ingroup) as rows, its outgroup (group 1)
  // read only through its consensus. Codons are decoded with `codon`, nucleotides called resolved in
  // `nucleic`; the engine computes both consensus and lends its working arrays (it must outlive the view).
  ContigView(const CompactContig& contig, const bpp::CodonAlphabet* codon, const bpp::NucleicAlphabet* nucleic,
             StatisticsEngine& engine);
  // The same from a container. Without `split_groups` every sequence is a row and no consensus is
  // computed (the engine may then be null).
  ContigView(const bpp::PolymorphismSequenceContainer& container, const bpp::CodonAlphabet* codon,
             const bpp::NucleicAlphabet* nucleic, StatisticsEngine* engine, bool split_groups);
  ContigView(const ContigView&) = delete;
  ContigView& operator=(const ContigView&) = delete;

  // ---- The whole contig ----
  // Every sequence name and group id, in the contig's order (rows and others).
  const std::vector<std::string>& all_names() const { return _all_names; }
  const std::vector<unsigned int>& all_groups() const { return _all_groups; }

  // ---- The rows ----
  const bpp::Alphabet* alphabet() const { return _alphabet; }  // of the codes
  const bpp::CodonAlphabet* codon_alphabet() const { return _codon; }
  const bpp::NucleicAlphabet* nucleic_alphabet() const { return _nucleic; }
  size_t nb_rows() const { return _names.size(); }
  size_t nb_sites() const { return _nb_sites; }
  const std::vector<std::string>& names() const { return _names; }
  // The rows' ingroup flags (all set for a cleaned contig's ingroup).
  const std::vector<char>& ingroup_flags() const { return _ingroup; }
  // Codes of site s, one per row.
  const int* site(size_t s) const { return _codes.data() + s * nb_rows(); }
  int code(size_t row, size_t s) const { return _codes[s * nb_rows() + row]; }
  // True when every row holds the same codon at site s (then every nucleotide position of the site
  // holds one nucleotide in all rows).
  bool constant_site(size_t s) const { return _constant[s] != 0; }
  const CodonColumns& columns() const { return *_columns; }
  const NucleotideRows& nucleotides() const { return *_nucleotides; }

  // Consensus codons (the library's: gaps ignored, unknown characters not resolved); empty without
  // an engine, the outgroup's also without a sequence of group 1.
  const std::vector<int>& ingroup_consensus() const { return _ingroup_consensus; }
  const std::vector<int>& outgroup_consensus() const { return _outgroup_consensus; }

  // A new library container of the rows, with their names, counts, ingroup flags and group ids.
  std::unique_ptr<bpp::PolymorphismSequenceContainer> container() const;

 private:
  void _finish(Workspace* workspace);

  std::vector<std::string> _all_names;
  std::vector<unsigned int> _all_groups;
  const bpp::Alphabet* _alphabet;
  const bpp::CodonAlphabet* _codon;
  const bpp::NucleicAlphabet* _nucleic;
  std::vector<std::string> _names;
  std::vector<unsigned int> _counts;
  std::vector<unsigned int> _groups;
  std::vector<char> _ingroup;
  size_t _nb_sites = 0;
  Workspace::Lease<int> _codes_store;
  std::vector<int>& _codes = *_codes_store;
  std::vector<char> _constant;
  std::unique_ptr<CodonColumns> _columns;
  std::unique_ptr<NucleotideRows> _nucleotides;
  std::vector<int> _ingroup_consensus;
  std::vector<int> _outgroup_consensus;
};

}  // namespace mrv
