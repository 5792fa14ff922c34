#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/DNA.h>
#include <Bpp/Text/StringTokenizer.h>

#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "TestSupport.h"
#include "input/PolymorphismSequenceContainerAddons.h"
#include "core/FatalError.h"

namespace {

using Addons = mrv::PolymorphismSequenceContainerAddons;
using testsupport::Lines;
using testsupport::Records;

TEST(PolymorphismSequenceContainerAddons, NameGettersThrowOnBadIndexOrEmptyContainer) {
  testsupport::Alphabets a;
  auto one = testsupport::makeContainer(a.codon, Records{{"a", "AAA"}}), empty = testsupport::makeContainer(a.codon, Records());
  const struct {
    std::function<void()> call;
    bool warning;
    std::string message;
  } cases[] = {
      {[&] { Addons::getIndividualNameFromContainer(one.get(), 1); }, false, "Selected index does not exists in the container !!"},
      {[&] { Addons::getContigNameFromContainer(empty.get(), 0); }, false, "Selected container is empty ! Contig name can't be extracted !"},
      {[&] { Addons::getSpeciesNameFromContainer(empty.get(), 0); }, false, "Selected container is empty ! Species name can't be extracted !"},
      {[&] { Addons::getIndividualNameFromContainer(empty.get(), 0); }, true, "Selected container is empty ! Individual name can't be extracted !"},
      {[&] { Addons::getNameElementsFromContainer(one.get(), "|", 1, 2); }, false, "Selected index does not exists in the container !!"},
      {[&] { Addons::getNameElementsFromContainer(empty.get(), "|", 0, 3); }, true, "Selected container is empty ! Individual name can't be extracted !"},
      {[&] { Addons::getContigNameFromContainer(mrv::CompactContig(*empty), 0); }, false, "Selected container is empty ! Contig name can't be extracted !"},
      {[&] { Addons::getContigNameFromContainer(mrv::CompactContig(*one), 1); }, false, "Selected index does not exists in the container !!"},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << "no FatalError: " << c.message;
    } catch (const FatalError& e) {
      EXPECT_EQ(e.message(), c.message);
      EXPECT_TRUE(e.report() == (c.warning ? FatalError::Report::kWarning : FatalError::Report::kError) &&
                  e.status() == 1 && !e.goodbye()) << c.message;
    }
  }
}

// On names of every shape (empty fields, leading and trailing "|", fewer fields than asked) the
// fields read are the tokenizer's.
TEST(PolymorphismSequenceContainerAddons, NameFieldsAreTheTokenizers) {
  std::mt19937 rng(11);
  const std::string letters = "ab|_";
  for (int trial = 0; trial < 3000; ++trial) {
    std::string name;
    for (int k = std::uniform_int_distribution<int>(1, 12)(rng); k > 0; --k)
      name += letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(rng)];
    bpp::StringTokenizer tokens(name, "|", false, false);
    const size_t count = tokens.numberOfRemainingTokens();
    SCOPED_TRACE(name);
    if (count == 0) {
      EXPECT_THROW(Addons::getContigNameFromName(name), bpp::Exception);
      EXPECT_THROW(Addons::getIndividualNameFromName(name), bpp::Exception);
      continue;
    }
    EXPECT_EQ(tokens.getToken(0), Addons::getContigNameFromName(name));
    EXPECT_EQ(tokens.getToken(count >= 2 ? 1 : 0), Addons::getSpeciesNameFromName(name));
    EXPECT_EQ(tokens.getToken(count >= 3 ? 2 : 0), Addons::getIndividualNameFromName(name));
    std::vector<std::string> fields;
    for (size_t k = 0; k < std::min<size_t>(count, 3); ++k) fields.push_back(tokens.getToken(k));
    EXPECT_EQ(fields, Addons::getNameElementsFromName(name, "|", 3));
  }
}

// The cleaning steps, in their compact form: the contig is given as code rows, sequences s0, s1, ...

using Rows = testsupport::CodeRows;

mrv::CompactContig compactOf(const testsupport::Alphabets& a, const Rows& rows) {
  return mrv::CompactContig(*testsupport::makeCodeContainer(a.codon, rows));
}

Rows rowsOf(const mrv::CompactContig& c) {
  Rows rows;
  for (size_t i = 0; i < c.nb_sequences(); ++i) rows.emplace_back(c.row(i), c.row(i) + c.nb_sites());
  return rows;
}

Lines linesOf(const std::ostringstream& out) { return testsupport::splitLines(out.str()); }

// Three sequences of n codons; column p holds codon (p - 1) % 48 (never a stop) but where a case puts
// a stop or frameshift codon {sequence, position, code}.
TEST(PolymorphismSequenceContainerAddons, BadCodonZones) {
  testsupport::Alphabets a;
  const mrv::CodonCodeFacts codons(&a.codon);
  const struct {
    int n;
    unsigned int zone;
    bool allow;
    std::vector<std::vector<int>> bad;
    bool reject;
    int first, last;           // original columns kept (none when first > last)
    std::set<int> unresolved;  // kept columns turned into "NNN"
  } cases[] = {
      {30, 10, false, {{0, 10, 48}}, false, 11, 30, {}},               // left zone: the first 10 go
      {30, 10, false, {{1, 21, 50}}, false, 1, 20, {}},                // right zone: the last 10 go
      {30, 10, false, {{2, 11, 56}}, true, 1, 30, {}},                 // core, rejected
      {30, 10, true, {{2, 11, 56}}, false, 1, 30, {11}},               // core, replaced
      {30, 20, false, {{0, 20, 48}, {1, 21, 48}}, false, 1, 0, {}},    // zones overlap: no site left
      {5, 20, false, {{0, 5, 64}}, false, 1, 0, {}},                   // zone wider than the alignment
      {30, 0, true, {{0, 1, 48}, {1, 30, 64}}, false, 1, 30, {1, 30}}, // no zone: all core
      {30, 5, false, {{0, 27, 48}, {0, 29, 48}}, false, 1, 26, {}},    // the first right-zone codon counts
      {30, 5, true, {{0, 25, 48}}, false, 1, 30, {25}},                // just before the right zone
      {30, 10, false, {{0, 2, 48}, {1, 11, 48}, {2, 29, 48}}, true, 1, 30, {}},  // rejected untouched
      {30, 4294967295u, true, {{0, 1, 48}}, false, 1, 30, {1}},        // negative zone: all core
      {30, 10, true, {{0, 11, 48}, {1, 11, 64}}, false, 1, 30, {11}},  // replaced column seen by later ones
  };
  int label = 0;
  for (const auto& k : cases) {
    ++label;
    Rows values(3, std::vector<int>(k.n));
    for (auto& row : values)
      for (int p = 1; p <= k.n; ++p) row[p - 1] = (p - 1) % 48;
    for (const auto& b : k.bad) values[b[0]][b[1] - 1] = b[2];
    mrv::CompactContig contig = compactOf(a, values);
    EXPECT_EQ(Addons::dealWithBadCodons(contig, codons, k.zone, k.allow, false), k.reject) << label;
    const int kept = k.first > k.last ? 0 : k.last - k.first + 1;
    ASSERT_EQ(contig.nb_sites(), static_cast<size_t>(kept)) << label;
    for (int j = 0; j < kept; ++j)
      for (size_t s = 0; s < 3; ++s)
        EXPECT_EQ(contig.row(s)[j], k.unresolved.count(k.first + j) ? 65 : values[s][k.first + j - 1])
            << label << " column " << k.first + j;
  }
}

TEST(PolymorphismSequenceContainerAddons, BadCodonDebugLines) {
  testsupport::Alphabets a;
  Rows values(3, std::vector<int>(30, 0));
  values[0][1] = values[0][26] = values[0][28] = 48;  // positions 2, 27 and 29 of sequence 1
  values[1][11] = 64;                                  // position 12 of sequence 2
  mrv::CompactContig contig = compactOf(a, values);
  std::ostringstream out;
  EXPECT_FALSE(Addons::dealWithBadCodons(contig, mrv::CodonCodeFacts(&a.codon), 5, true, true, out));
  const std::string found = "(DEBUG - dealWithBadCodons) ";
  EXPECT_EQ(linesOf(out),
            Lines({found + "Stop codon (Int Code: 48) detected in the tolerance zone (left side) ! (Position: 2 - Sequence: 1)",
                   found + "Stop codon (Int Code: 48) detected in the tolerance zone (right side) ! (Position: 27 - Sequence: 1)",
                   found + "FrameShift codon (Int Code: 64) detected in the core part of the sequence ! (Position: 12 - Sequence: 2)",
                   "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (left "
                   "side): ignoring first 2 codons",
                   "(DEBUG - removeRightBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (right "
                   "side): ignoring last 4 codons"}));
  EXPECT_EQ(contig.nb_sites(), 24u);
  EXPECT_EQ(contig.row(2)[9], 65);  // column 12
}

// A trim of more sites than the contig holds prints its line and throws, the contig and the
// container left whole; a negative count trims nothing and prints nothing.
TEST(PolymorphismSequenceContainerAddons, TrimsBeyondTheContig) {
  testsupport::Alphabets a;
  const Rows values = {{0, 1, 2}, {3, 4, 5}};
  for (bool right : {false, true}) {
    SCOPED_TRACE(right ? "right" : "left");
    mrv::CompactContig contig = compactOf(a, values);
    std::ostringstream out;
    auto trim = [&](int n) {
      if (right)
        Addons::removeRightBadSites(contig, n, true, out);
      else
        Addons::removeLeftBadSites(contig, n, true, out);
    };
    EXPECT_THROW(trim(4), bpp::IndexOutOfBoundsException);
    trim(-1);
    EXPECT_EQ(rowsOf(contig), values);
    EXPECT_EQ(linesOf(out).size(), 1u);
    auto container = testsupport::makeCodeContainer(a.codon, values);
    EXPECT_THROW(right ? Addons::removeRightBadSites(container.get(), 4, false)
                       : Addons::removeLeftBadSites(container.get(), 4, false),
                 bpp::IndexOutOfBoundsException);
    EXPECT_EQ(container->getNumberOfSites(), 3u);
    trim(3);
    EXPECT_EQ(contig.nb_sites(), 0u);
  }
}

// Sequences s0 to s2 are ingroup, s3 outgroup. Gap-or-N codons of the ingroup per site: 0, 1, 3, 1.
TEST(PolymorphismSequenceContainerAddons, HighlyGappedSites) {
  testsupport::Alphabets a;
  const Rows values = {{0, -1, 65, 0}, {0, 0, 65, -1}, {0, 0, 65, 0}, {-1, -1, -1, -1}};
  auto gone = [](int site, int gapped) {
    return "(DEBUG - removeHighlyGappedSites) Site number " + std::to_string(site) + " will be removed (" +
           std::to_string(gapped) + " sequence(s) with too much gaps or N bases)";
  };
  const struct {
    unsigned int g, m;
    bool ingroup;  // false: no sequence is ingroup
    std::vector<int> kept;
    Lines lines;
  } cases[] = {
      {3, 0, true, {0, 1, 2, 3}, {}},
      {3, 1, true, {0, 1, 3}, {gone(2, 3)}},
      {3, 3, true, {0}, {gone(3, 1), gone(2, 3), gone(1, 1)}},
      {3, 4, true, {}, {gone(3, 1), gone(2, 3), gone(1, 1), gone(0, 0)}},  // more than the ingroup holds
      {0, 1, false, {}, {gone(3, 0), gone(2, 0), gone(1, 0), gone(0, 0)}},  // no ingroup sequence
  };
  for (const auto& c : cases) {
    mrv::CompactContig contig = compactOf(a, values);
    for (size_t i = 0; i < 4; ++i) contig.set_tag(i, i < 3 && c.ingroup ? 0 : 1, i < 3 && c.ingroup);
    std::ostringstream out;
    Addons::removeHighlyGappedSites(contig, mrv::CodonCodeFacts(&a.codon), c.g, c.m, true, out);
    Rows expected(4);
    for (size_t i = 0; i < 4; ++i)
      for (int j : c.kept) expected[i].push_back(values[i][static_cast<size_t>(j)]);
    EXPECT_EQ(rowsOf(contig), expected) << c.m;
    EXPECT_EQ(linesOf(out), c.lines) << c.m;
  }
}

// A share equal to the maximum stays; the share prints with six significant digits; without any site
// no share is above the maximum.
TEST(PolymorphismSequenceContainerAddons, HighlyGappedSequences) {
  testsupport::Alphabets a;
  const std::string gone = "(DEBUG - removeHighlyGappedSequences) Sequence ";
  const struct {
    Rows values;
    double max_share;
    std::vector<std::string> kept;
    Lines lines;
  } cases[] = {
      {{{0, -1, 65, 0}, {0, -1, 65, -1}, {-1, -1, -1, -1}}, 0.5, {"s0"},
       {gone + "s2 will be removed (100 % of gaps or N bases)", gone + "s1 will be removed (75 % of gaps or N bases)"}},
      {{{0, 65, 0}, {0, 0, 0}}, 0.3, {"s1"}, {gone + "s0 will be removed (33.3333 % of gaps or N bases)"}},
      {{{}, {}}, 0.0, {"s0", "s1"}, {}},
  };
  for (const auto& c : cases) {
    mrv::CompactContig contig = compactOf(a, c.values);
    std::ostringstream out;
    Addons::removeHighlyGappedSequences(contig, mrv::CodonCodeFacts(&a.codon), c.max_share, true, out);
    EXPECT_EQ(contig.names(), c.kept);
    EXPECT_EQ(linesOf(out), c.lines);
  }
}

// Tagging: the focal test first, the outgroup name compared as it is ("none" too); counts per group
// present.
TEST(PolymorphismSequenceContainerAddons, TagsAndCounts) {
  testsupport::Alphabets a;
  auto container = testsupport::makeContainer(a.codon, Records{{"C|SpA|i|1", "AAA"}, {"C|none|j|1", "AAA"},
                                                                {"C|SpB|k|1", "AAA"}, {"C|SpB|k|2", "AAA"}});
  mrv::CompactContig contig(*container);
  std::ostringstream out;
  Addons::tagAllSequences(contig, "SpA", true, "none", out);
  EXPECT_EQ(contig.groups(), std::vector<unsigned int>({0, 1, 2, 2}));
  EXPECT_EQ(contig.ingroup(), std::vector<char>({1, 0, 0, 0}));
  const std::string tag = "(DEBUG - tagAllSequences) Sequence: ";
  EXPECT_EQ(linesOf(out), Lines({tag + "C|SpA|i|1 is part of the ingroup",
                                 tag + "C|none|j|1 is part of the outgroup (main outgroup species)",
                                 tag + "C|SpB|k|1 is part of the outgroup (other species)",
                                 tag + "C|SpB|k|2 is part of the outgroup (other species)"}));
  Addons::tagAllSequences(contig, "SpB", false, "SpB", out);  // focal and outgroup alike: focal
  EXPECT_EQ(contig.groups(), std::vector<unsigned int>({2, 2, 0, 0}));

  std::ostringstream counted;
  const std::map<unsigned int, unsigned int> counts =
      Addons::getNumberOfMembers(contig.names(), {0, 2, 2, 0}, true, counted);
  EXPECT_EQ(counts, (std::map<unsigned int, unsigned int>{{0, 2}, {2, 2}}));
  const std::string member = "(DEBUG - getNumberOfMembers) ";
  EXPECT_EQ(linesOf(counted), Lines({member + "Sequence C|SpA|i|1 is a member of group 0",
                                     member + "Sequence C|none|j|1 is a member of group 2",
                                     member + "Sequence C|SpB|k|1 is a member of group 2",
                                     member + "Sequence C|SpB|k|2 is a member of group 0", member + "Number of groups: 2",
                                     member + "Group 0: 2 member(s)", member + "Group 2: 2 member(s)"}));

}

// Each container form edits the container it is given in place: what it keeps is read from the
// container itself. Sequences SpA a1, a2, b1 (focal), SpB o1 (outgroup), SpC x1 (other), each with
// its comments and a count, sites at positions 101 to 109, two general comments; stops in both zones
// and in the core. The console text is the compact form's on a compact copy.
TEST(PolymorphismSequenceContainerAddons, ContainerFormsEditTheContainerInPlace) {
  testsupport::Alphabets a;
  const Records records = {{"C|SpA|a|1", "AAA---TAAACGNNNAAAAAAACCTGA"}, {"C|SpA|a|2", "AAAAAAAAAACG---AAAAAAACCAAA"},
                           {"C|SpB|o|1", "CCCCCCCCCTAGCCCCCCCCCCCCCCC"}, {"C|SpC|x|1", "---------------------------"},
                           {"C|SpA|b|1", "AAA!AAAAAACGNNNAAAAAAACCAAA"}};
  const std::vector<unsigned int> counts = {3, 1, 2, 5, 1}, groups = {0, 0, 1, 2, 0};
  const bpp::Comments general = {"general 1", "general 2"};
  auto original = [&]() {
    auto container = testsupport::makeContainer(a.codon, records);
    for (size_t i = 0; i < records.size(); ++i) {
      container->setComments(i, {"comment of " + records[i].first, "second"});
      container->setSequenceCount(i, counts[i]);
      container->setGroupId(i, groups[i]);
      if (groups[i] == 0)
        container->setAsIngroupMember(i);
      else
        container->setAsOutgroupMember(i);
    }
    container->setGeneralComments(general);
    std::vector<int> positions;
    for (int p = 101; p <= 109; ++p) positions.push_back(p);
    container->setSitePositions(positions);
    return container;
  };
  const mrv::CodonCodeFacts codons(&a.codon);
  using C = bpp::PolymorphismSequenceContainer*;
  using K = mrv::CompactContig&;
  using O = std::ostream&;
  auto str = [](auto result) { return std::to_string(result); };
  const std::vector<size_t> all_sequences = {0, 1, 2, 3, 4};
  const std::vector<int> all_sites = {101, 102, 103, 104, 105, 106, 107, 108, 109};
  const struct {
    std::string step;
    std::function<std::string(C)> container_form;
    std::function<std::string(K, O)> compact_form;
    std::string result;
    std::vector<size_t> sequences;  // the original sequences kept, in order
    std::vector<int> sites;         // the positions of the sites kept, in order
    std::set<int> unresolved;       // positions of the sites turned into "NNN"
    std::vector<unsigned int> groups;  // of the kept sequences; empty: as they were
  } cases[] = {
      {"tag", [](C c) { Addons::tagAllSequences(c, "SpB", true, "SpA"); return ""; },
       [](K c, O out) { Addons::tagAllSequences(c, "SpB", true, "SpA", out); return ""; }, "", all_sequences, all_sites,
       {}, {1, 1, 0, 2, 1}},
      {"count", [&](C c) { return str(Addons::getNumberOfMembers(c, true).size()); },
       [&](K c, O out) { return str(Addons::getNumberOfMembers(c.names(), c.groups(), true, out).size()); }, "3",
       all_sequences, all_sites, {}, {}},
      {"bad codons", [&](C c) { return str(Addons::dealWithBadCodons(c, &a.codon, 2, true, true)); },
       [&](K c, O out) { return str(Addons::dealWithBadCodons(c, codons, 2, true, true, out)); }, "0", all_sequences,
       {103, 104, 105, 106, 107, 108}, {103, 104}, {}},
      {"bad codons, reject", [&](C c) { return str(Addons::dealWithBadCodons(c, &a.codon, 2, false, true)); },
       [&](K c, O out) { return str(Addons::dealWithBadCodons(c, codons, 2, false, true, out)); }, "1", all_sequences,
       all_sites, {}, {}},
      {"left", [](C c) { Addons::removeLeftBadSites(c, 3, true); return ""; },
       [](K c, O out) { Addons::removeLeftBadSites(c, 3, true, out); return ""; }, "", all_sequences,
       {104, 105, 106, 107, 108, 109}, {}, {}},
      {"right", [](C c) { Addons::removeRightBadSites(c, 2, true); return ""; },
       [](K c, O out) { Addons::removeRightBadSites(c, 2, true, out); return ""; }, "", all_sequences,
       {101, 102, 103, 104, 105, 106, 107}, {}, {}},
      {"sites", [&](C c) { Addons::removeHighlyGappedSites(c, &a.codon, 3, 3, true); return ""; },
       [&](K c, O out) { Addons::removeHighlyGappedSites(c, codons, 3, 3, true, out); return ""; }, "", all_sequences,
       {101, 103, 104, 106, 107, 108, 109}, {}, {}},
      {"sequences", [&](C c) { Addons::removeHighlyGappedSequences(c, &a.codon, 0.15, true); return ""; },
       [&](K c, O out) { Addons::removeHighlyGappedSequences(c, codons, 0.15, true, out); return ""; }, "", {1, 2, 4},
       all_sites, {}, {}},
      {"group", [](C c) { Addons::removeGroupFromContainer(c, 2, true); return ""; },
       [](K c, O out) { Addons::removeGroupFromContainer(c, 2, true, out); return ""; }, "", {0, 1, 2, 4}, all_sites,
       {}, {}},
  };
  const auto unchanged = original();  // "!AA" reads as the frameshift codon "!!!"
  for (const auto& c : cases) {
    SCOPED_TRACE(c.step);
    auto container = original();
    mrv::CompactContig contig(*container);
    std::string result;
    const Lines lines = testsupport::coutLines([&] { result = c.container_form(container.get()); });
    EXPECT_EQ(result, c.result);
    std::ostringstream out;
    c.compact_form(contig, out);
    EXPECT_EQ(lines, linesOf(out));
    EXPECT_FALSE(lines.empty());

    EXPECT_EQ(container->getGeneralComments(), general);
    std::vector<int> positions;
    for (size_t j = 0; j < container->getNumberOfSites(); ++j) positions.push_back(container->getSite(j).getPosition());
    EXPECT_EQ(positions, c.sites);
    ASSERT_EQ(container->getNumberOfSequences(), c.sequences.size());
    for (size_t k = 0; k < c.sequences.size(); ++k) {
      const size_t i = c.sequences[k];
      EXPECT_EQ(container->getName(k), records[i].first);
      EXPECT_EQ(container->getComments(k), bpp::Comments({"comment of " + records[i].first, "second"}));
      EXPECT_EQ(container->getSequenceCount(k), counts[i]);
      const unsigned int group = c.groups.empty() ? groups[i] : c.groups[i];
      EXPECT_EQ(container->getGroupId(k), group) << k;
      EXPECT_EQ(container->isIngroupMember(k), group == 0) << k;
      std::string expected;
      for (int p : c.sites)
        expected += c.unresolved.count(p) ? "NNN" : unchanged->toString(i).substr(3 * static_cast<size_t>(p - 101), 3);
      EXPECT_EQ(container->toString(k), expected) << k;
    }
  }
  auto container = testsupport::makeContainer(a.codon, records);
  const bpp::Site unknown = Addons::generateValidUnknownSite(container.get(), &a.codon);
  EXPECT_EQ(unknown.toString(), "NNNNNNNNNNNNNNN");
}

// A container of another codon alphabet (the library's own, on DNA letters, where NNN is code 64) is
// refused by every form that is given the run's codon alphabet, before any edit: without the check the
// core stop codon would become code 65, which that alphabet does not hold.
TEST(PolymorphismSequenceContainerAddons, ContainerFormsRefuseAnotherAlphabet) {
  testsupport::Alphabets a;
  bpp::DNA dna;
  bpp::CodonAlphabet other(&dna);
  const Records records = {{"C|Sp1|a|1", "AAACCCTAAGGGTTT"}, {"C|Sp1|b|1", "AAA---GGGNNNTTT"},
                           {"C|Sp1|c|1", "AAACCCGGG---TTT"}};
  const std::vector<std::pair<std::string, std::function<void(bpp::PolymorphismSequenceContainer*)>>> forms = {
      {"bad codons", [&](bpp::PolymorphismSequenceContainer* c) { Addons::dealWithBadCodons(c, &a.codon, 0, true, true); }},
      {"bad codons, reject",
       [&](bpp::PolymorphismSequenceContainer* c) { Addons::dealWithBadCodons(c, &a.codon, 1, false, true); }},
      {"sites", [&](bpp::PolymorphismSequenceContainer* c) { Addons::removeHighlyGappedSites(c, &a.codon, 3, 3, true); }},
      {"sequences",
       [&](bpp::PolymorphismSequenceContainer* c) { Addons::removeHighlyGappedSequences(c, &a.codon, 0.1, true); }},
  };
  for (const auto& form : forms) {
    SCOPED_TRACE(form.first);
    auto container = testsupport::makeContainer(other, records);
    container->setComments(1, {"of b"});
    container->setSequenceCount(2, 3);
    const Lines before = testsupport::containerLines(*container);
    Lines console;
    std::string message;
    console = testsupport::coutLines([&] {
      try {
        form.second(container.get());
      } catch (const bpp::AlphabetMismatchException& e) {
        message = e.what();
      }
    });
    EXPECT_NE(message.find(": container and codon alphabet differ (Codon(letter=DNA), " + a.codon.getAlphabetType() + ")"),
              std::string::npos)
        << message;
    EXPECT_TRUE(console.empty());
    EXPECT_EQ(testsupport::containerLines(*container), before);
    // The same container on the run's alphabet is edited.
    auto own = testsupport::makeContainer(a.codon, records);
    const Lines own_before = testsupport::containerLines(*own);
    testsupport::coutLines([&] { form.second(own.get()); });
    if (form.first != "bad codons, reject") EXPECT_NE(testsupport::containerLines(*own), own_before);
  }
}

// Random contigs through every container form: the container ends as the compact form leaves the
// compact contig, and each remaining site keeps its position with its own codons, each remaining
// sequence its comments and count (removals as ranges, as scattered sites, at either end, of a few
// sequences or of many).
TEST(PolymorphismSequenceContainerAddons, ContainerFormsAgreeWithTheCompactFormsOnRandomContigs) {
  testsupport::Alphabets a;
  const mrv::CodonCodeFacts codons(&a.codon);
  std::mt19937 rng(26);
  auto below = [&rng](size_t n) { return static_cast<size_t>(std::uniform_int_distribution<size_t>(0, n - 1)(rng)); };
  const int special[] = {-1, 65, 48, 50, 64};
  using C = bpp::PolymorphismSequenceContainer*;
  using K = mrv::CompactContig&;
  for (int round = 0; round < 300; ++round) {
    const size_t n_sequences = 1 + below(30), n_sites = 1 + below(40);
    const int zone = static_cast<int>(below(n_sites + 2)), trim = static_cast<int>(below(n_sites + 1)) - 1;
    const unsigned int group = static_cast<unsigned int>(below(3)), min_resolved = static_cast<unsigned int>(below(4));
    const double share = static_cast<double>(below(5)) / 8;
    const bool allow = below(2) == 1;
    Rows rows(n_sequences, std::vector<int>(n_sites));
    const size_t gappy = below(4);  // how often (in 8) a codon is special
    for (auto& row : rows)
      for (int& code : row) code = below(8) < gappy ? special[below(5)] : static_cast<int>(below(64));
    auto container = testsupport::makeCodeContainer(a.codon, rows);
    std::vector<int> positions;
    for (size_t j = 0; j < n_sites; ++j) positions.push_back(static_cast<int>(1000 + j));
    container->setSitePositions(positions);
    for (size_t i = 0; i < n_sequences; ++i) {
      container->setComments(i, {"of " + std::to_string(i)});
      container->setSequenceCount(i, static_cast<unsigned int>(i + 1));
      container->setGroupId(i, below(3));
      if (container->getGroupId(i) == 0)
        container->setAsIngroupMember(i);
      else
        container->setAsOutgroupMember(i);
    }
    const mrv::CompactContig original(*container);
    const std::vector<std::pair<std::function<void(C)>, std::function<void(K)>>> forms = {
        {[&](C c) { Addons::dealWithBadCodons(c, &a.codon, zone, allow, false); },
         [&](K k) { Addons::dealWithBadCodons(k, codons, zone, allow, false); }},
        {[&](C c) { Addons::removeLeftBadSites(c, trim, false); }, [&](K k) { Addons::removeLeftBadSites(k, trim, false); }},
        {[&](C c) { Addons::removeRightBadSites(c, trim, false); }, [&](K k) { Addons::removeRightBadSites(k, trim, false); }},
        {[&](C c) { Addons::removeHighlyGappedSites(c, &a.codon, 3, min_resolved, false); },
         [&](K k) { Addons::removeHighlyGappedSites(k, codons, 3, min_resolved, false); }},
        {[&](C c) { Addons::removeHighlyGappedSequences(c, &a.codon, share, false); },
         [&](K k) { Addons::removeHighlyGappedSequences(k, codons, share, false); }},
        {[&](C c) { Addons::removeGroupFromContainer(c, group, false); },
         [&](K k) { Addons::removeGroupFromContainer(k, group, false); }},
    };
    for (size_t f = 0; f < forms.size(); ++f) {
      SCOPED_TRACE("round " + std::to_string(round) + ", form " + std::to_string(f));
      auto edited = std::make_unique<bpp::PolymorphismSequenceContainer>(*container);
      mrv::CompactContig expected = original;
      forms[f].first(edited.get());
      forms[f].second(expected);
      const mrv::CompactContig got(*edited);
      ASSERT_EQ(got.names(), expected.names());
      ASSERT_EQ(got.nb_sites(), expected.nb_sites());
      ASSERT_EQ(rowsOf(got), rowsOf(expected));
      EXPECT_TRUE(got.groups() == expected.groups() && got.ingroup() == expected.ingroup() &&
                  got.counts() == expected.counts());
      int last = -1;
      for (size_t j = 0; j < edited->getNumberOfSites(); ++j) {
        const int p = edited->getSite(j).getPosition();
        ASSERT_GT(p, last);
        last = p;
        for (size_t i = 0; i < got.nb_sequences(); ++i) {
          const size_t s = static_cast<size_t>(std::stoi(got.names()[i].substr(1)));
          const int code = rows[s][static_cast<size_t>(p - 1000)];
          EXPECT_TRUE(got.row(i)[j] == code || got.row(i)[j] == 65) << j;
        }
      }
      for (size_t i = 0; i < got.nb_sequences(); ++i) {
        const std::string s = got.names()[i].substr(1);
        EXPECT_EQ(edited->getComments(i), bpp::Comments({"of " + s}));
        EXPECT_EQ(edited->getSequenceCount(i), static_cast<unsigned int>(std::stoi(s) + 1));
      }
    }
  }
}

}  // namespace
