#pragma once
// The cleaning of one contig done on its compact form, without a container: the same steps, the
// same console report (debug lines included) and the same result as the container operations of
// PolymorphismSequenceContainerAddons (tagging by species, removing other species, stop and
// frameshift codons in and out of the tolerance zones, highly gapped sites and sequences).
#include <cstddef>
#include <memory>
#include <string>

#include "input/CompactContig.h"

namespace bpp {
class CodonAlphabet;
}

namespace mrv {

struct CleaningSettings {
  const bpp::CodonAlphabet* codon_alphabet;
  std::string focal_species;
  unsigned int min_nb_codon;
  unsigned int tolerance_zone;
  bool allow_internal_bad_codons;
  unsigned int min_resolved_focal_codons;
  double max_gapped_share;
  bool debug;
  std::string outgroup_species;
};

enum class CleaningResult { kKept, kRejected, kNeedsContainer };

class CompactCleaner {
 public:
  explicit CompactCleaner(CleaningSettings settings);
  ~CompactCleaner();
  CompactCleaner(const CompactCleaner&) = delete;
  CompactCleaner& operator=(const CompactCleaner&) = delete;

  // Cleans dataset `k` (counted from 1) in place and prints its report; kKept when the contig
  // stays. kNeedsContainer, with nothing printed and the contig unchanged, for a contig the reader
  // never makes, which only the container operations answer exactly: a code outside the codon
  // alphabet, or no sequence at all.
  CleaningResult clean(CompactContig& contig, size_t k) const;

  struct CodeFacts;

 private:
  CleaningSettings _settings;
  std::unique_ptr<CodeFacts> _facts;  // what the cleaning asks of each code, looked up once
};

}  // namespace mrv
