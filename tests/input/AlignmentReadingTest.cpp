#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Container/AlignedSequenceContainer.h>
#include <Bpp/Seq/Container/SequenceContainerTools.h>
#include <Bpp/Seq/Io/Fasta.h>

#include <random>
#include <sstream>

#include "ContainerTestSupport.h"
#include "input/AlignmentFileManagement.h"

namespace {

using bpp::PolymorphismSequenceContainer;
using inputtest::Lines;
using mrv::AlignmentFileManagement;
using Contigs = std::vector<std::unique_ptr<PolymorphismSequenceContainer>>;

const inputtest::Alphabets& alphabets() {
  static const inputtest::Alphabets* a = new inputtest::Alphabets();
  return *a;
}

Contigs readFile(const std::string& path, bool remove_frameshift, bool debug, Lines* lines) {
  Contigs contigs;
  const Lines out = inputtest::coutLines([&] {
    for (auto* c : AlignmentFileManagement::readAlignmentFile(path, remove_frameshift, &alphabets().nucleic,
                                                              &alphabets().codon, debug))
      contigs.emplace_back(c);
  });
  if (lines) *lines = out;
  return contigs;
}

Contigs readText(const std::string& fasta, bool remove_frameshift = false, bool debug = false, Lines* lines = nullptr) {
  testsupport::TempDir dir;
  return readFile(dir.write("aln.fas", fasta), remove_frameshift, debug, lines);
}

std::string readError(const std::string& fasta, bool remove_frameshift = false) {
  try {
    readText(fasta, remove_frameshift);
  } catch (const bpp::Exception& e) {
    return e.what();
  }
  return "no error";
}

std::vector<int> codes(const PolymorphismSequenceContainer& c, size_t sequence) {
  std::vector<int> v;
  for (size_t j = 0; j < c.getNumberOfSites(); ++j) v.push_back(c.valueAt(sequence, j));
  return v;
}

TEST(AlignmentReading, ContigsAreRunsOfRecords) {
  Lines lines;
  Contigs r = readText(">C1|A|i|1\nAAA\n>C1|A|i|2\nAAC\n>C2|A|i|1\nAAG\n>C2|A|j|1\nAAT\n", false, false, &lines);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[1]->getSequencesNames(), Lines({"C2|A|i|1", "C2|A|j|1"}));
  EXPECT_EQ(lines, Lines({" -> Initial number of sequences: 4", " -> Initial number of datasets/contigs: 2", ""}));
  r = readText(">C1|A|i|1\nAAA\n>C2|A|i|1\nAAA\n>C1|A|i|2\nAAAC\n", false, false, &lines);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[2]->getSequencesNames(), Lines({"C1|A|i|2"}));
  EXPECT_EQ(lines[1], " -> Initial number of datasets/contigs: 3");
  EXPECT_EQ(readText(">seqA\nAAA\n>seqB\nAAA\n").size(), 2u);        // whole names without "|"
  EXPECT_EQ(readText(">|C1|A|i|1\nAAA\n>C1||A|i|2\nAAA\n").size(), 1u);  // no empty field
  // Lengths and codons; letters of either case across lines and blanks; "*", "n" and ambiguity
  // codes give NNN, "!" the frameshift codon, a gap the gap codon; lines before the first header
  // and a sequence line beginning with a blank are read as they should.
  r = readText("; comment\n>L|A|i|1\n" + std::string(301, 'C') + "\n>S|A|i|1\nAC\n"
               ">C|A|i|1\naaaTA\nA \tac-g*A\r\n!CGTTT\n\n---acgTGA\n>D|A|i|1\nA*GANGARGaYg\n\tCCC\n");
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0]->getNumberOfSites(), 100u);
  EXPECT_EQ(r[1]->getNumberOfSites() * 10 + r[1]->getNumberOfSequences(), 1u);
  EXPECT_EQ(codes(*r[2], 0), std::vector<int>({0, 48, -1, 65, 64, 63, -1, 6, 56}));
  EXPECT_EQ(r[2]->toString(0), "AAATAA---NNN!!!TTT---ACGTGA");
  EXPECT_EQ(codes(*r[3], 0), std::vector<int>({65, 65, 65, 65, 21}));
}

TEST(AlignmentReading, FrameshiftRemoval) {
  // The "!" of the third record drops its whole contig, the fourth record unread (it even has
  // another length); of a contig split in two runs, only the run holding the "!" goes.
  const std::string fasta = ">C1|A|a|1\nAAAAAA\n>C1|A|a|2\nAAAAAA\n>C1|A|b|1\nAA!AAA\n>C1|A|b|2\nAAA\n"
                            ">C2|A|a|1\nCCCCCC\n>C3|A|a|1\nGGG!GG\n>C2|A|a|2\nTTTTTT\n";
  Lines lines;
  Contigs r = readText(fasta, true, true, &lines);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0]->getSequencesNames()[0] + r[1]->getSequencesNames()[0], "C2|A|a|1C2|A|a|2");
  const std::string discarded = "   --> Frameshift detected ! The current alignment will be discarded..";
  const Lines counts = {" -> Initial number of datasets/contigs: 4", "", " -> Number of conserved contigs: 2",
                        "   --> Number of eliminated frameshift-containing contigs: 2", ""};
  Lines expected = {" -> Initial number of sequences: 7", "Contig C1 has a frameshift (Position: 2)", discarded,
                    "Contig C3 has a frameshift (Position: 3)", discarded};
  expected.insert(expected.end(), counts.begin(), counts.end());
  EXPECT_EQ(lines, expected);
  readText(fasta, true, false, &lines);
  expected = {" -> Initial number of sequences: 7"};
  expected.insert(expected.end(), counts.begin(), counts.end());
  EXPECT_EQ(lines, expected);
  // Without removal the "!" stays as frameshift codons, and every length is checked.
  EXPECT_NE(readError(fasta).find("record 4 (C1|A|b|2)"), std::string::npos);
  EXPECT_EQ(codes(*readText(">C1|A|a|1\nAAAAAA\n>C1|A|b|1\nAA!AAA\n")[0], 1), std::vector<int>({64, 0}));
  EXPECT_TRUE(readText(">C1|A|a|1\n!AA\n", true, false, &lines).empty());
  EXPECT_EQ(lines[3], " -> Number of conserved contigs: 0");
  for (const std::string text : {"", "\n\n", "no header at all\n"}) {
    EXPECT_TRUE(readText(text, false, false, &lines).empty());
    EXPECT_EQ(lines, Lines({" -> Initial number of sequences: 0", " -> Initial number of datasets/contigs: 0", ""}));
  }
}

TEST(AlignmentReading, MalformedRecordsAreNamed) {
  const std::pair<std::string, std::string> rows[] = {
      {">C|A|i|1\nAAA\n>C|A|i|2\nAC\nGUA\n",
       "record 2 (C|A|i|2): unknown letter \"U\" at position 4 of the sequence (line 5 of the file)."},
      {">C|A|i|1\nAA\xC3\xA9\n", "record 1 (C|A|i|1): unknown byte 0xC3 at position 3 of the sequence (line 2"},
      {">C|A|i|1\nAAA\n >C|A|i|2\nAAA\n", "record 1 (C|A|i|1): unknown letter \">\" at position 4"},
      {">C|A|i|1\nAAA\n>D|A|i|2\nAAA\n>C|A|i|1\nAAA\n",
       "record 3 (C|A|i|1): this sequence name is already used by record 1."},
      {">C|A|i|1\nAAA\n>\nAAA\n", "record 2 (): the sequence name has no field"},
      {">||\nAAA\n", "record 1 (||): the sequence name has no field"},
      {">C|A|i|1\nAAAAAA\n>C|A|i|2\nAAAAAA\n>C|A|i|3\nAAAAAAA\n",
       "record 3 (C|A|i|3): 7 nucleotides, while the first record of its contig (record 1, C|A|i|1) has 6; the "
       "sequences of a contig must be aligned."},
      {">C|A|i|1\nAAA\n>C\tD|A|i|2\nAAA\n",
       "record 2 (C\\tD|A|i|2): the contig name \"C\\tD\" holds a tab; names written into the tab-separated output "
       "files cannot hold tabs or line ends."},
      {">C\r\nAAA\n", "record 1 (C\\r): the contig name \"C\\r\" ends with a carriage return, a Windows line end"},
      {">C\rD|A|i|1\r\nAAA\n", "record 1 (C\\rD|A|i|1\\r): the contig name \"C\\rD\" holds a carriage return"}};
  for (const auto& row : rows) {
    const std::string error = readError(row.first);
    EXPECT_TRUE(error.find(row.second) != std::string::npos && error.rfind("Alignment file ", 0) == 0) << error;
  }
  EXPECT_THROW(readFile("/nonexistent/aln.fas", false, false, nullptr), bpp::IOException);
}

// A record that cannot join its contig is refused once every record is counted, after the count
// line (and the frameshift lines of the records before it); an unknown letter or a repeated name
// anywhere in the file is found first, before any line.
TEST(AlignmentReading, RecordErrorsFollowTheCountOfRecords) {
  const std::string discarded = "   --> Frameshift detected ! The current alignment will be discarded..";
  const struct {
    std::string fasta;
    bool remove_frameshift;
    Lines lines;
    std::string error;
  } cases[] = {
      {">C|A|i|1\nAAA\n>C|A|i|2\nAAA\n>C|A|i|3\nAAAA\n>D|A|i|1\nAAA\n>D|A|i|2\nAA\n", false,
       {" -> Initial number of sequences: 5"}, "record 3 (C|A|i|3): 4 nucleotides"},
      {">C|A|i|1\nAAA\n>|\nAAA\n>D|A|i|1\nAAA\n", false, {" -> Initial number of sequences: 3"},
       "record 2 (|): the sequence name has no field"},
      {">C\tx|A|i|1\nAAA\n>D|A|i|1\nAAA\n", false, {" -> Initial number of sequences: 2"},
       "record 1 (C\\tx|A|i|1): the contig name"},
      {">C|A|i|1\nA!A\n>D|A|i|1\nAAA\n>D|A|i|2\nAAAAAA\n", true,
       {" -> Initial number of sequences: 3", "Contig C has a frameshift (Position: 1)", discarded},
       "record 3 (D|A|i|2): 6 nucleotides"},
      {">C|A|i|1\nAAA\n>C|A|i|2\nAAAA\n>D|A|i|1\nAUA\n", false, {}, "record 3 (D|A|i|1): unknown letter \"U\""},
      {">C|A|i|1\nAAA\n>|\nAAA\n>C|A|i|1\nAAA\n", false, {}, "record 3 (C|A|i|1): this sequence name is already used"},
  };
  for (const auto& c : cases) {
    testsupport::TempDir dir;
    const std::string path = dir.write("aln.fas", c.fasta);
    std::ostringstream out;
    std::streambuf* old = std::cout.rdbuf(out.rdbuf());
    std::string error = "no error";
    try {
      AlignmentFileManagement::readAlignmentFile(path, c.remove_frameshift, &alphabets().nucleic, &alphabets().codon,
                                                 true);
    } catch (const bpp::Exception& e) {
      error = e.what();
    }
    std::cout.rdbuf(old);
    EXPECT_EQ(testsupport::splitLines(out.str()), c.lines) << c.error;
    EXPECT_EQ(error.find("Alignment file " + path + ", " + c.error), 0u) << error;
  }
}

// The same containers as the library's route: its FASTA reader, one aligned container per run,
// conversion to the codon alphabet through the letters, a polymorphism container of the result.
TEST(AlignmentReading, SameContainersAsTheLibraryRoute) {
  std::mt19937 rng(7);
  const std::string letters = "ACGTacgtACGTACGT-NnRy*!";
  std::string fasta = "leading text\n";
  for (int contig = 0, record = 0; contig < 12; ++contig) {
    const int n_seq = 1 + static_cast<int>(rng() % 5), length = static_cast<int>(rng() % 40);
    for (int s = 0; s < n_seq; ++s) {
      fasta += ">K" + std::to_string(contig % 5 == 4 ? 0 : contig) + "|Sp|i" + std::to_string(record++) + "|1" +
               (contig % 3 == 0 ? "\r\n" : "\n");
      for (int p = 0; p < length; ++p) {
        fasta += letters[rng() % letters.size()];
        if (rng() % 23 == 0) fasta += " ";
        if (rng() % 17 == 0) fasta += "\n";
      }
      fasta += rng() % 4 ? "\n" : "\n\n";
    }
  }
  testsupport::TempDir dir;
  const std::string path = dir.write("aln.fas", fasta);
  const Contigs mine = readFile(path, false, false, nullptr);
  std::unique_ptr<bpp::SequenceContainer> all(bpp::Fasta(100, true, false, false).readSequences(path, &alphabets().nucleic));
  const auto& ordered = dynamic_cast<const bpp::OrderedSequenceContainer&>(*all);
  Contigs library;
  std::unique_ptr<bpp::AlignedSequenceContainer> run;
  std::string current;
  auto finish = [&]() {
    if (!run) return;
    bpp::AlignedSequenceContainer codons(&alphabets().codon);
    bpp::SequenceContainerTools::convertAlphabet(*run, codons);
    library.emplace_back(new PolymorphismSequenceContainer(codons));
  };
  for (size_t i = 0; i < ordered.getNumberOfSequences(); ++i) {
    const std::string contig = AlignmentFileManagement::_extractContigNameFromSequenceName(ordered.getName(i));
    if (contig != current) {
      finish();
      current = contig;
      run.reset(new bpp::AlignedSequenceContainer(&alphabets().nucleic));
    }
    run->addSequence(ordered.getSequence(i), true);
  }
  finish();
  ASSERT_EQ(mine.size(), library.size());
  ASSERT_GE(mine.size(), 10u);
  for (size_t k = 0; k < mine.size(); ++k) {
    const PolymorphismSequenceContainer &m = *mine[k], &l = *library[k];
    ASSERT_EQ(m.getSequencesNames(), l.getSequencesNames()) << k;
    EXPECT_EQ(m.getSitePositions(), l.getSitePositions()) << k;
    for (size_t i = 0; i < m.getNumberOfSequences(); ++i) {
      EXPECT_EQ(codes(m, i), codes(l, i)) << k << " " << i;
      EXPECT_TRUE(m.getGroupId(i) == l.getGroupId(i) && m.isIngroupMember(i) == l.isIngroupMember(i) &&
                  m.getSequenceCount(i) == l.getSequenceCount(i));
    }
  }
}

TEST(AlignmentReading, ContigNameAndFocalCounts) {
  EXPECT_EQ(AlignmentFileManagement::_extractContigNameFromSequenceName("||C1||x") +
                AlignmentFileManagement::_extractContigNameFromSequenceName("C2"),
            "C1C2");
  EXPECT_THROW(AlignmentFileManagement::_extractContigNameFromSequenceName("|||"), bpp::Exception);
  unsigned int max = 99;
  EXPECT_EQ(inputtest::coutLines([&] { max = AlignmentFileManagement::getMaxNumberOfFocalIndividual({}, "SpA"); }),
            Lines({" -> Minimum/Maximum number of focal sequences by dataset/contig:", "   --> Min: 1000000",
                   "   --> Max: 0", ""}));
  EXPECT_EQ(max, 0u);
  auto c1 = inputtest::makeContainer({{"C1|SpA|i|1", "AAA"}, {"C1|SpB|i|1", "AAA"}, {"C1|SpA|j|1", "AAA"}}, &alphabets().codon);
  auto c2 = inputtest::makeContainer({{"C2|SpB|i|1", "AAA"}, {"C2|xSpAx|k|1", "AAA"}}, &alphabets().codon);
  const Lines out = inputtest::coutLines([&] {
    max = AlignmentFileManagement::getMaxNumberOfFocalIndividual({c1.get(), c2.get()}, "SpA");
  });
  EXPECT_EQ(out[1] + out[2], "   --> Min: 1   --> Max: 2");
  EXPECT_EQ(max, 2u);
}

}  // namespace
