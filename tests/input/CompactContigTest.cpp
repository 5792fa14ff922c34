// A compact contig made of names and codes as the reader makes it gives back a container of those
// codes (gaps and unresolved codons included) with their counts, groups and flags; the cleaning's
// edits keep the other rows and sites in order, and a container can be made to hold the result.
#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>

#include "input/CompactContig.h"
#include "TestSupport.h"

namespace {

std::string text(const bpp::PolymorphismSequenceContainer& c) {
  std::string t;
  for (size_t i = 0; i < c.getNumberOfSequences(); ++i) t += (i ? " " : "") + c.toString(i);
  return t;
}

}  // namespace

TEST(CompactContig, ContainerOfAContigAsRead) {
  testsupport::Alphabets a;
  const mrv::CompactContig read({"c|s|i|1", "c|s|i|2"}, {0, 65, -1, 64, 48, 6}, 3, {1, 1}, {1, 1}, {1, 1});
  std::unique_ptr<bpp::PolymorphismSequenceContainer> fresh(read.container(&a.codon));
  EXPECT_EQ(fresh->getSequencesNames(), testsupport::Lines({"c|s|i|1", "c|s|i|2"}));
  EXPECT_EQ(text(*fresh), "AAANNN--- !!!TAAACG");
  for (size_t i = 0; i < 2; ++i)
    EXPECT_TRUE(fresh->getSequenceCount(i) == 1 && fresh->getGroupId(i) == 1 && fresh->isIngroupMember(i)) << i;
}

TEST(CompactContig, EditsKeepTheRestInOrder) {
  testsupport::Alphabets a;
  // Rows AAA AAC AAG AAT / ACA ACC ACG ACT / AGA AGC AGG AGT, sequence i with count i + 1, group i.
  const mrv::CompactContig original({"s0", "s1", "s2"}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 4, {1, 2, 3},
                                    {0, 1, 2}, {1, 0, 0});
  const struct {
    std::string edit, text;
    std::vector<unsigned int> counts;
    std::function<void(mrv::CompactContig&)> apply;
  } cases[] = {
      {"sites 0 and 2", "AACAAT ACCACT AGCAGT", {1, 2, 3}, [](mrv::CompactContig& c) { c.remove_sites({1, 0, 1, 0}); }},
      {"sequence 1", "AAAAACAAGAAT AGAAGCAGGAGT", {1, 3}, [](mrv::CompactContig& c) { c.remove_sequences({0, 1, 0}); }},
      {"sequences 0 and 1", "AGAAGCAGGAGT", {3}, [](mrv::CompactContig& c) { c.remove_sequences({1, 1, 0}); }},
      {"last 2 sites", "AAAAAC ACAACC AGAAGC", {1, 2, 3}, [](mrv::CompactContig& c) { c.remove_sites(2, 2); }},
      {"every site", "  ", {1, 2, 3}, [](mrv::CompactContig& c) { c.remove_sites(0, 4); }},
      {"column 1 NNN", "AAANNNAAGAAT ACANNNACGACT AGANNNAGGAGT", {1, 2, 3},
       [](mrv::CompactContig& c) { c.set_column(1, 65); }},
  };
  for (const auto& c : cases) {
    mrv::CompactContig contig = original;
    c.apply(contig);
    auto made = testsupport::makeContainer(a.codon, testsupport::Records{{"x", "AAA"}});  // replaced whole
    contig.assign_to(*made);
    EXPECT_EQ(text(*made), c.text) << c.edit;
    EXPECT_EQ(contig.counts(), c.counts) << c.edit;
    for (size_t i = 0; i < contig.nb_sequences(); ++i)
      EXPECT_TRUE(made->getSequenceCount(i) == contig.counts()[i] && made->getGroupId(i) == contig.groups()[i] &&
                  made->isIngroupMember(i) == (contig.ingroup()[i] != 0) && made->getName(i) == contig.names()[i])
          << c.edit << " " << i;
  }
  mrv::CompactContig contig = original;
  EXPECT_THROW(contig.remove_sites(3, 2), bpp::IndexOutOfBoundsException);
  EXPECT_EQ(contig.nb_sites(), 4u);
}
