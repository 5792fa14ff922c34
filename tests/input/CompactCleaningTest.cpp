// Cleaning a compact contig reports and leaves exactly what cleaning its container does, on random
// contigs with other species, stop and frameshift codons anywhere, gaps and unresolved codons, under
// random settings (debug lines included; tolerance zones overlapping, wider than the contig or
// wrapped from a negative option); a contig the reader never makes is left to the container.
#include <gtest/gtest.h>

#include "input/AlignmentFileManagement.h"
#include "input/CompactCleaning.h"
#include "TestSupport.h"

namespace {

std::vector<std::int8_t> codesOf(const mrv::CompactContig& c) {
  std::vector<std::int8_t> codes;
  for (size_t i = 0; i < c.nb_sequences(); ++i) codes.insert(codes.end(), c.row(i), c.row(i) + c.nb_sites());
  return codes;
}

}  // namespace

TEST(CompactCleaning, ReportsAndKeepsWhatTheContainerCleaningDoes) {
  testsupport::Alphabets a;
  std::mt19937 random(7);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const int stops[] = {48, 50, 56};  // TAA, TAG, TGA
  size_t kept = 0, rejected = 0;
  for (int round = 0; round < 400; ++round) {
    const size_t sites = 1 + static_cast<size_t>(pick(12));
    const size_t sequences = 1 + static_cast<size_t>(pick(7));
    const char* species[] = {"Sp1", "Sp2", "Sp3"};
    std::vector<std::string> names;
    std::vector<int> codes;
    for (size_t i = 0; i < sequences; ++i) {
      names.push_back("c" + std::to_string(round) + "|" + species[pick(3)] + "|i" + std::to_string(i) + "|allele_1");
      for (size_t p = 0; p < sites; ++p) {
        const int kind = pick(20);
        int sense = pick(64);
        while (sense == 48 || sense == 50 || sense == 56) sense = pick(64);
        codes.push_back(kind == 0 ? stops[pick(3)] : kind == 1 ? 64 : kind == 2 ? 65 : kind == 3 ? -1 : sense);
      }
    }
    const mrv::CompactContig original(names, codes, sites);
    const unsigned zones[] = {0, 1, 2, 3, 4, 4294967295u};  // the last one: a negative option wrapped
    const mrv::CleaningSettings s{&a.codon, "Sp1", static_cast<unsigned>(pick(4)), zones[pick(6)],
                                  pick(2) == 1, static_cast<unsigned>(pick(4)), pick(5) * 0.25, pick(2) == 1,
                                  pick(4) == 0 ? "none" : "Sp2"};
    SCOPED_TRACE("round " + std::to_string(round));

    std::unique_ptr<bpp::PolymorphismSequenceContainer> container(original.container(&a.codon));
    std::vector<bpp::PolymorphismSequenceContainer*> one = {container.get()};
    std::vector<bpp::PolymorphismSequenceContainer*> by_container;
    std::string container_error, compact_error;
    const testsupport::Lines expected = testsupport::coutLines([&] {
      try {
        by_container = mrv::AlignmentFileManagement::cleanMultiContainer(
            one, &a.codon, s.focal_species, s.min_nb_codon, s.tolerance_zone, s.allow_internal_bad_codons,
            s.min_resolved_focal_codons, s.max_gapped_share, s.debug, s.outgroup_species);
      } catch (const std::exception& e) {
        container_error = e.what();
      }
    });

    mrv::CompactContig compact = original;
    const mrv::CompactCleaner cleaner(s);
    mrv::CleaningResult result = mrv::CleaningResult::kRejected;
    const testsupport::Lines got = testsupport::coutLines([&] { result = cleaner.clean(compact, 1); });
    ASSERT_NE(result, mrv::CleaningResult::kNeedsContainer);
    ASSERT_EQ(container_error, "");
    EXPECT_EQ(got, expected);
    ASSERT_EQ(result == mrv::CleaningResult::kKept, by_container.size() == 1);
    if (by_container.empty()) {
      ++rejected;
      continue;
    }
    ++kept;
    const mrv::CompactContig reference(*by_container[0]);
    EXPECT_EQ(compact.names(), reference.names());
    EXPECT_EQ(compact.nb_sites(), reference.nb_sites());
    EXPECT_EQ(codesOf(compact), codesOf(reference));
    EXPECT_EQ(compact.groups(), reference.groups());
    EXPECT_EQ(compact.ingroup(), reference.ingroup());
    EXPECT_EQ(compact.counts(), reference.counts());
  }
  // Both roads were taken.
  EXPECT_GT(kept, 20u);
  EXPECT_GT(rejected, 20u);

  mrv::CompactContig empty;
  const mrv::CompactCleaner cleaner({&a.codon, "Sp1", 1, 1, false, 1, 0.5, false, "none"});
  EXPECT_EQ(testsupport::coutLines([&] { EXPECT_EQ(cleaner.clean(empty, 1), mrv::CleaningResult::kNeedsContainer); }),
            testsupport::Lines());
}
