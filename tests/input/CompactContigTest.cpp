// A compact contig gives back the container it was made of: names, every codon code (gaps,
// frameshift and unresolved codons included), counts, groups and ingroup flags.
#include <gtest/gtest.h>

#include "input/CompactContig.h"
#include "TestSupport.h"

TEST(CompactContig, GivesBackTheContainerItWasMadeOf) {
  testsupport::Alphabets a;
  auto original = testsupport::makeContainer(a.codon, testsupport::Records{{"c1|Sp1|i1|allele_1", "ATG---!!!NNNTAA"},
                                            {"c1|Sp1|i1|allele_2", "ATGAAA!!!NNNTAG"},
                                            {"c1|Sp2|o1|allele_1", "ATGCCC---TTTTGA"}});
  original->setGroupId(0, 0);
  original->setGroupId(1, 0);
  original->setGroupId(2, 1);
  original->setAsOutgroupMember(2);
  original->setSequenceCount(1, 3);
  const mrv::CompactContig compact(*original);
  ASSERT_EQ(compact.nb_sequences(), 3u);
  ASSERT_EQ(compact.nb_sites(), 5u);
  std::unique_ptr<bpp::PolymorphismSequenceContainer> back(compact.container(&a.codon));
  ASSERT_EQ(back->getSequencesNames(), original->getSequencesNames());
  ASSERT_EQ(back->getNumberOfSites(), original->getNumberOfSites());
  for (size_t p = 0; p < original->getNumberOfSites(); ++p)
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(back->getSite(p)[i], original->getSite(p)[i]) << "site " << p;
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(back->getGroupId(i), original->getGroupId(i)) << i;
    EXPECT_EQ(back->isIngroupMember(i), original->isIngroupMember(i)) << i;
    EXPECT_EQ(back->getSequenceCount(i), original->getSequenceCount(i)) << i;
  }
  // As read from a file: count 1, ingroup, group 1.
  const mrv::CompactContig read({"c|s|i|1"}, {0, 65, -1}, 3);
  std::unique_ptr<bpp::PolymorphismSequenceContainer> fresh(read.container(&a.codon));
  EXPECT_EQ(fresh->getSite(1).getValue(0), 65);
  EXPECT_EQ(fresh->getSequenceCount(0), 1u);
  EXPECT_EQ(fresh->getGroupId(0), 1u);
  EXPECT_TRUE(fresh->isIngroupMember(0));
}
