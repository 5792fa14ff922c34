// Bad input, end to end: the real binary on broken alignments, population files, options and
// output places. Every run must end with either a complete run or a clear error and a non-zero
// status, and a failed run must never leave an output file that is not complete.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

using testsupport::readFile;
using testsupport::RunResult;
using testsupport::runSelvantrix;
using testsupport::sourcePath;
using testsupport::splitLines;
using testsupport::TempDir;

namespace {

const std::string kAlignment = "example.fas";
const std::string kPopulations = "populations.txt";

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// Applies `change` to the sequence lines only (not to the ">" name lines).
template <class F>
std::string mapSequenceLines(const std::string& fasta, F change) {
  std::string out;
  for (const std::string& line : splitLines(fasta)) out += (line.rfind(">", 0) == 0 ? line : change(line)) + "\n";
  return out;
}

// Number of letters in the sequence lines of the first record.
size_t firstRecordLength(const std::string& fasta) {
  size_t n = 0;
  const std::vector<std::string> lines = splitLines(fasta);
  for (size_t i = 1; i < lines.size() && lines[i].rfind(">", 0) != 0; ++i) n += lines[i].size();
  return n;
}

// The regular files of a directory.
std::set<std::string> filesIn(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.is_regular_file()) names.insert(entry.path().filename().string());
  return names;
}

// Runs with the size of every file the process writes limited to `bytes`: a full disk as far as
// the process can tell, once it ignores SIGXFSZ (which it does itself; the default action would kill
// it). The child inherits the limit, restored here afterwards; the test process writes no file
// meanwhile.
RunResult runWithFileSizeLimit(const std::vector<std::string>& args, const std::string& cwd, rlim_t bytes) {
  rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = bytes;
  auto previous = std::signal(SIGXFSZ, SIG_DFL);
  setrlimit(RLIMIT_FSIZE, &limited);
  RunResult r = runSelvantrix(args, cwd);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  return r;
}

struct Case {
  std::string name;
  std::map<std::string, std::string> files;  // written in the working directory before the run
  std::vector<std::string> args;
  int status;
  std::string first_error;          // the first line on standard error; empty: nothing there
  std::string console_line;         // a line expected on standard output (empty: none required)
  std::vector<std::string> kept;    // output files that must be there, equal to the reference run's
  rlim_t file_size_limit = 0;       // 0: no limit
  std::vector<std::string> dirs = {};  // directories made in the working directory
};

class BadInput : public testing::Test {
 protected:
  void SetUp() override {
    alignment = readFile(sourcePath("examples/" + kAlignment));
    populations = readFile(sourcePath("examples/" + kPopulations));
    ASSERT_FALSE(alignment.empty());
    // The reference run: the example data with distances; its main output and distance file are
    // what every complete run of the same data must write (they hold no random value).
    RunResult r = runSelvantrix(referenceArgs({"-compute_distances=yes"}), reference.path());
    ASSERT_EQ(r.status, 0) << r.err;
    reference_files = {{"example.out", readFile(reference.file("example.out"))},
                       {"example.dist", readFile(reference.file("example.dist"))},
                       {"example.sum", readFile(reference.file("example.sum"))}};
  }

  std::vector<std::string> referenceArgs(std::vector<std::string> extra) {
    reference.write(kAlignment, alignment);
    reference.write(kPopulations, populations);
    std::vector<std::string> args = {"-alignment_file=" + kAlignment, "-population_file=" + kPopulations,
                                     "-ingroup=Sp1", "-outgroup=Sp2", "-bs_replicates=50"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }

  // Runs every case in a directory of its own and checks status, first error line, console line
  // and what is left in the directory.
  void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      TempDir d;
      std::set<std::string> inputs;
      for (const auto& f : c.files) {
        d.write(f.first, f.second);
        inputs.insert(f.first);
      }
      for (const std::string& dir : c.dirs) std::filesystem::create_directory(d.file(dir));
      RunResult r = c.file_size_limit ? runWithFileSizeLimit(c.args, d.path(), c.file_size_limit)
                                      : runSelvantrix(c.args, d.path());
      EXPECT_EQ(r.status, c.status) << r.err;
      const std::vector<std::string> err = splitLines(r.err);
      if (c.first_error.empty()) {
        EXPECT_TRUE(err.empty()) << r.err;
      } else {
        ASSERT_FALSE(err.empty());
        EXPECT_EQ(err[0], c.first_error);
      }
      EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
      if (!c.console_line.empty()) {
        const std::vector<std::string> out = splitLines(r.out);
        EXPECT_NE(std::find(out.begin(), out.end(), c.console_line), out.end()) << r.out;
      }
      // Left behind: the inputs, the files named as kept (complete: equal to the reference run's)
      // and, after a complete run, its main output and summary.
      std::set<std::string> expected = inputs;
      for (const std::string& k : c.kept) {
        expected.insert(k);
        EXPECT_EQ(readFile(d.file(k)), reference_files.at(k)) << k;
      }
      if (c.status == 0) {
        expected.insert("example.out");
        expected.insert("example.sum");
      }
      EXPECT_EQ(filesIn(d.path()), expected);
    }
  }

  std::map<std::string, std::string> dataWith(const std::string& fasta) {
    return {{kAlignment, fasta}, {kPopulations, populations}};
  }

  TempDir reference;
  std::string alignment, populations;
  std::map<std::string, std::string> reference_files;
};

std::vector<std::string> runArgs(std::vector<std::string> extra) {
  std::vector<std::string> args = {"-alignment_file=" + kAlignment, "-population_file=" + kPopulations,
                                   "-ingroup=Sp1", "-outgroup=Sp2", "-bs_replicates=50"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

const char* kNoContig =
    "ERROR!!! Sorry, there is not enough dataset/contig to perform the analysis ! Execution canceled..";
const char* kNoCleanContig =
    "ERROR!!! Sorry, there is not enough clean dataset/contig to perform the analysis ! Execution canceled..";

std::string invalid(const std::string& value, const std::string& option, const std::string& fallback,
                    bool percentage = false) {
  return "WARNING!!! The value (" + value + ") of the " + option + " parameters is " +
         (percentage ? "not a valid percentage in decimal form" : "not valid") + " ! Default value (\"" + fallback +
         "\") will be used !";
}

}  // namespace

TEST_F(BadInput, BrokenAlignmentFiles) {
  const std::string first = splitLines(alignment)[1];  // the first sequence line of the first record
  const std::string protein = ">c1|Sp1|ind01|allele_1\nMKVLAAGIVGLLLAWEQ\n>c1|Sp1|ind01|allele_2\nMKVLAAGIVGLLLAWEQ\n";
  const std::string garbage = std::string("\x7f" "ELF\x02\x01\n>\xff\xfe|\x01\n") + std::string("\0\x13\x80\n", 4);
  const std::string longer = replaceAll(alignment, ">contig01|Sp1|ind01|allele_2\n" + first.substr(0, 10),
                                        ">contig01|Sp1|ind01|allele_2\nACG" + first.substr(0, 10));
  const std::string duplicated = replaceAll(alignment, "contig01|Sp1|ind02|allele_1", "contig01|Sp1|ind01|allele_1");
  const std::string no_bars = replaceAll(alignment, "|", "_");
  const std::string empty_field = replaceAll(alignment, "contig02|Sp1|ind03|allele_1", "contig02||ind03|allele_1");
  const std::string lower = mapSequenceLines(alignment, [](std::string l) {
    std::transform(l.begin(), l.end(), l.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return l;
  });
  const std::string rna = mapSequenceLines(alignment, [](const std::string& l) { return replaceAll(l, "T", "U"); });
  const std::string two_fields = replaceAll(alignment, "contig01|Sp1|ind01|allele_2", "contig01|Sp1|");

  check({
      {"empty file", dataWith(""), runArgs({}), 1, "ERROR!!! The provided alignment file is empty !", "", {}},
      {"FASTA without >", dataWith(replaceAll(alignment, ">", "")), runArgs({}), 1, kNoContig, "", {}},
      {"binary garbage", dataWith(garbage), runArgs({}), 1,
       "ERROR!!! Alignment file example.fas, record 1 (\xff\xfe|\x01): unknown byte 0x00 at position 1 of the "
       "sequence (line 3 of the file).",
       "", {}},
      {"protein alignment", dataWith(protein), runArgs({}), 1,
       "ERROR!!! Alignment file example.fas, record 1 (c1|Sp1|ind01|allele_1): unknown letter \"L\" at position 4 "
       "of the sequence (line 2 of the file).",
       "", {}},
      {"record longer than the first of its contig", dataWith(longer), runArgs({}), 1,
       "ERROR!!! Alignment file example.fas, record 2 (contig01|Sp1|ind01|allele_2): " +
           std::to_string(firstRecordLength(alignment) + 3) +
           " nucleotides, while the first record of its contig (record 1, contig01|Sp1|ind01|allele_1) has " +
           std::to_string(firstRecordLength(alignment)) + "; the sequences of a contig must be aligned.",
       "", {}},
      {"duplicated sequence name", dataWith(duplicated), runArgs({}), 1,
       "ERROR!!! Alignment file example.fas, record 3 (contig01|Sp1|ind01|allele_1): this sequence name is already "
       "used by record 1.",
       "", {}},
      {"names without |", dataWith(no_bars), runArgs({}), 1, kNoCleanContig, "", {}},
      // Without a population file, such names cannot name an individual.
      {"names without | (default population)", {{kAlignment, no_bars}},
       {"-alignment_file=" + kAlignment, "-ingroup=Sp1"}, 1,
       "ERROR!!! The name of dataset 0 contains less than 3 elements separated by a | (pipe) character !", "", {}},
      // Empty fields are skipped: "contig02||ind03|allele_1" names the species "ind03", another
      // species, whose sequence cleaning removes; the run completes.
      {"a name with an empty field", dataWith(empty_field), runArgs({}), 0, "", "", {}},
      {"a focal name with two fields", {{kAlignment, two_fields}}, {"-alignment_file=" + kAlignment, "-ingroup=Sp1"},
       1, "ERROR!!! The name of dataset 0 contains less than 3 elements separated by a | (pipe) character !", "", {}},
      {"lower-case letters", dataWith(lower), runArgs({}), 0, "", "", {"example.out"}},
      {"U instead of T", dataWith(rna), runArgs({}), 1,
       "ERROR!!! Alignment file example.fas, record 1 (contig01|Sp1|ind01|allele_1): unknown letter \"U\" at "
       "position " + std::to_string(first.find('T') + 1) + " of the sequence (line 2 of the file).",
       "", {}},
      {"CRLF line ends", dataWith(replaceAll(alignment, "\n", "\r\n")), runArgs({}), 0, "", "", {"example.out"}},
      {"a name without any field", dataWith(replaceAll(alignment, ">contig01|Sp1|ind01|allele_1", ">||")),
       runArgs({}), 1,
       "ERROR!!! Alignment file example.fas, record 1 (||): the sequence name has no field, so it names no contig "
       "(\"Contig_name|Species_name|Individual_name|Allele_number\").",
       "", {}},
      {"alignment file that is a directory", dataWith(""), runArgs({"-alignment_file=adir"}), 1,
       "ERROR!!! Cannot open/read alignment file: adir", "", {}, 0, {"adir"}},
  });
}

TEST_F(BadInput, PopulationFilesAndSpeciesNames) {
  auto files = [this](const std::string& pop) {
    return std::map<std::string, std::string>{{kAlignment, alignment}, {kPopulations, pop}};
  };
  check({
      {"CRLF population file", files(replaceAll(populations, "\n", "\r\n")), runArgs({}), 1,
       "ERROR!!! Individual ind04 doesn't belong to any population ! (contig contig01 of the alignment file "
       "example.fas; population file populations.txt, whose lines end with a carriage return (Windows line ends): "
       "it is read as part of the last individual name of each line)",
       "", {}},
      {"an individual listed twice", files("PopA;ind01;ind02;ind03;ind04\nPopB;ind04;ind05;ind06;ind07;ind08\n"),
       runArgs({}), 1, "ERROR!!! Current Selvantrix version is not compatible with duplicates-containing populations !",
       "", {}},
      {"no individual of the data", files("PopA;x01;x02\nPopB;x03\n"), runArgs({}), 1,
       "ERROR!!! Individual ind01 doesn't belong to any population ! (contig contig01 of the alignment file "
       "example.fas; population file populations.txt)",
       "", {}},
      {"empty population file", files(""), runArgs({}), 1, "ERROR!!! The provided population file is empty !", "", {}},
      {"population file that is a directory", files(populations), runArgs({"-population_file=pdir"}), 1,
       "ERROR!!! Cannot open/read file: pdir", "", {}, 0, {"pdir"}},
      {"ingroup matching nothing", files(populations), runArgs({"-ingroup=Sp9"}), 1, kNoCleanContig, "", {}},
      {"ingroup matching nothing (default population)", {{kAlignment, alignment}},
       {"-alignment_file=" + kAlignment, "-ingroup=Sp9"}, 1,
       "ERROR!!! There is no focal individuals in the selected PolymorphismSequenceContainer", "", {}},
      {"outgroup matching nothing", files(populations), runArgs({"-outgroup=Sp9"}), 1, kNoCleanContig, "", {}},
  });
}

TEST_F(BadInput, OptionValues) {
  const auto data = dataWith(alignment);
  // A refused value: warned about, replaced by the default, so the run writes the reference output.
  auto refused = [&](const std::string& option, const std::string& value, const std::string& fallback,
                     bool percentage) {
    return Case{option + "=" + value, data, runArgs({option + "=" + value}), 0, "",
                invalid(value, option, fallback, percentage), {"example.out"}};
  };
  check({
      refused("-gc_bin", "99999999999", "8", false),
      refused("-gc_bin", "abc", "8", false),
      refused("-gapN_site", "abc", "10", false),
      refused("-gapN_seq", "abc", "0.5", true),
      refused("-gapN_seq", "-0.5", "0.5", true),
      refused("-tolerance_zone", "abc", "20", false),
      refused("-min_nb_codon", "abc", "10", false),
      refused("-kappa", "abc", "1", false),
      refused("-kappa", "-3", "1", false),
      refused("-bs_replicates", "abc", "10000", false),
      refused("-bs_replicates", "99999999999", "10000", false),
      refused("-bs_sort", "abc", "1000000", false),
      refused("-bs_confidence", "nan", "0.95", true),
      refused("-bs_confidence", "2", "0.95", true),
      refused("-contig_usage", "7", "all", false),
      // A negative count wraps to more sites or codons than any contig has: nothing is left.
      {"-gapN_site=-1", data, runArgs({"-gapN_site=-1"}), 1, kNoCleanContig, "", {}},
      {"-min_nb_codon=-1", data, runArgs({"-min_nb_codon=-1"}), 1, kNoCleanContig, "", {}},
      {"-tolerance_zone=-1", data, runArgs({"-tolerance_zone=-1"}), 0, "", "", {}},
      // -kappa is a whole number: the leading 1 of 1e30.
      {"-kappa=1e30", data, runArgs({"-kappa=1e30"}), 0, "", "", {"example.out"}},
      {"-alignment_file of a missing file", data, runArgs({"-alignment_file=missing.fas"}), 1,
       "ERROR!!! File does not exists: missing.fas", "", {}},
  });
}

TEST_F(BadInput, OutputPlaces) {
  const auto data = dataWith(alignment);
  const rlim_t main_size = reference_files.at("example.out").size();
  const rlim_t dist_size = reference_files.at("example.dist").size();
  const rlim_t sum_size = reference_files.at("example.sum").size();
  ASSERT_LT(main_size, dist_size);
  ASSERT_LT(main_size, sum_size);
  check({
      {"output directory that does not exist", data, runArgs({"-out=missing/example.out"}), 1,
       "Error: Cannot create/open file: missing/example.out", "", {}},
      // As root no permission stops a write: a regular file in the place of a directory does.
      {"unwritable output directory", data, runArgs({"-out=" + kPopulations + "/example.out"}), 1,
       "Error: Cannot create/open file: populations.txt/example.out", "", {}},
      // The summary cannot be created: the main output, written before and complete, stays.
      {"summary in the place of a directory", data, runArgs({}), 1, "Error: Cannot create/open file: example.sum",
       "", {"example.out"}, 0, {"example.sum"}},
      {"disk full in the main output", data, runArgs({}), 1,
       "ERROR!!! Cannot write file: example.out (disk full or file size limit?). The incomplete file has been "
       "removed.",
       "", {}, main_size / 2},
      {"disk full in the distance file", data, runArgs({"-compute_distances=yes"}), 1,
       "ERROR!!! Cannot write file: example.dist (disk full or file size limit?). The incomplete file has been "
       "removed.",
       "", {"example.out"}, (main_size + dist_size) / 2},
      {"disk full in the summary", data, runArgs({}), 1,
       "ERROR!!! Cannot write file: example.sum (disk full or file size limit?). The incomplete file has been "
       "removed.",
       "", {"example.out"}, (main_size + sum_size) / 2},
  });
}

// Inputs on which the fuzz targets once failed (tests/robustness/data/fuzz_*).
TEST_F(BadInput, FuzzFindings) {
  // One argument per line. The last one ends with a backslash, which makes the option library
  // join it with an argument after it, that does not exist.
  std::vector<std::string> options_input =
      splitLines(readFile(sourcePath("tests/robustness/data/fuzz_options_trailing_backslash")));
  ASSERT_EQ(options_input.size(), 3u);
  ASSERT_EQ(options_input[2].back(), '\\');
  ASSERT_EQ(options_input[0], "-alignment_file=a.fas");
  // The first byte chose the settings of the fuzz run (outgroup; at least 0 resolved sequences per
  // site, 1 codon, tolerance zone 0, 2 GC classes); the rest is the alignment. A focal sequence
  // named "c1|Sp1|" has two fields: it belongs to no default population, so the contig's analysis
  // fails; it must release what it built and name the contig.
  const std::string fuzzed = readFile(sourcePath("tests/robustness/data/fuzz_alignment_two_field_name"));
  ASSERT_EQ(fuzzed[0], '\x01');
  check({
      {"trailing backslash", {{"a.fas", alignment}}, options_input, 1,
       "ERROR!!! There is no focal individuals in the selected PolymorphismSequenceContainer", "", {}},
      {"focal name with two fields", {{kAlignment, fuzzed.substr(1)}},
       {"-alignment_file=" + kAlignment, "-ingroup=Sp1", "-outgroup=Sp2", "-gapN_site=0", "-min_nb_codon=1",
        "-tolerance_zone=0", "-gc_bin=2", "-bs_replicates=3", "-bs_sort=1000"},
       1, "ERROR!!! The name of dataset 0 contains less than 3 elements separated by a | (pipe) character !", "", {}},
  });
}
