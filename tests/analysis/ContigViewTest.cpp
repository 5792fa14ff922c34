// A contig's view reads the same from its compact form as from its container, and its consensus are
// the library's.
#include <gtest/gtest.h>

#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>

#include "TestSupport.h"
#include "analysis/ContigView.h"
#include "analysis/StatisticsEngine.h"
#include "input/CompactContig.h"

namespace {

using testsupport::Alphabets;

std::vector<int> libraryConsensus(const bpp::PolymorphismSequenceContainer& c, const std::vector<size_t>& rows) {
  if (rows.empty()) return {};
  std::unique_ptr<bpp::PolymorphismSequenceContainer> part(
      bpp::PolymorphismSequenceContainerTools::getSelectedSequences(c, rows));
  std::unique_ptr<bpp::Sequence> consensus(bpp::SiteContainerTools::getConsensus(*part, "x", true, false));
  std::vector<int> codes(consensus->size());
  for (size_t s = 0; s < codes.size(); ++s) codes[s] = (*consensus)[s];
  return codes;
}

TEST(ContigView, CompactFormAndContainerGiveTheSameRowsAndConsensus) {
  Alphabets a;
  std::mt19937 rng(7);
  const struct {
    size_t individuals, codons, outgroup;  // the last `outgroup` sequences: outgroup, group 1
  } cases[] = {{1, 1, 0}, {3, 12, 1}, {6, 40, 2}, {10, 25, 5}, {2, 0, 1}};
  for (const auto& c : cases) {
    auto container = testsupport::makeContainer(a.codon, testsupport::randomContig(rng, c.individuals, c.codons));
    const size_t n = container->getNumberOfSequences();
    std::vector<size_t> in_rows, out_rows;
    for (size_t i = 0; i < n; ++i) {
      const bool outgroup = i + c.outgroup >= n;
      if (outgroup) container->setAsOutgroupMember(i);
      container->setGroupId(i, outgroup ? 1 : 0);
      (outgroup ? out_rows : in_rows).push_back(i);
    }
    for (auto route : {mrv::StatisticsEngine::Route::kOwnArithmetic, mrv::StatisticsEngine::Route::kLibrary}) {
      mrv::StatisticsEngine engine(a.code, route);
      const mrv::ContigView compact(mrv::CompactContig(*container), &a.codon, &a.nucleic, engine);
      const mrv::ContigView direct(*container, &a.codon, &a.nucleic, &engine, true);
      for (const mrv::ContigView* view : {&compact, &direct}) {
        SCOPED_TRACE(std::to_string(c.individuals) + " individuals, " + std::to_string(c.codons) + " codons");
        EXPECT_EQ(view->all_names(), container->getSequencesNames());
        ASSERT_EQ(view->nb_rows(), in_rows.size());
        ASSERT_EQ(view->nb_sites(), c.codons);
        for (size_t r = 0; r < in_rows.size(); ++r) {
          EXPECT_EQ(view->names()[r], container->getSequencesNames()[in_rows[r]]);
          for (size_t s = 0; s < c.codons; ++s) {
            const int code = container->valueAt(in_rows[r], s);
            EXPECT_EQ(view->code(r, s), code);
            for (size_t k = 0; k < 3; ++k)
              EXPECT_EQ(view->nucleotides().row(r)[3 * s + k], a.codon.getNPosition(code, k));
          }
        }
        for (size_t s = 0; s < c.codons; ++s) {
          bool constant = true;
          for (size_t r = 1; r < in_rows.size(); ++r) constant = constant && view->code(r, s) == view->code(0, s);
          EXPECT_EQ(view->constant_site(s), constant);
        }
        EXPECT_EQ(view->ingroup_consensus(), libraryConsensus(*container, in_rows));
        EXPECT_EQ(view->outgroup_consensus(), libraryConsensus(*container, out_rows));
        // The rows as a container again: codes, counts, flags and groups.
        auto rows = view->container();
        ASSERT_EQ(rows->getNumberOfSequences(), in_rows.size());
        for (size_t r = 0; r < in_rows.size(); ++r) {
          EXPECT_TRUE(rows->isIngroupMember(r));
          EXPECT_EQ(rows->getGroupId(r), 0u);
          for (size_t s = 0; s < c.codons; ++s) EXPECT_EQ(rows->valueAt(r, s), view->code(r, s));
        }
      }
    }
  }
}

}  // namespace
