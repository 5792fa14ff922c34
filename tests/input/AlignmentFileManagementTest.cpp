#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/DNA.h>

#include <algorithm>

#include "TestSupport.h"
#include "input/AlignmentFileManagement.h"
#include "core/FatalError.h"

namespace {

using bpp::PolymorphismSequenceContainer;
using mrv::AlignmentFileManagement;
using testsupport::coutLines;
using testsupport::Lines;
using testsupport::Records;
using Contigs = std::vector<std::unique_ptr<PolymorphismSequenceContainer>>;

// The contigs of `fasta`, the console lines and the error text ("" when none) of reading or cleaning.
struct Read {
  std::unique_ptr<testsupport::Alphabets> alphabets = std::make_unique<testsupport::Alphabets>();  // outlives the contigs
  Contigs contigs;
  Lines lines;
  std::string error, path;
  std::vector<size_t> kept;  // positions of the contigs kept by cleaning
};

Read readText(const std::string& fasta, bool remove_frameshift = false, bool debug = false) {
  testsupport::TempDir dir;
  Read r;
  const testsupport::Alphabets& a = *r.alphabets;
  r.path = dir.write("aln.fas", fasta);
  r.lines = coutLines([&] {
    try {
      for (auto* c : AlignmentFileManagement::readAlignmentFile(r.path, remove_frameshift, &a.nucleic, &a.codon, debug))
        r.contigs.emplace_back(c);
    } catch (const bpp::Exception& e) {
      r.error = e.what();
    }
  });
  return r;
}

std::vector<int> codes(const PolymorphismSequenceContainer& c, size_t sequence) {
  std::vector<int> v;
  for (size_t j = 0; j < c.getNumberOfSites(); ++j) v.push_back(c.valueAt(sequence, j));
  return v;
}

const std::string kDiscarded = "   --> Frameshift detected ! The current alignment will be discarded..";

struct Options {
  unsigned int min_nb_codon = 10, tolerance_zone = 20;
  bool allow_internal = false;
  unsigned int min_gapN_site = 10;
  std::string outgroup = "none", focal = "SpA";
};

// Cleans the contigs (at most half gap-or-N codons per sequence).
Read clean(const std::vector<Records>& contigs, const Options& o = Options()) {
  Read r;
  const testsupport::Alphabets& a = *r.alphabets;
  std::vector<PolymorphismSequenceContainer*> input, kept;
  for (const Records& records : contigs) {
    r.contigs.push_back(testsupport::makeContainer(a.codon, records));
    input.push_back(r.contigs.back().get());
  }
  try {
    r.lines = coutLines([&] {
      kept = AlignmentFileManagement::cleanMultiContainer(input, &a.codon, o.focal, o.min_nb_codon, o.tolerance_zone,
                                                          o.allow_internal, o.min_gapN_site, 0.5, false, o.outgroup);
    });
  } catch (const bpp::Exception& e) {
    r.error = e.what();
  }
  for (auto* k : kept) r.kept.push_back(std::find(input.begin(), input.end(), k) - input.begin());
  return r;
}

Records sequences(const std::string& contig, const std::string& species, int count, const std::string& text) {
  Records r;
  for (int i = 0; i < count; ++i) r.push_back({contig + "|" + species + "|i" + std::to_string(i) + "|1", text});
  return r;
}
template <class T>
T operator+(T a, const T& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Lines head(int k, const std::string& name, const std::string& counts, int sites) {
  return {" -> Dataset " + std::to_string(k) + " (" + name + "):",
          "   --> Original number of sequences : " + counts, "   --> Original number of sites: " + std::to_string(sites) + " site(s)"};
}
const std::string kConserved = "   --> Number of conserved sequences and sites after cleaning (stop, gap and N): ";

}  // namespace

TEST(AlignmentFileManagement, ContigsAreRunsOfRecords) {
  Read r = readText(">C1|A|i|1\nAAA\n>C1|A|i|2\nAAC\n>C2|A|i|1\nAAG\n>C2|A|j|1\nAAT\n");
  ASSERT_EQ(r.contigs.size(), 2u);
  EXPECT_EQ(r.contigs[1]->getSequencesNames(), Lines({"C2|A|i|1", "C2|A|j|1"}));
  EXPECT_EQ(r.lines, Lines({" -> Initial number of sequences: 4", " -> Initial number of datasets/contigs: 2", ""}));
  r = readText(">C1|A|i|1\nAAA\n>C2|A|i|1\nAAA\n>C1|A|i|2\nAAAC\n");
  ASSERT_EQ(r.contigs.size(), 3u);
  EXPECT_EQ(r.contigs[2]->getSequencesNames(), Lines({"C1|A|i|2"}));
  EXPECT_EQ(readText(">seqA\nAAA\n>seqB\nAAA\n").contigs.size(), 2u);          // whole names without "|"
  EXPECT_EQ(readText(">|C1|A|i|1\nAAA\n>C1||A|i|2\nAAA\n").contigs.size(), 1u);  // no empty field
  // Lengths and codons; letters of either case across lines and blanks; "*", "n" and ambiguity
  // codes give NNN, "!" the frameshift codon, a gap the gap codon; lines before the first header
  // and a sequence line beginning with a blank are read as they should.
  r = readText("; comment\n>L|A|i|1\n" + std::string(301, 'C') + "\n>S|A|i|1\nAC\n"
               ">C|A|i|1\naaaTA\nA \tac-g*A\r\n!CGTTT\n\n---acgTGA\n>D|A|i|1\nA*GANGARGaYg\n\tCCC\n");
  ASSERT_EQ(r.contigs.size(), 4u);
  EXPECT_EQ(r.contigs[0]->getNumberOfSites(), 100u);
  EXPECT_EQ(r.contigs[1]->getNumberOfSites() * 10 + r.contigs[1]->getNumberOfSequences(), 1u);
  EXPECT_EQ(codes(*r.contigs[2], 0), std::vector<int>({0, 48, -1, 65, 64, 63, -1, 6, 56}));
  EXPECT_EQ(r.contigs[2]->toString(0), "AAATAA---NNN!!!TTT---ACGTGA");
  EXPECT_EQ(codes(*r.contigs[3], 0), std::vector<int>({65, 65, 65, 65, 21}));
  for (const std::string text : {"", "\n\n", "no header at all\n"})
    EXPECT_EQ(readText(text).lines,
              Lines({" -> Initial number of sequences: 0", " -> Initial number of datasets/contigs: 0", ""}));
}

TEST(AlignmentFileManagement, FrameshiftRemovalDropsTheRunHoldingTheFrameshift) {
  // The "!" of the third record drops its whole contig, the fourth record unread (it even has
  // another length); of a contig split in two runs, only the run holding the "!" goes.
  const std::string fasta = ">C1|A|a|1\nAAAAAA\n>C1|A|a|2\nAAAAAA\n>C1|A|b|1\nAA!AAA\n>C1|A|b|2\nAAA\n"
                            ">C2|A|a|1\nCCCCCC\n>C3|A|a|1\nGGG!GG\n>C2|A|a|2\nTTTTTT\n";
  const Lines counts = {" -> Initial number of datasets/contigs: 4", "", " -> Number of conserved contigs: 2",
                        "   --> Number of eliminated frameshift-containing contigs: 2", ""};
  for (bool debug : {true, false}) {
    Read r = readText(fasta, true, debug);
    ASSERT_EQ(r.contigs.size(), 2u);
    EXPECT_EQ(r.contigs[0]->getSequencesNames()[0] + r.contigs[1]->getSequencesNames()[0], "C2|A|a|1C2|A|a|2");
    Lines expected = {" -> Initial number of sequences: 7"};
    if (debug)
      expected.insert(expected.end(), {"Contig C1 has a frameshift (Position: 2)", kDiscarded,
                                       "Contig C3 has a frameshift (Position: 3)", kDiscarded});
    expected.insert(expected.end(), counts.begin(), counts.end());
    EXPECT_EQ(r.lines, expected);
  }
  // Without removal the "!" stays as frameshift codons, and every length is checked.
  EXPECT_NE(readText(fasta).error.find("record 4 (C1|A|b|2)"), std::string::npos);
  EXPECT_EQ(codes(*readText(">C1|A|a|1\nAAAAAA\n>C1|A|b|1\nAA!AAA\n").contigs[0], 1), std::vector<int>({64, 0}));
  EXPECT_EQ(readText(">C1|A|a|1\n!AA\n", true).lines.at(3), " -> Number of conserved contigs: 0");
}

// A record that cannot join its contig is refused once every record is counted, after the count
// line (and the frameshift lines of the records before it); an unknown letter or a repeated name
// anywhere in the file is found first, before any line.
TEST(AlignmentFileManagement, MalformedRecordsAreNamedAfterTheLinesOfTheRecordsBefore) {
  const struct {
    std::string fasta;
    int counted;  // records in the count line; -1: no line
    std::string error;
    bool whole = false;  // the error is the whole message after the file's name, not its beginning
  } cases[] = {
      {">C|A|i|1\nAAA\n>C|A|i|2\nAC\nGUA\n", -1,
       "record 2 (C|A|i|2): unknown letter \"U\" at position 4 of the sequence (line 5 of the file)."},
      {">C|A|i|1\nAA\xC3\xA9\n", -1, "record 1 (C|A|i|1): unknown byte 0xC3 at position 3 of the sequence (line 2"},
      {std::string(">C|A|i|1\nAAA\nA\0A\n", 15), -1,
       "record 1 (C|A|i|1): unknown byte 0x00 at position 5 of the sequence (line 3 of the file).", true},
      {">C|A|i|1\nAC\x1bG\n", -1, "record 1 (C|A|i|1): unknown byte 0x1B at position 3 of the sequence (line 2 of the file).",
       true},
      {">C|A|i|1\nAAA\n >C|A|i|2\nAAA\n", -1, "record 1 (C|A|i|1): unknown letter \">\" at position 4"},
      {">C|A|i|1\nAAA\n>D|A|i|2\nAAA\n>C|A|i|1\nAAA\n", -1,
       "record 3 (C|A|i|1): this sequence name is already used by record 1."},
      {">C|A|i|1\nAAA\n>C|A|i|2\nAAAA\n>D|A|i|1\nAUA\n", -1, "record 3 (D|A|i|1): unknown letter \"U\""},
      {">C|A|i|1\nAAA\n>|\nAAA\n>C|A|i|1\nAAA\n", -1, "record 3 (C|A|i|1): this sequence name is already used"},
      {">C|A|i|1\nAAA\n>\nAAA\n>D|A|i|1\nAAA\n", 3, "record 2 (): the sequence name has no field"},
      {">||\nAAA\n", 1, "record 1 (||): the sequence name has no field"},
      {">C|A|i|1\nAAAAAA\n>C|A|i|2\nAAAAAA\n>C|A|i|3\nAAAAAAA\n>D|A|i|1\nAAA\n>D|A|i|2\nAA\n", 5,
       "record 3 (C|A|i|3): 7 nucleotides, while the first record of its contig (record 1, C|A|i|1) has 6; the "
       "sequences of a contig must be aligned."},
      {">C|A|i|1\nAAA\n>C\tD|A|i|2\nAAA\n", 2,
       "record 2 (C\\tD|A|i|2): the contig name \"C\\tD\" holds a tab; names written into the tab-separated output "
       "files cannot hold tabs or line ends."},
      {">C\r\nAAA\n", 1, "record 1 (C\\r): the contig name \"C\\r\" ends with a carriage return, a Windows line end"},
      {">C\rD|A|i|1\r\nAAA\n", 1, "record 1 (C\\rD|A|i|1\\r): the contig name \"C\\rD\" holds a carriage return"},
  };
  for (const auto& c : cases) {
    const Read r = readText(c.fasta, false, true);
    EXPECT_EQ(r.lines, c.counted < 0 ? Lines{} : Lines{" -> Initial number of sequences: " + std::to_string(c.counted)})
        << c.error;
    EXPECT_EQ(r.error.find("Alignment file " + r.path + ", " + c.error), 0u) << r.error;
    if (c.whole) EXPECT_EQ(r.error, "Alignment file " + r.path + ", " + c.error);
  }
  const Read r = readText(">C|A|i|1\nA!A\n>D|A|i|1\nAAA\n>D|A|i|2\nAAAAAA\n", true, true);
  EXPECT_EQ(r.lines, Lines({" -> Initial number of sequences: 3", "Contig C has a frameshift (Position: 1)", kDiscarded}));
  EXPECT_NE(r.error.find(", record 3 (D|A|i|2): 6 nucleotides"), std::string::npos);
  testsupport::Alphabets a;
  EXPECT_THROW(AlignmentFileManagement::readAlignmentFile("/nonexistent/aln.fas", false, &a.nucleic, &a.codon, false),
               bpp::IOException);
}

TEST(AlignmentFileManagement, CleaningRefusesContigsLeftWithoutOutgroupOrIngroup) {
  Options o;
  o.outgroup = "SpB";
  o.min_gapN_site = 2;
  o.min_nb_codon = 1;
  Read r = clean({sequences("C6", "SpA", 2, "AAACCC"), sequences("C7", "SpA", 2, "AAACCC") + sequences("C7", "SpB", 1, "---CCC")}, o);
  EXPECT_EQ(r.kept, std::vector<size_t>({1}));
  EXPECT_EQ(r.lines, (head(1, "C6", "2 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 0)", 2) +
                      Lines{kConserved + "2 sequence(s), 2 site(s)",
                            "   --> Warning: There is no more sequence of the specified outgroup species (SpB) ! Current "
                            "dataset won't be conserved !",
                            ""} +
                      head(2, "C7", "3 sequence(s) (Ingroup: 2, Outgroup: 1, Other: 0)", 2) +
                      Lines{kConserved + "3 sequence(s), 2 site(s)", ""}));
  // With no resolved focal codon required, the only focal sequence goes for its gaps: two outgroup
  // sequences are left, and the contig is refused for want of focal ones.
  o.min_gapN_site = 0;
  r = clean({Records{{"C8|SpA|a|1", "------"}} + sequences("C8", "SpB", 2, "AAACCC")}, o);
  EXPECT_TRUE(r.kept.empty());
  EXPECT_EQ(r.lines, (head(1, "C8", "3 sequence(s) (Ingroup: 1, Outgroup: 2, Other: 0)", 2) +
                      Lines{kConserved + "2 sequence(s), 2 site(s)",
                            "   --> Warning: There is no more ingroup's sequence ! Current dataset won't be conserved !", ""}));
}

// Names of the focal species that the output tables would hold are refused before any contig is
// reported; other species' names are never written and pass.
TEST(AlignmentFileManagement, CleaningRefusesFirstTheFocalNamesTheTablesCannotHold) {
  const std::string rule = "; names written into the tab-separated output files cannot hold tabs or line ends.";
  const std::string codons = "GACGACGAC";
  const struct {
    std::vector<Records> contigs;
    std::string focal, error;  // empty error: the contigs are cleaned
  } cases[] = {
      {{sequences("C1", "SpA", 2, codons), {{"C2|SpA|i\t7|1", codons}}}, "SpA",
       "Dataset 2 (C2), sequence 1 (C2|SpA|i\\t7|1): the individual name \"i\\t7\" holds a tab" + rule},
      {{{{"C1|SpA|i0", codons}, {"C1|SpA|i1\r", codons}}}, "SpA",
       "Dataset 1 (C1), sequence 2 (C1|SpA|i1\\r): the individual name \"i1\\r\" ends with a carriage return, a "
       "Windows line end (CRLF)" + rule},
      {{sequences("C1", "Sp\tA", 2, codons)}, "Sp\tA", "The ingroup species name \"Sp\\tA\" (-ingroup) holds a tab" + rule},
      {{sequences("C1", "SpA", 2, codons)}, "SpA\n", "The ingroup species name \"SpA\\n\" (-ingroup) holds a line end" + rule},
      {{sequences("C1", "SpA", 2, codons) + Records{{"C1|SpB|o\t1|1", codons}}}, "SpA", ""},  // another species
      {{{{"C1|SpA|i0|1\r", codons}, {"C1|SpA|i1|1\r", codons}}}, "SpA", ""},                // the allele field
  };
  for (const auto& c : cases) {
    Options o;
    o.min_nb_codon = o.min_gapN_site = 1;
    o.tolerance_zone = 0;
    o.focal = c.focal;
    const Read r = clean(c.contigs, o);
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.lines.empty(), !c.error.empty()) << c.error;  // refused before the first dataset's report
  }
}

TEST(AlignmentFileManagement, ContigNamesAndFocalSequenceCounts) {
  for (const std::string name : {"C1|SpA|i|1", "||C1||SpA", "C1"})
    EXPECT_EQ(AlignmentFileManagement::_extractContigNameFromSequenceName(name), "C1");
  EXPECT_THROW(AlignmentFileManagement::_extractContigNameFromSequenceName("||"), bpp::Exception);
  // The focal name counts wherever it stands in a name ("SpAB" holds "SpA").
  testsupport::Alphabets a;
  auto c1 = testsupport::makeContainer(a.codon, Records{{"C1|SpA|i|1", ""}, {"C1|SpAB|j|1", ""}, {"C1|SpB|k|1", ""}});
  auto c2 = testsupport::makeContainer(a.codon, Records{{"C2|SpB|k|1", ""}});
  const std::string title = " -> Minimum/Maximum number of focal sequences by dataset/contig:";
  unsigned int max = 9;
  EXPECT_EQ(coutLines([&] { max = AlignmentFileManagement::getMaxNumberOfFocalIndividual({c1.get(), c2.get()}, "SpA"); }),
            Lines({title, "   --> Min: 0", "   --> Max: 2", ""}));
  EXPECT_EQ(max, 2u);
  EXPECT_EQ(coutLines([&] { max = AlignmentFileManagement::getMaxNumberOfFocalIndividual({}, "SpA"); }),
            Lines({title, "   --> Min: 1000000", "   --> Max: 0", ""}));
  EXPECT_EQ(max, 0u);
}

// One contig's whole debug report, in step order, and what is left of it: the same from the containers
// and from the compact contigs. The container is cleaned in place: its general comments, the comments
// and counts of its sequences and the positions of its remaining sites stay.
TEST(AlignmentFileManagement, CleaningReportInStepOrder) {
  testsupport::Alphabets a;
  const Records records = {{"C9|SpA|a|1", "TAACCCGGG"}, {"C9|SpA|b|1", "AAACCC---"}, {"C9|SpC|x|1", "AAACCCGGG"}};
  auto container = testsupport::makeContainer(a.codon, records);
  std::vector<mrv::CompactContig> contigs = {mrv::CompactContig(*container)};
  container->setGeneralComments({"general"});
  container->setComments(1, {"of b"});
  container->setSequenceCount(1, 4);
  container->setSitePositions({11, 12, 13});
  std::vector<PolymorphismSequenceContainer*> kept;
  std::vector<mrv::CompactContig> kept_compact;
  const Lines by_container = coutLines([&] {
    kept = AlignmentFileManagement::cleanMultiContainer({container.get()}, &a.codon, "SpA", 1, 1, false, 1, 0.5, true, "none");
  });
  const Lines by_compact = coutLines([&] {
    kept_compact = AlignmentFileManagement::cleanCompactContigs(contigs, &a.codon, "SpA", 1, 1, false, 1, 0.5, true, "none");
  });
  const std::string tag = "(DEBUG - tagAllSequences) Sequence: C9|SpA|", member = "(DEBUG - getNumberOfMembers) ";
  const Lines tags = {tag + "a|1 is part of the ingroup", tag + "b|1 is part of the ingroup"};
  const Lines expected =
            tags + Lines{"(DEBUG - tagAllSequences) Sequence: C9|SpC|x|1 is part of the outgroup (other species)",
                         member + "Sequence C9|SpA|a|1 is a member of group 0", member + "Sequence C9|SpA|b|1 is a member of group 0",
                         member + "Sequence C9|SpC|x|1 is a member of group 2", member + "Number of groups: 2",
                         member + "Group 0: 2 member(s)", member + "Group 2: 1 member(s)"} +
                head(1, "C9", "3 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 1)", 3) +
                Lines{"(DEBUG - removeGroupFromContainer) Sequence C9|SpC|x|1 will be removed (Member of group 2)"} + tags +
                Lines{"(DEBUG - dealWithBadCodons) Stop codon (Int Code: 48) detected in the tolerance zone (left side) ! "
                      "(Position: 1 - Sequence: 1)",
                      "(DEBUG - removeLeftBadSites) Stop/Frameshift codon(s) have been detected in the tolerance zone (left "
                      "side): ignoring first 1 codons"} +
                tags + Lines{kConserved + "2 sequence(s), 2 site(s)", member + "Sequence C9|SpA|a|1 is a member of group 0",
                             member + "Sequence C9|SpA|b|1 is a member of group 0", member + "Number of groups: 1",
                             member + "Group 0: 2 member(s)", ""};
  EXPECT_EQ(by_container, expected);
  EXPECT_EQ(by_compact, by_container);
  ASSERT_TRUE(kept.size() == 1 && kept_compact.size() == 1);
  EXPECT_EQ(kept[0]->toString(0) + " " + kept[0]->toString(1), "CCCGGG CCC---");
  EXPECT_EQ(kept[0]->getGeneralComments(), bpp::Comments({"general"}));
  EXPECT_EQ(kept[0]->getComments(1), bpp::Comments({"of b"}));
  EXPECT_EQ(kept[0]->getSequenceCount(1), 4u);
  EXPECT_TRUE(kept[0]->getSite(0).getPosition() == 12 && kept[0]->getSite(1).getPosition() == 13);
  const mrv::CompactContig left(*kept[0]);
  EXPECT_TRUE(left.names() == kept_compact[0].names() && left.groups() == kept_compact[0].groups() &&
              left.ingroup() == kept_compact[0].ingroup() &&
              std::equal(left.row(1), left.row(1) + 2, kept_compact[0].row(1)));
}

// A rejected contig's container holds the edits of the cleaning steps made before its rejection: the
// other species removed and the sequences tagged, and, when the rejection comes after them, the
// tolerance-zone trim and the gapped site removed.
TEST(AlignmentFileManagement, RejectedContainersKeepTheStepsBeforeTheRejection) {
  testsupport::Alphabets a;
  const struct {
    std::string why;
    std::string a1;
    unsigned int min_nb_codon;
    std::string positions, left_a, left_b;
  } cases[] = {
      {"too few codons after cleaning", "TAACCC---GGGAAA", 10, "positions 12 14 15", "CCCGGGAAA", "CCCGGGAAA"},
      {"internal stop codon", "AAACCCTAAGGGAAA", 1, "positions 11 12 13 14 15", "AAACCCTAAGGGAAA", "AAACCCAAAGGGAAA"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    auto container = testsupport::makeContainer(
        a.codon, {{"C9|SpA|a|1", c.a1}, {"C9|SpC|x|1", "AAAAAAAAAAAAAAA"}, {"C9|SpA|b|1", "AAACCCAAAGGGAAA"}});
    container->setGeneralComments({"general"});
    container->setComments(2, {"of b"});
    container->setSequenceCount(2, 4);
    container->setSitePositions({11, 12, 13, 14, 15});
    std::vector<PolymorphismSequenceContainer*> kept;
    coutLines([&] {
      kept = AlignmentFileManagement::cleanMultiContainer({container.get()}, &a.codon, "SpA", c.min_nb_codon, 1, false,
                                                          2, 0.5, false, "none");
    });
    EXPECT_TRUE(kept.empty());
    EXPECT_EQ(testsupport::containerLines(*container),
              Lines({"general [general]", c.positions, "C9|SpA|a|1  count 1 group 0 in " + c.left_a,
                     "C9|SpA|b|1 [of b] count 4 group 0 in " + c.left_b}));
  }
}

// A container of another codon alphabet ends the cleaning when its turn comes, untouched; the
// containers before it are cleaned, those after it are not reached.
TEST(AlignmentFileManagement, CleaningRefusesAContainerOfAnotherAlphabet) {
  testsupport::Alphabets a;
  bpp::DNA dna;
  bpp::CodonAlphabet other(&dna);
  const Records records = {{"C|Sp1|a|1", "TAACCCTAAGGGTTT"}, {"C|Sp1|b|1", "AAACCCGGGGGGTTT"}};
  auto first = testsupport::makeContainer(a.codon, records);
  auto refused = testsupport::makeContainer(other, records);
  auto last = testsupport::makeContainer(a.codon, records);
  const Lines refused_before = testsupport::containerLines(*refused), last_before = testsupport::containerLines(*last);
  Lines console;
  EXPECT_THROW(console = coutLines([&] {
                 AlignmentFileManagement::cleanMultiContainer({first.get(), refused.get(), last.get()}, &a.codon, "Sp1", 1,
                                                              1, true, 0, 1.0, false, "none");
               }),
               bpp::AlphabetMismatchException);
  EXPECT_EQ(first->toString(0) + " " + first->toString(1), "CCCNNNGGGTTT CCCNNNGGGTTT");
  EXPECT_EQ(testsupport::containerLines(*refused), refused_before);
  EXPECT_EQ(testsupport::containerLines(*last), last_before);
}

// What the reader never makes: a code outside the codon alphabet raises what making its container
// raises, before its report; a contig without sequence ends the cleaning with the contig name's
// FatalError after its debug lines.
TEST(AlignmentFileManagement, CleaningOfContigsTheReaderNeverMakes) {
  testsupport::Alphabets a;
  const mrv::CompactContig odd({"C2|SpA|i|1", "C2|SpA|j|1"}, {0, 70, 0, 0}, 2, {1, 1}, {1, 1}, {1, 1});
  std::string expected, error;
  try {
    std::unique_ptr<PolymorphismSequenceContainer> made(odd.container(&a.codon));
  } catch (const bpp::BadIntException& e) {
    expected = e.what();
  }
  ASSERT_NE(expected, "");
  std::vector<mrv::CompactContig> contigs = {mrv::CompactContig(*testsupport::makeContainer(a.codon, sequences("C1", "SpA", 2, "GAC"))), odd};
  Lines lines = coutLines([&] {
    try {
      AlignmentFileManagement::cleanCompactContigs(contigs, &a.codon, "SpA", 1, 0, false, 1, 0.5, false, "none");
    } catch (const bpp::BadIntException& e) {
      error = e.what();
    }
  });
  EXPECT_EQ(error, expected);
  const Lines first = head(1, "C1", "2 sequence(s) (Ingroup: 2, Outgroup: 0, Other: 0)", 1) +
                      Lines{kConserved + "2 sequence(s), 1 site(s)", ""};
  EXPECT_EQ(lines, first);  // the first contig's report only

  auto empty = testsupport::makeContainer(a.codon, Records());
  std::vector<mrv::CompactContig> none = {mrv::CompactContig(*empty)};
  const std::vector<std::function<void()>> cleanings = {
      [&] { AlignmentFileManagement::cleanMultiContainer({empty.get()}, &a.codon, "SpA", 1, 0, false, 1, 0.5, true, "none"); },
      [&] { AlignmentFileManagement::cleanCompactContigs(none, &a.codon, "SpA", 1, 0, false, 1, 0.5, true, "none"); }};
  for (const auto& cleaning : cleanings) {
    std::string message;
    std::ostringstream err;
    std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
    lines = coutLines([&] {
      try {
        cleaning();
      } catch (const FatalError& e) {
        message = e.message();
      }
    });
    std::cerr.rdbuf(old);
    EXPECT_EQ(message, "Selected container is empty ! Contig name can't be extracted !");
    EXPECT_EQ(lines, Lines({"(DEBUG - getNumberOfMembers) Number of groups: 0"}));
    EXPECT_EQ(err.str(), "ERROR!!! There is no group associated to your container !\n");
  }
}
