// Bad input, end to end: the real binary on broken alignments, population files, options and
// output places. Every run ends with either a complete run or a clear error and a non-zero status,
// and a failed run never leaves an output file behind.
#include "robustness/BadInputSupport.h"

using namespace badinput;

namespace {

std::string recordError(const std::string& record, const std::string& what) {
  return "ERROR!!! Alignment file example.fas, record " + record + ": " + what;
}

const char* kThreeFields = "ERROR!!! The name of dataset 0 contains less than 3 elements separated by a | (pipe) character !";

}  // namespace

TEST_F(BadInput, BrokenAlignmentFiles) {
  const std::string longer = replaceAll(alignment, ">contig01|Sp1|ind01|allele_2\n", ">contig01|Sp1|ind01|allele_2\nACG");
  const std::string no_bars = replaceAll(alignment, "|", "_");
  std::string lower;  // sequence lines only
  for (std::string line : splitLines(alignment)) {
    if (line[0] != '>') std::transform(line.begin(), line.end(), line.begin(), [](unsigned char c) { return std::tolower(c); });
    lower += line + "\n";
  }
  // A record's error follows the reading report's count of records, as for a good file.
  const std::string records = " -> Initial number of sequences: " + std::to_string(std::count(alignment.begin(), alignment.end(), '>'));
  const std::vector<std::string> lines = splitLines(alignment);
  size_t length = 0;  // of the first record
  for (size_t i = 1; i < lines.size() && lines[i][0] != '>'; ++i) length += lines[i].size();
  // The first two bytes of a fuzz-target input choose its settings (outgroup; at least 0 resolved
  // sequences per site, 1 codon, tolerance zone 0, 2 GC classes; no debug, kappa 1, every contig, the
  // default population); the rest is the alignment, whose focal sequence
  // "c1|Sp1|" has two fields: it belongs to no default population, so the contig's analysis fails; it
  // must release what it built and name the contig.
  const std::string fuzzed = readFile(sourcePath("tests/robustness/data/fuzz_alignment_two_field_name"));
  ASSERT_EQ(fuzzed.substr(0, 2), std::string("\x01\x00", 2));
  check({
      {"empty file", dataWith(""), runArgs(), 1, "ERROR!!! The provided alignment file is empty !"},
      {"FASTA without >", dataWith(replaceAll(alignment, ">", "")), runArgs(), 1, kNoContig},
      {"record longer than the first of its contig", dataWith(longer), runArgs(), 1,
       recordError("2 (contig01|Sp1|ind01|allele_2)", std::to_string(length + 3) +
                   " nucleotides, while the first record of its contig (record 1, contig01|Sp1|ind01|allele_1) has " +
                   std::to_string(length) + "; the sequences of a contig must be aligned."), records},
      {"names without |", dataWith(no_bars), runArgs(), 1, kNoCleanContig},
      // Without a population file, such names cannot name an individual.
      {"names without | (default population)", {{kAlignment, no_bars}}, {"-alignment_file=" + kAlignment, "-ingroup=Sp1"},
       1, kThreeFields},
      {"focal name with two fields (default population)", {{kAlignment, fuzzed.substr(2)}},
       {"-alignment_file=" + kAlignment, "-ingroup=Sp1", "-outgroup=Sp2", "-gapN_site=0", "-min_nb_codon=1",
        "-tolerance_zone=0", "-gc_bin=2", "-bs_replicates=3", "-bs_sort=1000"}, 1, kThreeFields},
      // Empty fields are skipped: "contig02||ind03|allele_1" names the species "ind03", which the
      // cleaning removes; the run completes.
      {"a name with an empty field", dataWith(replaceAll(alignment, "contig02|Sp1|ind03|allele_1", "contig02||ind03|allele_1")),
       runArgs(), 0, ""},
      {"lower-case letters", dataWith(lower), runArgs(), 0, "", "", true},
      {"CRLF line ends", dataWith(replaceAll(alignment, "\n", "\r\n")), runArgs(), 0, "", "", true},
      {"a name without any field", dataWith(replaceAll(alignment, ">contig01|Sp1|ind01|allele_1", ">||")), runArgs(), 1,
       recordError("1 (||)", "the sequence name has no field, so it names no contig "
                             "(\"Contig_name|Species_name|Individual_name|Allele_number\")."), records},
      // Names are checked where they are read; those never written (another species') may hold a tab.
      {"tab in the ingroup name", dataWith(alignment), runArgs({"-ingroup=Sp\t1"}), 1,
       "ERROR!!! The ingroup species name \"Sp\\t1\" (-ingroup) holds a tab; names written into the tab-separated "
       "output files cannot hold tabs or line ends."},
      {"tab in an outgroup individual name", dataWith(replaceAll(alignment, "|Sp2|", "|Sp2|x\t")), runArgs(), 0, "", "", true},
      {"alignment file that is a directory", dataWith("", "adir"), runArgs({"-alignment_file=adir"}), 1,
       "ERROR!!! Cannot open/read alignment file: adir"},
  });
}

TEST_F(BadInput, PopulationFilesAndSpeciesNames) {
  auto files = [this](const std::string& pop) { return Files{{kAlignment, alignment}, {kPopulations, pop}}; };
  check({
      {"no individual of the data", files("PopA;x01;x02\nPopB;x03\n"), runArgs(), 1,
       "ERROR!!! Individual ind01 doesn't belong to any population ! (contig contig01 of the alignment file "
       "example.fas; population file populations.txt)"},
      {"empty population file", files(""), runArgs(), 1, "ERROR!!! The provided population file is empty !"},
      {"population file that is a directory", dataWith(alignment, "pdir"), runArgs({"-population_file=pdir"}), 1,
       "ERROR!!! Cannot open/read file: pdir"},
      {"ingroup matching nothing", files(populations), runArgs({"-ingroup=Sp9"}), 1, kNoCleanContig},
      {"outgroup matching nothing", files(populations), runArgs({"-outgroup=Sp9"}), 1, kNoCleanContig},
  });
}

// Every output place is checked before the analysis. The fuzz-target options (one argument a line)
// end with a backslash, which stays part of the main output's name, in a directory that does not exist.
TEST_F(BadInput, OutputPlacesAreCheckedBeforeTheAnalysis) {
  const auto options = splitLines(readFile(sourcePath("tests/robustness/data/fuzz_options_trailing_backslash")));
  ASSERT_EQ(options.size(), 3u);
  const char* analysis = "!Dataset/Contig analysis procedure:";
  check({
      {"output directory that does not exist", dataWith(alignment), runArgs({"-out=missing/example.out"}), 1,
       "Error: Cannot create/open file: missing/example.out", analysis},
      {"output directory that does not exist, the name ending with a backslash", {{"a.fas", alignment}}, options, 1,
       "Error: Cannot create/open file: x/eod-min_nb_codoment_/Edex/ec_mode=galode+e=Odd\\", analysis},
      {"a directory in the place of the summary", dataWith(alignment, "example.sum"), runArgs(), 1,
       "Error: Cannot create/open file: example.sum", analysis},
      {"a directory in the place of the distance file", dataWith(alignment, "example.dist"),
       runArgs({"-compute_distances=yes"}), 1, "Error: Cannot create/open file: example.dist", analysis},
  });
}
