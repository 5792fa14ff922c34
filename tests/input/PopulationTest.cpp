#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Alphabet/AlphabetTools.h>
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "input/Population.h"
#include "core/FatalError.h"

using Names = std::vector<std::string>;
using Lists = std::vector<Names>;

namespace {

std::unique_ptr<bpp::PolymorphismSequenceContainer> contig(const Names& names) {
  testsupport::Records records;
  for (const auto& n : names) records.push_back({n, "ACG"});
  return testsupport::makeContainer(bpp::AlphabetTools::DNA_ALPHABET, records);
}

}  // namespace

TEST(Population, FileFormatRules) {
  struct Case {
    const char* what;
    std::string content;
    Names names;
    Lists lists;
  };
  const std::vector<Case> cases = {
      {"comment, blank, population, name only", "#P0;x;y\n\nP1;A;B\nP2\n", {"P1"}, {{"A", "B"}}},
      {"blank then # is no comment", " #P;A\n", {" #P"}, {{"A"}}},
      {"leading and repeated ;", ";P;;A;;B;\n;;\nQ;\n", {"P"}, {{"A", "B"}}},
      {"blanks belong to names", "P 1;A B; C \n", {"P 1"}, {{"A B", " C "}}},
      {"lines defining no population may hold tabs and carriage returns", "#P\t1;A\r\n\r\nP\t2\r\nP;A\n",
       {"P"}, {{"A"}}},
      {"no final line feed", "P1;A\nP2;B", {"P1", "P2"}, {{"A"}, {"B"}}},
      {"same name twice", "P;A\nP;B\n", {"P", "P"}, {{"A"}, {"B"}}},
      {"empty file", "", {}, {}},
  };
  for (const auto& c : cases) {
    auto p = testsupport::makePopulation(c.content);
    EXPECT_EQ(p->get_population_names(), c.names) << c.what;
    EXPECT_EQ(p->get_population_list(), c.lists) << c.what;
    EXPECT_EQ(p->get_number_of_population(), c.names.size()) << c.what;
  }
}

TEST(Population, LookupsTakeTheLastMatchingPopulation) {
  auto p = testsupport::makePopulation("P0;A;B\nP1;C\nP2;A\nP0;D\n");
  EXPECT_EQ(p->get_population_id("A"), 2);
  EXPECT_EQ(p->get_population_name("A"), "P2");
  EXPECT_EQ(p->get_population_name("D"), "P0");
  EXPECT_EQ(p->get_number_of_individuals(), 5u);
  EXPECT_EQ(p->get_all_individuals(), (Names{"A", "B", "C", "A", "D"}));
  EXPECT_EQ(p->get_all_couples(), (Names{"P0|P1", "P0|P2", "P0|P0", "P1|P2", "P1|P0", "P2|P0"}));
  try {
    p->get_population_id("a");
    FAIL() << "no exception";
  } catch (const bpp::Exception& e) {
    EXPECT_STREQ(e.what(), "Individual a doesn't belong to any population !");
  }
  EXPECT_THROW(p->get_population_name("A "), bpp::Exception);
  EXPECT_TRUE(testsupport::makePopulation("P;A\n")->get_all_couples().empty());
  EXPECT_THROW(testsupport::makePopulation("")->get_population_id("A"), bpp::Exception);
}

TEST(Population, DuplicatesAreCountedPerRepeatAndDisplayed) {
  auto once = testsupport::makePopulation("P1;A;B;A\n");
  EXPECT_TRUE(once->check_for_duplicates());
  EXPECT_EQ(once->get_duplicates(), Names{"A"});

  auto thrice = testsupport::makePopulation("P1;A;B\nP2;A;C\nP3;C;A\n");
  EXPECT_TRUE(thrice->check_for_duplicates());
  EXPECT_EQ(thrice->get_duplicates(), (Names{"A", "C", "A"}));
  testing::internal::CaptureStdout();
  thrice->display_duplicates();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "WARNING!!! Duplicates has been detected in the selected population file !\n\n"
            "Here is the list of individual that exists in at least 2 populations: A C A\n\n");

  auto none = testsupport::makePopulation("North;A;B\nNorth;C\n");  // population names are not counted
  EXPECT_FALSE(none->check_for_duplicates());
  testing::internal::CaptureStdout();
  none->display_populations(false);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "The selected population file contains 2 population(s):\n\n -> Population 1: A B\n -> Population 2: C\n\n");
}

// Files the run cannot use: the FatalError's message (after "Population file " + path for a file
// that was read), reported as "ERROR!!! " + message.
TEST(Population, UnusableFilesThrowANamedError) {
  testsupport::TempDir dir;
  const std::string rule = "; names written into the tab-separated output files cannot hold tabs or line ends.";
  const std::string crlf = " ends with a carriage return, a Windows line end (CRLF)" + rule;
  const struct {
    std::string path, content, message;
  } cases[] = {
      {dir.file("missing.txt"), "", "Cannot open/read file: " + dir.file("missing.txt")},
      {dir.path(), "", "Cannot open/read file: " + dir.path()},
      {"crlf.txt", "# Windows\r\nP1;A;B\r\nP2;C\r\n",
       ", line 2 (P1;A;B\\r): the individual name \"B\\r\"" + crlf},
      {"tab.txt", "P1;A;B\nP\t2;C\n",
       ", line 2 (P\\t2;C): the population name \"P\\t2\" holds a tab" + rule},
      {"member.txt", "P1;A\tx;B\n",
       ", line 1 (P1;A\\tx;B): the individual name \"A\\tx\" holds a tab" + rule},
      {"cr.txt", "P1;A\rB;C\n",
       ", line 1 (P1;A\\rB;C): the individual name \"A\\rB\" holds a carriage return" + rule},
      {"crname.txt", "P1\r;A\n",
       ", line 1 (P1\\r;A): the population name \"P1\\r\" holds a carriage return" + rule},
  };
  for (const auto& c : cases) {
    const std::string path = c.content.empty() ? c.path : dir.write(c.path, c.content);
    try {
      mrv::Population p(path);
      ADD_FAILURE() << "no error: " << c.message;
    } catch (const FatalError& e) {
      EXPECT_EQ(e.message(), c.content.empty() ? c.message : "Population file " + path + c.message);
      EXPECT_TRUE(e.report() == FatalError::Report::kError && e.status() == 1 && !e.goodbye());
    }
  }
}

TEST(Population, DefaultPopulationFromSequenceNames) {
  auto c1 = contig({"C1|Sp1|ind2|1", "C1|Sp1|ind2|2", "C1|Sp2|out1|1", "C1|Sp1|ind10|1"});
  auto c2 = contig({"C2|Sp1|Ind3|1", "C2|Sp1|ind10|2", "C2|Sp1", "C2|Sp1|ind1", "C2||Sp1|ind9|x"});
  std::vector<bpp::PolymorphismSequenceContainer*> contigs = {c1.get(), c2.get()};
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  mrv::Population p(contigs, "Sp1");
  p.display_populations(true);
  const std::string out = testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(p.get_population_names(), Names{"All_individuals"});
  EXPECT_EQ(p.get_population_list(), (Lists{{"Ind3", "ind1", "ind10", "ind2", "ind9"}}));
  EXPECT_EQ(p.get_number_of_population(), 1u);
  EXPECT_EQ(out,
            "The following population has been extracted from your data:\n\n"
            " -> Population 1: Ind3 ind1 ind10 ind2 ind9\n\n");
  EXPECT_EQ(err,
            "ERROR!!! The name of dataset 1 contains less than 3 elements separated by a | (pipe) character !\n"
            "Global population can't be generated !\n");

  auto other = contig({"C1|Sp2|a|1"});
  std::vector<bpp::PolymorphismSequenceContainer*> others = {other.get()};
  testing::internal::CaptureStderr();
  mrv::Population empty(others, "Sp1");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR!!! There is no focal individuals in the selected PolymorphismSequenceContainer\n");
  EXPECT_TRUE(empty.get_population_list().empty());
  EXPECT_EQ(empty.get_number_of_population(), 1u);
  EXPECT_TRUE(empty.get_all_couples().empty());
}
