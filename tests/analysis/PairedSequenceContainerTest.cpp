#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>

#include <array>
#include <random>

#include "TestSupport.h"
#include "analysis/PairedSequenceContainer.h"

namespace {

using testsupport::Alphabets;

TEST(PairedSequenceContainer, PairingRuleOnNameLists) {
  Alphabets a;
  const struct {
    std::vector<std::string> names;
    std::string pairs;  // index pairs of the source, in pair order
    std::vector<std::string> pairNames;
  } cases[] = {
      {{}, "", {}},
      {{"c1|sp|i1|a_1"}, "", {}},
      {{"c1|sp|i1|a_1", "c1|sp|i1|a_2"}, "01", {"i1"}},
      {{"c|s|A|a_1", "c|s|B|a_1", "c|s|A|a_2", "c|s|B|a_2"}, "02 13", {"A", "B"}},
      {{"c|s|A|a_1", "c|s|A|a_2", "c|s|A|a_3"}, "01", {"A"}},
      {{"c|s|A|a_1", "c|s|A|a_2", "c|s|A|a_3", "c|s|A|a_4"}, "01 23", {"A", "A"}},
      {{"c|s|A|a_1", "c|s|B|a_1", "c|s|A|a_2", "c|s|B|a_2", "c|s|A|a_3"}, "02 13 24", {"A", "B", "A"}},
      {{"c|s|A|1", "c|s|A|2"}, "", {}},                           // no "_"
      {{"_c|s|A|1", "_c|s|A|2"}, "", {}},                         // "_" only first
      {{"c|Sp_x|A|1", "c|Sp_x|B|1"}, "01", {"A"}},                // last "_" in the species field
      {{"c|s|A|a_1", "c|s|B|a_1", "c|s|C|a_1", "c|s|A|a_2"}, "03", {"A"}},
  };
  for (const auto& c : cases) {
    testsupport::Records seqs;
    for (const std::string& n : c.names) seqs.push_back({n, "ATGAAA"});
    auto source = testsupport::makeContainer(a.codon, seqs);
    mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
    std::string formed;
    for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i) {
      bpp::PolymorphismSequenceContainer* p = pairs.get_pair(i);
      ASSERT_EQ(p->getNumberOfSequences(), 2u);
      for (size_t k = 0; k < 2; ++k)
        for (size_t s = 0; s < c.names.size(); ++s)
          if (std::string(p->getName(k)) == c.names[s]) formed += std::to_string(s);
      formed += " ";
    }
    EXPECT_EQ(formed, c.pairs.empty() ? "" : c.pairs + " ") << c.names.size();
    EXPECT_EQ(pairs.get_pair_names(), c.pairNames);
  }
}

// The pairs formed in one pass are those of the pairing loop over every later sequence, on random
// name lists (repeated individuals and names, names without a usable "_").
TEST(PairedSequenceContainer, PairsFormedInOnePassAreThoseOfTheLoopOverLaterSequences) {
  std::mt19937 rng(11);
  const std::vector<std::string> stems = {"c|s|A|a_", "c|s|B|a_", "c|s_x|C|", "c|s|D|", "_", ""};
  for (int trial = 0; trial < 300; ++trial) {
    std::vector<std::string> names(std::uniform_int_distribution<size_t>(0, 12)(rng));
    for (std::string& name : names)
      name = stems[std::uniform_int_distribution<size_t>(0, stems.size() - 1)(rng)] +
             std::to_string(std::uniform_int_distribution<int>(1, 3)(rng));
    std::vector<std::array<size_t, 2> > expected;
    std::string last_paired;
    for (size_t i = 0; i < names.size(); ++i)
      for (size_t j = i + 1; j < names.size() && names[i] != last_paired; ++j)
        if (mrv::PairedSequenceContainer::isaPair(names[i], names[j])) {
          expected.push_back({i, j});
          last_paired = names[j];
          break;
        }
    EXPECT_EQ(mrv::PairedSequenceContainer::formPairs(names), expected) << testing::PrintToString(names);
  }
}

TEST(PairedSequenceContainer, PairsHoldTheSourceSequencesOfDistinctNames) {
  Alphabets a;
  auto source = testsupport::makeContainer(a.codon, testsupport::diploids({"i1=ATGAAA/ATGCCC", "i2=ATGGGG/ATGTTT"}));
  mrv::PairedSequenceContainer pairs(source.get(), &a.codon, "|", 3);
  for (size_t k = 0; k < 4; ++k) {  // the source's sequences, count 1
    const bpp::Sequence& made = pairs.get_pair(k / 2)->getSequence(k % 2);
    EXPECT_EQ(made.getName() + made.toString(), source->getName(k) + source->toString(k));
    EXPECT_EQ(pairs.get_pair(k / 2)->getSequenceCount(k % 2), 1u);
  }
  EXPECT_THROW(pairs.get_pair(2), bpp::Exception);
  // two sequences of one name cannot share a pair container
  bpp::PolymorphismSequenceContainer twice(&a.codon);
  for (int k = 0; k < 2; ++k) twice.addSequenceWithFrequency(source->getSequence(0), 1, false);
  EXPECT_THROW(mrv::PairedSequenceContainer(&twice, &a.codon, "|", 3), bpp::Exception);
}

}  // namespace
