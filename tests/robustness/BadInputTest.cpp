// Bad input, end to end: the real binary on broken alignments, population files, options and
// output places. Every run must end with either a complete run or a clear error and a non-zero
// status, and a failed run must never leave an output file that is not complete.
#include "robustness/BadInputSupport.h"

using namespace badinput;

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
      // Refused as it is read, before the alignment: the carriage return would end each line's last name.
      {"CRLF population file", files(replaceAll(populations, "\n", "\r\n")), runArgs({}), 1,
       "ERROR!!! Population file populations.txt, line 2 (PopA;ind01;ind02;ind03;ind04\\r): the individual name "
       "\"ind04\\r\" ends with a carriage return, a Windows line end (CRLF); names written into the tab-separated "
       "output files cannot hold tabs or line ends.",
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

// Inputs on which the fuzz targets once failed (tests/robustness/data/fuzz_*).
TEST_F(BadInput, FuzzFindings) {
  // One argument per line. The last one ends with a backslash, which stays part of its value: the
  // main output name, in a directory that does not exist.
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
       "Error: Cannot create/open file: x/eod-min_nb_codoment_/Edex/ec_mode=galode+e=Odd\\", "", {}},
      {"focal name with two fields", {{kAlignment, fuzzed.substr(1)}},
       {"-alignment_file=" + kAlignment, "-ingroup=Sp1", "-outgroup=Sp2", "-gapN_site=0", "-min_nb_codon=1",
        "-tolerance_zone=0", "-gc_bin=2", "-bs_replicates=3", "-bs_sort=1000"},
       1, "ERROR!!! The name of dataset 0 contains less than 3 elements separated by a | (pipe) character !", "", {}},
  });
}
