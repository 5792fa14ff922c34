#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>

#include <string>
#include <vector>

#include "FocalTestData.h"
#include "analysis/PairedSequenceContainer.h"

namespace {

using focaltest::Alphabets;
using focaltest::makeContainer;

std::vector<focaltest::NamedText> named(const std::vector<std::string>& names) {
  std::vector<focaltest::NamedText> out;
  for (const std::string& n : names) out.push_back({n, "ATG"});
  return out;
}

TEST(PairedSequenceContainer, PairingRuleOnNameLists) {
  Alphabets a;
  struct Case {
    const char* what;
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::string>> pairs;  // full names of sequence 0 and 1
    std::vector<std::string> pairNames;
  };
  const std::vector<Case> cases = {
      {"empty", {}, {}, {}},
      {"single", {"c1|sp|i1|a_1"}, {}, {}},
      {"adjacent", {"c1|sp|i1|a_1", "c1|sp|i1|a_2"}, {{"c1|sp|i1|a_1", "c1|sp|i1|a_2"}}, {"i1"}},
      {"interleaved",
       {"c|s|A|a_1", "c|s|B|a_1", "c|s|A|a_2", "c|s|B|a_2"},
       {{"c|s|A|a_1", "c|s|A|a_2"}, {"c|s|B|a_1", "c|s|B|a_2"}},
       {"A", "B"}},
      {"three in a row", {"c|s|A|a_1", "c|s|A|a_2", "c|s|A|a_3"}, {{"c|s|A|a_1", "c|s|A|a_2"}}, {"A"}},
      {"four in a row",
       {"c|s|A|a_1", "c|s|A|a_2", "c|s|A|a_3", "c|s|A|a_4"},
       {{"c|s|A|a_1", "c|s|A|a_2"}, {"c|s|A|a_3", "c|s|A|a_4"}},
       {"A", "A"}},
      {"A,B,A,B,A",
       {"c|s|A|a_1", "c|s|B|a_1", "c|s|A|a_2", "c|s|B|a_2", "c|s|A|a_3"},
       {{"c|s|A|a_1", "c|s|A|a_2"}, {"c|s|B|a_1", "c|s|B|a_2"}, {"c|s|A|a_2", "c|s|A|a_3"}},
       {"A", "B", "A"}},
      {"no underscore", {"c|s|A|1", "c|s|A|2"}, {}, {}},
      {"underscore only first", {"_c|s|A|1", "_c|s|A|2"}, {}, {}},
      {"species-field underscore", {"c|Sp_x|A|1", "c|Sp_x|B|1"}, {{"c|Sp_x|A|1", "c|Sp_x|B|1"}}, {"A"}},
      {"unpaired in between",
       {"c|s|A|a_1", "c|s|B|a_1", "c|s|C|a_1", "c|s|A|a_2"},
       {{"c|s|A|a_1", "c|s|A|a_2"}},
       {"A"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto source = makeContainer(a, named(c.names));
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    ASSERT_EQ(pairs.get_nb_pair(), c.pairs.size());
    EXPECT_EQ(pairs.get_pair_names(), c.pairNames);
    for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i) {
      bpp::PolymorphismSequenceContainer* p = pairs.get_pair(i);
      ASSERT_EQ(p->getNumberOfSequences(), 2u);
      EXPECT_EQ(std::string(p->getName(0)), c.pairs[i].first);
      EXPECT_EQ(std::string(p->getName(1)), c.pairs[i].second);
    }
    EXPECT_EQ(source->getNumberOfSequences(), c.names.size());  // the source is left as it was
  }
}

TEST(PairedSequenceContainer, IsaPairLooksOnlyBeforeTheLastUnderscore) {
  const struct {
    const char* first;
    const char* second;
    bool pair;
  } cases[] = {
      {"c|s|A|a_1", "c|s|A|a_2", true},   {"c|s|A|a_1", "c|s|B|a_1", false}, {"c|Sp_x|A|1", "c|Sp_x|B|1", true},
      {"c|s|A|1", "c|s|A|1", false},      {"_x", "_y", false},               {"", "", false},
      {"a_", "a_b", true},                {"a_1", "A_1", false},             {"a_b_c", "a_b_d", true},
      {"a_b_c", "a_b", false},            {"a_1", "noscore", false},         {"x__1", "x__2", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(mrv::PairedSequenceContainer::isaPair(c.first, c.second), c.pair) << c.first << " / " << c.second;
}

TEST(PairedSequenceContainer, PairsCarryTheirNameFieldsAndAccessRaisesPastTheLastPair) {
  Alphabets a;
  auto source = makeContainer(a, {{"c1|sp|i1|a_1", "ATGAAA"}, {"c1|sp|i1|a_2", "ATGCCC"}, {"c1|sp|i2|a_1", "ATGGGG"},
                                  {"c1|sp|i2|a_2", "ATGTTT"}});
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  ASSERT_EQ(pairs.get_nb_pair(), 2u);
  EXPECT_EQ(pairs.get_pair(1)->getGeneralComments(), (std::vector<std::string>{"c1", "sp", "i2"}));
  EXPECT_EQ(pairs.get_pair(0)->valueAt(1, 1), a.codon.charToInt("CCC"));

  try {
    pairs.get_pair(pairs.get_nb_pair());
    FAIL() << "no exception";
  } catch (const bpp::Exception& e) {
    EXPECT_STREQ(e.what(), "Requested pair doesn't exist the container");
  }

  EXPECT_EQ(pairs.next_pair(), pairs.get_pair(0));
  EXPECT_EQ(pairs.next_pair(), pairs.get_pair(1));
  EXPECT_EQ(pairs.get_current_position(), 2u);
  try {
    pairs.next_pair();
    FAIL() << "no exception";
  } catch (const bpp::Exception& e) {
    EXPECT_STREQ(e.what(), "There is no more pair in the container");
  }
  EXPECT_EQ(pairs.get_current_position(), 2u);
  pairs.reset_index_position();
  EXPECT_EQ(pairs.next_pair(), pairs.get_pair(0));
}

TEST(PairedSequenceContainer, DecodedRowsReadAsGetNPositionOnRandomContigs) {
  Alphabets a;
  std::mt19937 rng(11);
  for (int round = 0; round < 20; ++round) {
    auto source = makeContainer(a, focaltest::randomContig(rng, 8, 30));
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    ASSERT_EQ(pairs.get_nb_sites(), source->getNumberOfSites());
    for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i)
      for (unsigned int allele = 0; allele < 2; ++allele)
        for (size_t s = 0; s < pairs.get_nb_sites(); ++s)
          for (size_t k = 0; k < 3; ++k)
            ASSERT_EQ(pairs.get_allele_row(i, allele)[3 * s + k],
                      a.codon.getNPosition(pairs.get_pair(i)->valueAt(allele, s), k));
  }
}

}  // namespace
