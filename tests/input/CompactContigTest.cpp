// A compact contig made of names and codes as the reader makes it gives back a container of those
// codes (gaps and unresolved codons included) with count 1, ingroup, group 1; its form made from a
// container is read through the contig views.
#include <gtest/gtest.h>

#include "input/CompactContig.h"
#include "TestSupport.h"

TEST(CompactContig, ContainerOfAContigAsRead) {
  testsupport::Alphabets a;
  const mrv::CompactContig read({"c|s|i|1", "c|s|i|2"}, {0, 65, -1, 64, 48, 6}, 3, {1, 1}, {1, 1}, {1, 1});
  std::unique_ptr<bpp::PolymorphismSequenceContainer> fresh(read.container(&a.codon));
  EXPECT_EQ(fresh->getSequencesNames(), testsupport::Lines({"c|s|i|1", "c|s|i|2"}));
  EXPECT_EQ(fresh->toString(0) + " " + fresh->toString(1), "AAANNN--- !!!TAAACG");
  for (size_t i = 0; i < 2; ++i)
    EXPECT_TRUE(fresh->getSequenceCount(i) == 1 && fresh->getGroupId(i) == 1 && fresh->isIngroupMember(i)) << i;
}
