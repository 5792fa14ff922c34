#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ContainerTestSupport.h"
#include "TestSupport.h"
#include "input/AlignmentFileManagement.h"

namespace {

using inputtest::Records;
using Lines = std::vector<std::string>;

struct Options {
  unsigned int min_nb_codon = 10;
  unsigned int tolerance_zone = 20;
  bool allow_internal = false;
  unsigned int min_gapN_site = 10;
  double max_gapN_seq = 0.5;
  bool debug = false;
  std::string outgroup = "none";
};

struct Cleaned {
  std::vector<size_t> kept;  // positions in the input list
  Lines lines;
  std::vector<std::unique_ptr<bpp::PolymorphismSequenceContainer>> containers;
};

Cleaned clean(const inputtest::Alphabets& a, const std::vector<Records>& contigs, const Options& o) {
  Cleaned c;
  std::vector<bpp::PolymorphismSequenceContainer*> input;
  for (const Records& r : contigs) {
    c.containers.push_back(inputtest::makeContainer(r, &a.codon));
    input.push_back(c.containers.back().get());
  }
  inputtest::CoutCapture cap;
  const auto kept = mrv::AlignmentFileManagement::cleanMultiContainer(
      input, &a.codon, "SpA", o.min_nb_codon, o.tolerance_zone, o.allow_internal, o.min_gapN_site,
      o.max_gapN_seq, o.debug, o.outgroup);
  for (auto* k : kept)
    for (size_t i = 0; i < input.size(); ++i)
      if (input[i] == k) c.kept.push_back(i);
  c.lines = testsupport::splitLines(cap.text());
  return c;
}

Records sequences(const std::string& contig, const std::string& species, int count,
                  const std::string& text, int first = 0) {
  Records r;
  for (int i = first; i < first + count; ++i)
    r.push_back({contig + "|" + species + "|ind" + std::to_string(i) + "|1", text});
  return r;
}

Records operator+(Records a, const Records& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::string codons(const std::string& codon, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += codon;
  return s;
}

const char* kNotEnough =
    "   --> Warning: Not enough data available after cleaning (stop, gap and N) ! Current dataset "
    "won't be conserved !";

TEST(ContigCleaning, DefaultOptions) {
  inputtest::Alphabets a;
  const std::string gapped = codons("---", 18) + codons("ACG", 12);  // 60 % gaps
  const std::vector<Records> contigs = {
      // too few focal sequences: every site goes for lack of 10 resolved focal codons
      sequences("C1", "SpA", 4, codons("AAA", 12)),
      // other species only
      sequences("C2", "SpC", 3, codons("AAA", 12)),
      // a stop codon in the core (the zones are codons 1 to 20 and 31 to 50)
      sequences("C3", "SpA", 9, codons("AAA", 50)) +
          Records{{"C3|SpA|x|1", codons("AAA", 24) + "TAG" + codons("AAA", 25)}},
      // other species dropped, a gapped focal sequence dropped, the rest kept
      sequences("C1", "SpA", 10, codons("CCC", 30)) + sequences("C1", "SpC", 2, codons("CCC", 30)) +
          Records{{"C1|SpA|gapped|1", gapped}},
  };
  const Cleaned c = clean(a, contigs, Options());
  EXPECT_EQ(c.kept, (std::vector<size_t>{3}));
  EXPECT_EQ(c.lines,
            (Lines{" -> Dataset 1 (C1):",
                   "   --> Original number of sequences : 4 sequence(s) (Ingroup: 4, Outgroup: 0, Other: 0)",
                   "   --> Original number of sites: 12 site(s)",
                   kNotEnough,
                   "",
                   " -> Dataset 2 (C2):",
                   "   --> Original number of sequences : 3 sequence(s) (Ingroup: 0, Outgroup: 0, Other: 3)",
                   "   --> Original number of sites: 12 site(s)",
                   kNotEnough,
                   "",
                   " -> Dataset 3 (C3):",
                   "   --> Original number of sequences : 10 sequence(s) (Ingroup: 10, Outgroup: 0, Other: 0)",
                   "   --> Original number of sites: 50 site(s)",
                   "   --> Warning: At least one internal Stop/Frameshift codon has been detected ! Current dataset won't be conserved !",
                   "",
                   " -> Dataset 4 (C1):",
                   "   --> Original number of sequences : 13 sequence(s) (Ingroup: 11, Outgroup: 0, Other: 2)",
                   "   --> Original number of sites: 30 site(s)",
                   "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): 10 sequence(s), 30 site(s)",
                   ""}));
  // The rejected core-stop contig is left untouched; the kept one holds only focal sequences.
  EXPECT_EQ(c.containers[2]->getNumberOfSites(), 50u);
  const auto& kept = *c.containers[3];
  for (size_t i = 0; i < kept.getNumberOfSequences(); ++i) {
    EXPECT_EQ(kept.getGroupId(i), 0u);
    EXPECT_TRUE(kept.isIngroupMember(i));
  }
}

TEST(ContigCleaning, ToleratedCoreStopIsReplacedThenRemoved) {
  inputtest::Alphabets a;
  Options o;
  o.allow_internal = true;
  o.min_gapN_site = 1;
  o.min_nb_codon = 5;
  o.tolerance_zone = 2;
  const Records r = {{"C5|SpA|a|1", "AAACCCGGGTTTTAAACGAAAAAAAAAAAA"},
                     {"C5|SpA|a|2", "!!!CCCGGGTTTAAAACGAAAAAAAAAAAA"}};
  const Cleaned c = clean(a, {r}, o);
  EXPECT_EQ(c.kept, (std::vector<size_t>{0}));
  EXPECT_EQ(c.lines,
            (Lines{" -> Dataset 1 (C5):",
                   "   --> Original number of sequences : 2 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 0)",
                   "   --> Original number of sites: 10 site(s)",
                   "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): 2 sequence(s), 8 site(s)",
                   ""}));
  EXPECT_EQ(c.containers[0]->toString(0), "CCCGGGTTTACGAAAAAAAAAAAA");
  EXPECT_EQ(c.containers[0]->toString(1), "CCCGGGTTTACGAAAAAAAAAAAA");
}

TEST(ContigCleaning, OutgroupRules) {
  inputtest::Alphabets a;
  Options o;
  o.outgroup = "SpB";
  o.min_gapN_site = 2;
  o.min_nb_codon = 1;
  Cleaned c = clean(a,
                    {sequences("C6", "SpA", 2, "AAACCC"),
                     sequences("C7", "SpA", 2, "AAACCC") + sequences("C7", "SpB", 1, "---CCC")},
                    o);
  EXPECT_EQ(c.kept, (std::vector<size_t>{1}));
  EXPECT_EQ(c.lines,
            (Lines{" -> Dataset 1 (C6):",
                   "   --> Original number of sequences : 2 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 0)",
                   "   --> Original number of sites: 2 site(s)",
                   "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): 2 sequence(s), 2 site(s)",
                   "   --> Warning: There is no more sequence of the specified outgroup species (SpB) ! Current dataset won't be conserved !",
                   "",
                   " -> Dataset 2 (C7):",
                   "   --> Original number of sequences : 3 sequence(s) (Ingroup: 2, Outgroup: 1, Other: 0)",
                   "   --> Original number of sites: 2 site(s)",
                   "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): 3 sequence(s), 2 site(s)",
                   ""}));
  EXPECT_EQ(c.containers[1]->getGroupId(2), 1u);

  // With no resolved focal codon required, a contig whose only focal sequence goes for its gaps
  // keeps two outgroup sequences and is refused for want of focal ones.
  o.min_gapN_site = 0;
  c = clean(a, {Records{{"C8|SpA|a|1", "------"}} + sequences("C8", "SpB", 2, "AAACCC")}, o);
  EXPECT_TRUE(c.kept.empty());
  EXPECT_EQ(c.lines,
            (Lines{" -> Dataset 1 (C8):",
                   "   --> Original number of sequences : 3 sequence(s) (Ingroup: 1, Outgroup: 2, Other: 0)",
                   "   --> Original number of sites: 2 site(s)",
                   "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): 2 sequence(s), 2 site(s)",
                   "   --> Warning: There is no more ingroup's sequence ! Current dataset won't be conserved !",
                   ""}));
}

TEST(ContigCleaning, ZeroCodonsKeptWhenNoMinimumAndDebugLinesInOrder) {
  inputtest::Alphabets a;
  Options o;
  o.min_nb_codon = 0;
  o.debug = true;
  const Cleaned c = clean(a, {{{"C9|SpA|a|1", "AAACCCTAA"}, {"C9|SpA|a|2", "AAACCCAAA"}}}, o);
  EXPECT_EQ(c.kept, (std::vector<size_t>{0}));
  const std::string tag = "(DEBUG - tagAllSequences) Sequence: C9|SpA|a|";
  const std::string member = "(DEBUG - getNumberOfMembers) ";
  EXPECT_EQ(c.lines,
            (Lines{tag + "1 is part of the ingroup",
                   tag + "2 is part of the ingroup",
                   member + "Sequence C9|SpA|a|1 is a member of group 0",
                   member + "Sequence C9|SpA|a|2 is a member of group 0",
                   member + "Number of groups: 1",
                   member + "Group 0: 2 member(s)",
                   " -> Dataset 1 (C9):",
                   "   --> Original number of sequences : 2 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 0)",
                   "   --> Original number of sites: 3 site(s)",
                   "(DEBUG - dealWithBadCodons) Stop codon (Int Code: 48) detected in the tolerance zone (left side) ! (Position: 3 - Sequence: 1)",
                   "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (left side): ignoring first 3 codons",
                   tag + "1 is part of the ingroup",
                   tag + "2 is part of the ingroup",
                   "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): 2 sequence(s), 0 site(s)",
                   member + "Sequence C9|SpA|a|1 is a member of group 0",
                   member + "Sequence C9|SpA|a|2 is a member of group 0",
                   member + "Number of groups: 1",
                   member + "Group 0: 2 member(s)",
                   ""}));
}

TEST(ContigCleaning, TwoResolvedFocalSequencesSuffice) {
  inputtest::Alphabets a;
  Options o;
  o.min_gapN_site = 2;
  const Cleaned c = clean(a, {sequences("C10", "SpA", 2, codons("GAC", 12))}, o);
  EXPECT_EQ(c.kept, (std::vector<size_t>{0}));
  EXPECT_EQ(c.lines[3],
            "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): 2 sequence(s), 12 site(s)");
}

}  // namespace
