#include <gtest/gtest.h>

#include <Bpp/Exceptions.h>
#include <Bpp/Seq/Container/AlignedSequenceContainer.h>
#include <Bpp/Seq/Container/SequenceContainerTools.h>
#include <Bpp/Seq/Container/VectorSequenceContainer.h>
#include <Bpp/Seq/Io/Fasta.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ContainerTestSupport.h"
#include "TestSupport.h"
#include "input/AlignmentFileManagement.h"

namespace {

using bpp::PolymorphismSequenceContainer;
using mrv::AlignmentFileManagement;
using testsupport::splitLines;
using Lines = std::vector<std::string>;

struct ReadResult {
  std::vector<std::unique_ptr<PolymorphismSequenceContainer>> contigs;
  Lines lines;
};

ReadResult readText(const std::string& fasta, bool remove_frameshift, bool debug = false) {
  inputtest::Alphabets* a = new inputtest::Alphabets();  // outlives the containers of the test
  testsupport::TempDir dir;
  const std::string path = dir.write("aln.fas", fasta);
  ReadResult r;
  inputtest::CoutCapture cap;
  for (PolymorphismSequenceContainer* c :
       AlignmentFileManagement::readAlignmentFile(path, remove_frameshift, &a->nucleic, &a->codon,
                                                  debug))
    r.contigs.emplace_back(c);
  r.lines = splitLines(cap.text());
  return r;
}

// Message of the exception that reading `fasta` raises ("" when none).
std::string readError(const std::string& fasta, bool remove_frameshift = false) {
  try {
    readText(fasta, remove_frameshift);
  } catch (const bpp::Exception& e) {
    return e.what();
  }
  return "";
}

std::vector<int> codes(const PolymorphismSequenceContainer& c, size_t sequence) {
  std::vector<int> v;
  for (size_t j = 0; j < c.getNumberOfSites(); ++j) v.push_back(c.valueAt(sequence, j));
  return v;
}

TEST(AlignmentReading, ContigsAreRunsOfRecords) {
  ReadResult r = readText(">C1|A|i|1\nAAA\n>C1|A|i|2\nAAC\n>C2|A|i|1\nAAG\n>C2|A|j|1\nAAT\n", false);
  ASSERT_EQ(r.contigs.size(), 2u);
  EXPECT_EQ(r.contigs[0]->getSequencesNames(), (Lines{"C1|A|i|1", "C1|A|i|2"}));
  EXPECT_EQ(r.contigs[1]->getSequencesNames(), (Lines{"C2|A|i|1", "C2|A|j|1"}));
  EXPECT_EQ(r.lines, (Lines{" -> Initial number of sequences: 4",
                            " -> Initial number of datasets/contigs: 2", ""}));

  r = readText(">C1|A|i|1\nAAA\n>C2|A|i|1\nAAA\n>C1|A|i|2\nAAAC\n", false);
  ASSERT_EQ(r.contigs.size(), 3u);
  EXPECT_EQ(r.contigs[2]->getSequencesNames(), (Lines{"C1|A|i|2"}));
  EXPECT_EQ(r.lines[1], " -> Initial number of datasets/contigs: 3");

  r = readText(">seqA\nAAA\n>seqB\nAAA\n", false);  // without "|", the whole name is the contig
  ASSERT_EQ(r.contigs.size(), 2u);

  // Leading or doubled "|" give no empty field: both names belong to contig C1.
  r = readText(">|C1|A|i|1\nAAA\n>C1||A|i|2\nAAA\n", false);
  ASSERT_EQ(r.contigs.size(), 1u);
  for (const auto& c : r.contigs)
    for (size_t i = 0; i < c->getNumberOfSequences(); ++i) {
      EXPECT_EQ(c->getGroupId(i), 1u);
      EXPECT_TRUE(c->isIngroupMember(i));
      EXPECT_EQ(c->getSequenceCount(i), 1u);
    }
}

TEST(AlignmentReading, CodonsOfTheSequences) {
  const std::string n301(301, 'C');
  ReadResult r = readText(">L|A|i|1\n" + n301 + "\n>S|A|i|1\nAC\n", false);
  ASSERT_EQ(r.contigs.size(), 2u);
  EXPECT_EQ(r.contigs[0]->getNumberOfSites(), 100u);
  EXPECT_EQ(r.contigs[1]->getNumberOfSites(), 0u);
  EXPECT_EQ(r.contigs[1]->getNumberOfSequences(), 1u);

  // Letters of either case across lines and blanks; "*", "n" and ambiguity codes give NNN.
  r = readText(">C|A|i|1\naaaTA\nA \tac-g*A\r\n!CGTTT\n\n---acgTGA\n", false);
  ASSERT_EQ(r.contigs.size(), 1u);
  EXPECT_EQ(codes(*r.contigs[0], 0), (std::vector<int>{0, 48, -1, 65, 64, 63, -1, 6, 56}));
  EXPECT_EQ(r.contigs[0]->toString(0), "AAATAA---NNN!!!TTT---ACGTGA");
  r = readText(">C|A|i|1\nA*GANGARGaYg\n", false);
  EXPECT_EQ(codes(*r.contigs[0], 0), (std::vector<int>{65, 65, 65, 65}));

  // A sequence line that begins with a blank is read like any other.
  r = readText(">C|A|i|1\n AAA\n\tCCC\n", false);
  EXPECT_EQ(codes(*r.contigs[0], 0), (std::vector<int>{0, 21}));

  // Lines before the first header are no record.
  r = readText("; a comment\n\n>C|A|i|1\nAAA\n", false);
  ASSERT_EQ(r.contigs.size(), 1u);
  EXPECT_EQ(r.lines[0], " -> Initial number of sequences: 1");
}

TEST(AlignmentReading, FrameshiftRemoval) {
  // The "!" of the third record drops its whole contig, the fourth record unread (it even has
  // another length); a contig split in two runs loses only the run holding the "!".
  const std::string fasta =
      ">C1|A|a|1\nAAAAAA\n>C1|A|a|2\nAAAAAA\n>C1|A|b|1\nAA!AAA\n>C1|A|b|2\nAAA\n"
      ">C2|A|a|1\nCCCCCC\n>C3|A|a|1\nGGG!GG\n>C2|A|a|2\nTTTTTT\n";
  ReadResult r = readText(fasta, true, true);
  ASSERT_EQ(r.contigs.size(), 2u);
  EXPECT_EQ(r.contigs[0]->getSequencesNames(), (Lines{"C2|A|a|1"}));
  EXPECT_EQ(r.contigs[1]->getSequencesNames(), (Lines{"C2|A|a|2"}));
  EXPECT_EQ(r.lines, (Lines{" -> Initial number of sequences: 7",
                            "Contig C1 has a frameshift (Position: 2)",
                            "   --> Frameshift detected ! The current alignment will be discarded..",
                            "Contig C3 has a frameshift (Position: 3)",
                            "   --> Frameshift detected ! The current alignment will be discarded..",
                            " -> Initial number of datasets/contigs: 4",
                            "",
                            " -> Number of conserved contigs: 2",
                            "   --> Number of eliminated frameshift-containing contigs: 2",
                            ""}));
  r = readText(fasta, true, false);
  EXPECT_EQ(r.lines, (Lines{" -> Initial number of sequences: 7",
                            " -> Initial number of datasets/contigs: 4", "",
                            " -> Number of conserved contigs: 2",
                            "   --> Number of eliminated frameshift-containing contigs: 2", ""}));
  // Without removal the frameshift bases stay as frameshift codons, and lengths are checked.
  EXPECT_NE(readError(fasta, false).find("record 4 (C1|A|b|2)"), std::string::npos);
  r = readText(">C1|A|a|1\nAAAAAA\n>C1|A|b|1\nAA!AAA\n", false);
  EXPECT_EQ(codes(*r.contigs[0], 1), (std::vector<int>{64, 0}));
  // Every contig with a "!": nothing left.
  r = readText(">C1|A|a|1\n!AA\n", true);
  EXPECT_TRUE(r.contigs.empty());
  EXPECT_EQ(r.lines[3], " -> Number of conserved contigs: 0");
}

TEST(AlignmentReading, EmptyFile) {
  for (const std::string text : {"", "\n\n", "no header at all\n"}) {
    ReadResult r = readText(text, false);
    EXPECT_TRUE(r.contigs.empty());
    EXPECT_EQ(r.lines, (Lines{" -> Initial number of sequences: 0",
                              " -> Initial number of datasets/contigs: 0", ""}));
  }
}

TEST(AlignmentReading, MalformedRecordsAreNamed) {
  const struct { const char* label; std::string fasta; std::string message; } rows[] = {
      {"unknown letter", ">C|A|i|1\nAAA\n>C|A|i|2\nAC\nGUA\n",
       "record 2 (C|A|i|2): unknown letter \"U\" at position 4 of the sequence (line 5 of the file)"},
      {"byte above 127", ">C|A|i|1\nAA\xC3\xA9\n",
       "record 1 (C|A|i|1): unknown byte 0xC3 at position 3 of the sequence (line 2 of the file)"},
      {"header not at line start", ">C|A|i|1\nAAA\n >C|A|i|2\nAAA\n",
       "record 1 (C|A|i|1): unknown letter \">\" at position 4"},
      {"repeated name", ">C|A|i|1\nAAA\n>C|A|i|2\nAAA\n>C|A|i|1\nAAA\n",
       "record 3 (C|A|i|1): this sequence name is already used by record 1."},
      {"repeated name in another contig", ">C|A|i|1\nAAA\n>D|A|i|2\nAAA\n>C|A|i|1\nAAA\n",
       "record 3 (C|A|i|1): this sequence name is already used by record 1."},
      {"empty name", ">C|A|i|1\nAAA\n>\nAAA\n", "record 2 (): the sequence name has no field"},
      {"name of bars", ">||\nAAA\n", "record 1 (||): the sequence name has no field"},
      {"unequal lengths", ">C|A|i|1\nAAAAAA\n>C|A|i|2\nAAAAAA\n>C|A|i|3\nAAAAAAA\n",
       "record 3 (C|A|i|3): 7 nucleotides, while the first record of its contig (record 1, "
       "C|A|i|1) has 6; the sequences of a contig must be aligned."},
  };
  for (const auto& row : rows) {
    const std::string error = readError(row.fasta);
    EXPECT_NE(error.find(row.message), std::string::npos) << row.label << ": " << error;
    EXPECT_EQ(error.find("Alignment file "), 0u) << row.label;
  }
  inputtest::Alphabets a;
  EXPECT_THROW(AlignmentFileManagement::readAlignmentFile("/nonexistent/aln.fas", false,
                                                          &a.nucleic, &a.codon, false),
               bpp::IOException);
}

// The reading gives the containers that the library's own route gives: its FASTA reader, one
// aligned container per run, conversion to the codon alphabet through the letters, and a
// polymorphism container made from the result.
TEST(AlignmentReading, SameContainersAsTheLibraryRoute) {
  std::mt19937 rng(7);
  const std::string letters = "ACGTacgtACGTACGT-NnRy*!";
  std::string fasta = "leading text\n";
  int record = 0;
  for (int contig = 0; contig < 12; ++contig) {
    const int n_seq = 1 + static_cast<int>(rng() % 5);
    const int length = static_cast<int>(rng() % 40);
    const std::string cname = contig % 5 == 4 ? "K0" : "K" + std::to_string(contig);
    for (int s = 0; s < n_seq; ++s) {
      fasta += ">" + cname + "|Sp|ind" + std::to_string(record++) + "|1" +
               (contig % 3 == 0 ? "\r\n" : "\n");
      for (int p = 0; p < length; ++p) {
        fasta += letters[rng() % letters.size()];
        if (rng() % 23 == 0) fasta += " ";
        if (rng() % 17 == 0) fasta += "\n";
      }
      fasta += "\n";
      if (rng() % 4 == 0) fasta += "\n";
    }
  }
  inputtest::Alphabets a;
  testsupport::TempDir dir;
  const std::string path = dir.write("aln.fas", fasta);
  std::vector<std::unique_ptr<PolymorphismSequenceContainer>> mine;
  {
    inputtest::CoutCapture cap;
    for (auto* c : AlignmentFileManagement::readAlignmentFile(path, false, &a.nucleic, &a.codon, false))
      mine.emplace_back(c);
  }
  std::unique_ptr<bpp::SequenceContainer> all(
      bpp::Fasta(100, true, false, false).readSequences(path, &a.nucleic));
  auto* ordered = dynamic_cast<bpp::OrderedSequenceContainer*>(all.get());
  ASSERT_NE(ordered, nullptr);
  std::vector<std::unique_ptr<PolymorphismSequenceContainer>> library;
  std::unique_ptr<bpp::AlignedSequenceContainer> run;
  std::string current;
  auto finish = [&]() {
    if (!run) return;
    bpp::AlignedSequenceContainer codons(&a.codon);
    bpp::SequenceContainerTools::convertAlphabet(*run, codons);
    library.emplace_back(new PolymorphismSequenceContainer(codons));
    run.reset();
  };
  for (size_t i = 0; i < ordered->getNumberOfSequences(); ++i) {
    const std::string name = ordered->getName(i);
    const std::string contig = AlignmentFileManagement::_extractContigNameFromSequenceName(name);
    if (contig != current) {
      finish();
      current = contig;
      run.reset(new bpp::AlignedSequenceContainer(&a.nucleic));
    }
    run->addSequence(ordered->getSequence(i), true);
  }
  finish();
  ASSERT_EQ(mine.size(), library.size());
  ASSERT_GE(mine.size(), 10u);
  for (size_t k = 0; k < mine.size(); ++k) {
    const PolymorphismSequenceContainer &m = *mine[k], &l = *library[k];
    ASSERT_EQ(m.getSequencesNames(), l.getSequencesNames()) << k;
    ASSERT_EQ(m.getNumberOfSites(), l.getNumberOfSites()) << k;
    EXPECT_EQ(m.getSitePositions(), l.getSitePositions()) << k;
    for (size_t i = 0; i < m.getNumberOfSequences(); ++i) {
      EXPECT_EQ(codes(m, i), codes(l, i)) << k << " " << i;
      EXPECT_EQ(m.getGroupId(i), l.getGroupId(i));
      EXPECT_EQ(m.isIngroupMember(i), l.isIngroupMember(i));
      EXPECT_EQ(m.getSequenceCount(i), l.getSequenceCount(i));
    }
  }
}

TEST(AlignmentReading, ContigNameAndFocalCounts) {
  EXPECT_EQ(AlignmentFileManagement::_extractContigNameFromSequenceName("C1|SpA|i|1"), "C1");
  EXPECT_EQ(AlignmentFileManagement::_extractContigNameFromSequenceName("||C1||x"), "C1");
  EXPECT_EQ(AlignmentFileManagement::_extractContigNameFromSequenceName("C1"), "C1");
  EXPECT_THROW(AlignmentFileManagement::_extractContigNameFromSequenceName(""), bpp::Exception);
  EXPECT_THROW(AlignmentFileManagement::_extractContigNameFromSequenceName("|||"), bpp::Exception);

  inputtest::Alphabets a;
  {
    inputtest::CoutCapture cap;
    EXPECT_EQ(AlignmentFileManagement::getMaxNumberOfFocalIndividual({}, "SpA"), 0u);
    EXPECT_EQ(splitLines(cap.text()),
              (Lines{" -> Minimum/Maximum number of focal sequences by dataset/contig:",
                     "   --> Min: 1000000", "   --> Max: 0", ""}));
  }
  auto c1 = inputtest::makeContainer(
      {{"C1|SpA|i|1", "AAA"}, {"C1|SpB|i|1", "AAA"}, {"C1|SpA|j|1", "AAA"}}, &a.codon);
  auto c2 = inputtest::makeContainer({{"C2|SpB|i|1", "AAA"}, {"C2|xSpAx|k|1", "AAA"}}, &a.codon);
  inputtest::CoutCapture cap;
  EXPECT_EQ(AlignmentFileManagement::getMaxNumberOfFocalIndividual({c1.get(), c2.get()}, "SpA"), 2u);
  EXPECT_EQ(splitLines(cap.text())[1], "   --> Min: 1");
}

}  // namespace
