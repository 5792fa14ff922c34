#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>

#include "ContainerTestSupport.h"
#include "input/AlignmentFileManagement.h"

namespace {

using inputtest::Lines;
using inputtest::Records;

struct Options {
  unsigned int min_nb_codon = 10, tolerance_zone = 20;
  bool allow_internal = false;
  unsigned int min_gapN_site = 10;
  bool debug = false;
  std::string outgroup = "none";
};

// Cleans the contigs (focal species SpA, at most half gap-or-N codons per sequence); returns the
// positions of the kept ones and fills the console lines.
std::vector<size_t> clean(const std::vector<Records>& contigs, const Options& o, Lines& lines,
                          std::vector<std::unique_ptr<bpp::PolymorphismSequenceContainer>>* keep = nullptr) {
  static const inputtest::Alphabets a;
  std::vector<std::unique_ptr<bpp::PolymorphismSequenceContainer>> owned;
  std::vector<bpp::PolymorphismSequenceContainer*> input;
  for (const Records& r : contigs) {
    owned.push_back(inputtest::makeContainer(r, &a.codon));
    input.push_back(owned.back().get());
  }
  std::vector<bpp::PolymorphismSequenceContainer*> kept;
  lines = inputtest::coutLines([&] {
    kept = mrv::AlignmentFileManagement::cleanMultiContainer(input, &a.codon, "SpA", o.min_nb_codon, o.tolerance_zone,
                                                             o.allow_internal, o.min_gapN_site, 0.5, o.debug, o.outgroup);
  });
  std::vector<size_t> positions;
  for (auto* k : kept) positions.push_back(std::find(input.begin(), input.end(), k) - input.begin());
  if (keep) *keep = std::move(owned);
  return positions;
}

Records sequences(const std::string& contig, const std::string& species, int count, const std::string& text) {
  Records r;
  for (int i = 0; i < count; ++i) r.push_back({contig + "|" + species + "|i" + std::to_string(i) + "|1", text});
  return r;
}
Records operator+(Records a, const Records& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
std::string times(const std::string& codon, int count) {
  std::string s;
  while (count-- > 0) s += codon;
  return s;
}
Lines head(int k, const std::string& name, const std::string& counts, int sites) {
  return {" -> Dataset " + std::to_string(k) + " (" + name + "):",
          "   --> Original number of sequences : " + counts, "   --> Original number of sites: " + std::to_string(sites) + " site(s)"};
}
Lines operator+(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
const std::string kConserved = "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): ";
const std::string kNotEnough =
    "   --> Warning: Not enough data available after cleaning (stop, gap and N) ! Current dataset won't be conserved !";

TEST(ContigCleaning, DefaultOptions) {
  const std::vector<Records> contigs = {
      sequences("C1", "SpA", 4, times("AAA", 12)),  // too few focal sequences for 10 resolved codons a site
      sequences("C2", "SpC", 3, times("AAA", 12)),  // other species only
      // a stop codon in the core (the zones are codons 1 to 20 and 31 to 50)
      sequences("C3", "SpA", 9, times("AAA", 50)) + Records{{"C3|SpA|x|1", times("AAA", 24) + "TAG" + times("AAA", 25)}},
      // other species dropped, a focal sequence with 60 % gaps dropped, the rest kept
      sequences("C1", "SpA", 10, times("CCC", 30)) + sequences("C1", "SpC", 2, times("CCC", 30)) +
          Records{{"C1|SpA|gapped|1", times("---", 18) + times("ACG", 12)}}};
  Lines lines;
  std::vector<std::unique_ptr<bpp::PolymorphismSequenceContainer>> all;
  EXPECT_EQ(clean(contigs, Options(), lines, &all), std::vector<size_t>({3}));
  EXPECT_EQ(lines,
            (head(1, "C1", "4 sequence(s) (Ingroup: 4, Outgroup: 0, Other: 0)", 12) + Lines{kNotEnough, ""} +
                head(2, "C2", "3 sequence(s) (Ingroup: 0, Outgroup: 0, Other: 3)", 12) + Lines{kNotEnough, ""} +
                head(3, "C3", "10 sequence(s) (Ingroup: 10, Outgroup: 0, Other: 0)", 50) +
                Lines{"   --> Warning: At least one internal Stop/Frameshift codon has been detected ! Current dataset "
                      "won't be conserved !",
                      ""} +
                head(4, "C1", "13 sequence(s) (Ingroup: 11, Outgroup: 0, Other: 2)", 30) +
                Lines{kConserved + "10 sequence(s), 30 site(s)", ""}));
  EXPECT_EQ(all[2]->getNumberOfSites(), 50u);  // the rejected contig is untouched
  for (size_t i = 0; i < 10; ++i) EXPECT_TRUE(all[3]->getGroupId(i) == 0 && all[3]->isIngroupMember(i));
}

TEST(ContigCleaning, ToleratedCoreStopIsReplacedThenRemoved) {
  Options o;
  o.allow_internal = true;
  o.min_gapN_site = 1;
  o.min_nb_codon = 5;
  o.tolerance_zone = 2;
  Lines lines;
  std::vector<std::unique_ptr<bpp::PolymorphismSequenceContainer>> all;
  EXPECT_EQ(clean({{{"C5|SpA|a|1", "AAACCCGGGTTTTAAACGAAAAAAAAAAAA"}, {"C5|SpA|a|2", "!!!CCCGGGTTTAAAACGAAAAAAAAAAAA"}}},
                  o, lines, &all),
            std::vector<size_t>({0}));
  EXPECT_EQ(lines, (head(1, "C5", "2 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 0)", 10) +
                       Lines{kConserved + "2 sequence(s), 8 site(s)", ""}));
  EXPECT_EQ(all[0]->toString(0) + all[0]->toString(1), times("CCCGGGTTTACGAAAAAAAAAAAA", 2));
}

TEST(ContigCleaning, OutgroupRules) {
  Options o;
  o.outgroup = "SpB";
  o.min_gapN_site = 2;
  o.min_nb_codon = 1;
  Lines lines;
  EXPECT_EQ(clean({sequences("C6", "SpA", 2, "AAACCC"), sequences("C7", "SpA", 2, "AAACCC") + sequences("C7", "SpB", 1, "---CCC")},
                  o, lines),
            std::vector<size_t>({1}));
  EXPECT_EQ(lines, (head(1, "C6", "2 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 0)", 2) +
                       Lines{kConserved + "2 sequence(s), 2 site(s)",
                             "   --> Warning: There is no more sequence of the specified outgroup species (SpB) ! Current "
                             "dataset won't be conserved !",
                             ""} +
                       head(2, "C7", "3 sequence(s) (Ingroup: 2, Outgroup: 1, Other: 0)", 2) +
                       Lines{kConserved + "3 sequence(s), 2 site(s)", ""}));
  // With no resolved focal codon required, the only focal sequence goes for its gaps: two outgroup
  // sequences are left, and the contig is refused for want of focal ones.
  o.min_gapN_site = 0;
  EXPECT_TRUE(clean({Records{{"C8|SpA|a|1", "------"}} + sequences("C8", "SpB", 2, "AAACCC")}, o, lines).empty());
  EXPECT_EQ(lines, (head(1, "C8", "3 sequence(s) (Ingroup: 1, Outgroup: 2, Other: 0)", 2) +
                       Lines{kConserved + "2 sequence(s), 2 site(s)",
                             "   --> Warning: There is no more ingroup's sequence ! Current dataset won't be conserved !", ""}));
}

TEST(ContigCleaning, ZeroCodonsKeptWithoutMinimumAndDebugLinesInOrder) {
  Options o;
  o.min_nb_codon = 0;
  o.debug = true;
  Lines lines;
  EXPECT_EQ(clean({{{"C9|SpA|a|1", "AAACCCTAA"}, {"C9|SpA|a|2", "AAACCCAAA"}}}, o, lines), std::vector<size_t>({0}));
  const std::string tag = "(DEBUG - tagAllSequences) Sequence: C9|SpA|a|", m = "(DEBUG - getNumberOfMembers) ";
  const Lines tags = {tag + "1 is part of the ingroup", tag + "2 is part of the ingroup"};
  const Lines members = {m + "Sequence C9|SpA|a|1 is a member of group 0", m + "Sequence C9|SpA|a|2 is a member of group 0",
                         m + "Number of groups: 1", m + "Group 0: 2 member(s)"};
  EXPECT_EQ(lines, (tags + members + head(1, "C9", "2 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 0)", 3) +
                       Lines{"(DEBUG - dealWithBadCodons) Stop codon (Int Code: 48) detected in the tolerance zone (left "
                             "side) ! (Position: 3 - Sequence: 1)",
                             "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance "
                             "zone (left side): ignoring first 3 codons"} +
                       tags + Lines{kConserved + "2 sequence(s), 0 site(s)"} + members + Lines{""}));
  o = Options();
  o.min_gapN_site = 2;  // two fully resolved focal sequences are enough then
  EXPECT_EQ(clean({sequences("C10", "SpA", 2, times("GAC", 12))}, o, lines), std::vector<size_t>({0}));
}

// Names of the focal species that the output tables would hold are refused before any contig is
// reported; other species' names are never written and pass.
TEST(ContigCleaning, FocalNamesTheTablesCannotHoldAreRefusedFirst) {
  static const inputtest::Alphabets a;
  const std::string rule = "; names written into the tab-separated output files cannot hold tabs or line ends.";
  const std::string codons = times("GAC", 12);
  const struct {
    const char* what;
    std::vector<Records> contigs;
    std::string focal, error;  // empty error: the contigs are cleaned
  } cases[] = {
      {"tab in a focal individual", {sequences("C1", "SpA", 2, codons), {{"C2|SpA|i\t7|1", codons}}}, "SpA",
       "Dataset 2 (C2), sequence 1 (C2|SpA|i\\t7|1): the individual name \"i\\t7\" holds a tab" + rule},
      {"Windows line end after a focal individual", {{{"C1|SpA|i0", codons}, {"C1|SpA|i1\r", codons}}}, "SpA",
       "Dataset 1 (C1), sequence 2 (C1|SpA|i1\\r): the individual name \"i1\\r\" ends with a carriage return, a "
       "Windows line end (CRLF)" + rule},
      {"tab in the ingroup name", {sequences("C1", "Sp\tA", 2, codons)}, "Sp\tA",
       "The ingroup species name \"Sp\\tA\" (-ingroup) holds a tab" + rule},
      {"line end in the ingroup name", {sequences("C1", "SpA", 2, codons)}, "SpA\n",
       "The ingroup species name \"SpA\\n\" (-ingroup) holds a line end" + rule},
      {"tab in another species' individual", {sequences("C1", "SpA", 2, codons) + Records{{"C1|SpB|o\t1|1", codons}}},
       "SpA", ""},
      {"carriage return in the allele field", {{{"C1|SpA|i0|1\r", codons}, {"C1|SpA|i1|1\r", codons}}}, "SpA", ""},
  };
  for (const auto& c : cases) {
    std::vector<std::unique_ptr<bpp::PolymorphismSequenceContainer>> owned;
    std::vector<bpp::PolymorphismSequenceContainer*> input;
    for (const Records& r : c.contigs) {
      owned.push_back(inputtest::makeContainer(r, &a.codon));
      input.push_back(owned.back().get());
    }
    Lines lines;
    std::string error;
    try {
      lines = inputtest::coutLines(
          [&] { mrv::AlignmentFileManagement::cleanMultiContainer(input, &a.codon, c.focal, 1, 0, false, 1, 0.5, false, "none"); });
    } catch (const bpp::Exception& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_EQ(lines.empty(), !c.error.empty()) << c.what;  // refused before the first dataset's report
  }
}

}  // namespace
