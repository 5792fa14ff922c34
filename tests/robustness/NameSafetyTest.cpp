// Names and numbers the tables and the summary must carry as they are, end to end: names that would
// break the tab-separated files are refused before any analysis, population pairs keep their own
// Fst average whatever their names, bootstrap bounds are never clipped, and a record's error follows
// the reading report's count line.
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "robustness/BadInputSupport.h"

using namespace badinput;

namespace {

const std::string kRule = "; names written into the tab-separated output files cannot hold tabs or line ends.";

// The records of the alignment whose contig name is `contig`, every other record left out.
std::string onlyContig(const std::string& fasta, const std::string& contig) {
  std::string out;
  bool keep = false;
  for (const std::string& line : splitLines(fasta)) {
    if (line.rfind(">", 0) == 0) keep = line.rfind(">" + contig + "|", 0) == 0;
    if (keep) out += line + "\n";
  }
  return out;
}

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
  return fields;
}

// Every number of the summary's interval lines ("Average ...: v [lo; hi]", "NI: ... [lo;hi] ..."),
// in file order.
std::vector<double> intervalBounds(const std::string& summary) {
  std::vector<double> bounds;
  for (const std::string& line : splitLines(summary)) {
    const size_t open = line.find(" ["), close = line.find(']');
    if (open == std::string::npos || close == std::string::npos) continue;
    std::string inside = line.substr(open + 2, close - open - 2);
    const size_t semicolon = inside.find(';');
    bounds.push_back(std::strtod(inside.substr(0, semicolon).c_str(), nullptr));
    bounds.push_back(std::strtod(inside.substr(semicolon + 1).c_str(), nullptr));
  }
  return bounds;
}

}  // namespace

TEST_F(BadInput, NamesThatWouldBreakTheTablesAreRefused) {
  const std::string records = " -> Initial number of sequences: " + std::to_string(std::count(alignment.begin(), alignment.end(), '>'));
  // The first ind03 record is the n-th sequence of contig01.
  const std::vector<std::string> lines = splitLines(alignment);
  size_t n = 0;
  for (const std::string& line : lines)
    if (line.rfind(">contig01|", 0) == 0 && (++n, line.find("|ind03|") != std::string::npos)) break;
  const std::string pop_lines = replaceAll(populations, "PopB;ind05;ind06", "PopB;ind05;ind06\r");
  check({
      {"tab in a contig name", dataWith(replaceAll(alignment, ">contig01|Sp1|ind01|allele_1", ">contig\t01|Sp1|ind01|allele_1")),
       runArgs({}), 1,
       "ERROR!!! Alignment file example.fas, record 1 (contig\\t01|Sp1|ind01|allele_1): the contig name \"contig\\t01\" "
       "holds a tab" + kRule,
       records, {}},
      {"tab in a focal individual name", {{kAlignment, replaceAll(alignment, "|ind03|", "|ind\t03|")}},
       {"-alignment_file=" + kAlignment, "-ingroup=Sp1", "-outgroup=Sp2"}, 1,
       "ERROR!!! Dataset 1 (contig01), sequence " + std::to_string(n) +
           " (contig01|Sp1|ind\\t03|allele_1): the individual name \"ind\\t03\" holds a tab" + kRule,
       "", {}},
      {"tab in a population name", {{kAlignment, alignment}, {kPopulations, replaceAll(populations, "PopA", "Pop\tA")}},
       runArgs({}), 1,
       "ERROR!!! Population file populations.txt, line 2 (Pop\\tA;ind01;ind02;ind03;ind04): the population name "
       "\"Pop\\tA\" holds a tab" + kRule,
       "", {}},
      {"tab in a population member", {{kAlignment, alignment}, {kPopulations, replaceAll(populations, "ind07", "ind\t07")}},
       runArgs({}), 1,
       "ERROR!!! Population file populations.txt, line 3 (PopB;ind05;ind06;ind\\t07;ind08): the individual name "
       "\"ind\\t07\" holds a tab" + kRule,
       "", {}},
      {"carriage return in a population member", {{kAlignment, alignment}, {kPopulations, pop_lines}}, runArgs({}), 1,
       "ERROR!!! Population file populations.txt, line 3 (PopB;ind05;ind06\\r;ind07;ind08): the individual name "
       "\"ind06\\r\" holds a carriage return" + kRule,
       "", {}},
      {"tab in the ingroup name", dataWith(alignment), runArgs({"-ingroup=Sp\t1"}), 1,
       "ERROR!!! The ingroup species name \"Sp\\t1\" (-ingroup) holds a tab" + kRule, "", {}},
      // Never written: another species' individual names may hold a tab.
      {"tab in an outgroup individual name", dataWith(replaceAll(alignment, "|Sp2|", "|Sp2|x\t")), runArgs({}), 0, "",
       "", {"example.out"}},
  });
}

// A record of the wrong length: the count of records is reported before the error, as for a good file.
TEST_F(BadInput, RecordErrorsFollowTheCountOfRecords) {
  const std::string first = splitLines(alignment)[1];
  const std::string longer = replaceAll(alignment, ">contig02|Sp1|ind01|allele_2\n", ">contig02|Sp1|ind01|allele_2\nACG");
  const std::string no_field = replaceAll(alignment, ">contig03|Sp1|ind01|allele_1", ">|");
  const std::string records = " -> Initial number of sequences: " + std::to_string(std::count(alignment.begin(), alignment.end(), '>'));
  for (const std::string& fasta : {longer, no_field}) {
    TempDir d;
    d.write(kAlignment, fasta);
    d.write(kPopulations, populations);
    RunResult r = runSelvantrix(runArgs({}), d.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("ERROR!!! Alignment file example.fas, record ", 0), 0u) << r.err;
    const std::vector<std::string> out = splitLines(r.out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), records) << r.out;  // the last console line before the error
    EXPECT_EQ(out[out.size() - 3], "Alignment input file analysis:") << r.out;
  }
}

// Populations "A|B", "C", "A", "B|C": the pairs (A|B, C) and (A, B|C) are both printed Fst(A|B|C),
// each with the average of its own per-contig column of the main output (weighted by the complete
// sites, values of -999 left out).
TEST_F(BadInput, PopulationNamesHoldingABarKeepTheirOwnFst) {
  TempDir d;
  d.write(kAlignment, alignment);
  d.write(kPopulations, "A|B;ind01;ind02\nC;ind03;ind04\nA;ind05;ind06\nB|C;ind07;ind08\n");
  RunResult r = runSelvantrix(runArgs({}), d.path());
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> table = splitLines(readFile(d.file("example.out")));
  const std::vector<std::string> header = fieldsOf(table[0]);
  const std::vector<std::string> titles = {"Fst(A|B,C)", "Fst(A|B,A)", "Fst(A|B,B|C)", "Fst(C,A)", "Fst(C,B|C)", "Fst(A,B|C)"};
  const size_t weight_column = std::find(header.begin(), header.end(), "Sp1_nb_complete_site") - header.begin();
  ASSERT_LT(weight_column, header.size());
  std::vector<std::string> summary_lines;
  for (const std::string& line : splitLines(readFile(d.file("example.sum"))))
    if (line.rfind("Fst(", 0) == 0) summary_lines.push_back(line);
  ASSERT_EQ(summary_lines.size(), titles.size());
  std::vector<double> averages;
  for (size_t p = 0; p < titles.size(); ++p) {
    const size_t column = std::find(header.begin(), header.end(), titles[p]) - header.begin();
    ASSERT_LT(column, header.size()) << titles[p];
    double sum = 0.0, weights = 0.0;
    for (size_t row = 1; row < table.size(); ++row) {
      const std::vector<std::string> f = fieldsOf(table[row]);
      const double fst = std::stod(f[column]), w = std::stod(f[weight_column]);
      if (fst > -100.0) sum += w * fst, weights += w;
    }
    ASSERT_GT(weights, 0.0) << titles[p];
    const std::string label = "Fst(" + replaceAll(replaceAll(titles[p].substr(4), ",", "|"), ")", "") + "): ";
    ASSERT_EQ(summary_lines[p].rfind(label, 0), 0u) << summary_lines[p];
    const double printed = std::stod(summary_lines[p].substr(label.size()));
    EXPECT_NEAR(printed, sum / weights, 1e-5 * std::max(1.0, std::fabs(sum / weights))) << summary_lines[p];
    averages.push_back(printed);
  }
  EXPECT_NE(averages.front(), averages.back());  // the two Fst(A|B|C) lines
}

// With one contig every resample is that contig, so each bound is the average cut to a multiple of
// 1 / -bs_sort: the largest -bs_sort gives the bounds of the default one within 1e-6. Contig05 has a
// dN/dS above 1 and contig02 an NI of 5 (alpha -4), which 32-bit quantisation used to cut to 1 and 0.
TEST_F(BadInput, HugeBootstrapSortKeepsTheBounds) {
  for (const std::string contig : {"contig05", "contig02"}) {
    SCOPED_TRACE(contig);
    std::vector<std::vector<double>> bounds;
    for (const std::string sort : {"-bs_sort=1000000", "-bs_sort=2147483647"}) {
      TempDir d;
      d.write(kAlignment, onlyContig(alignment, contig));
      d.write(kPopulations, populations);
      RunResult r = runSelvantrix(runArgs({sort, "-bs_replicates=10"}), d.path());
      ASSERT_EQ(r.status, 0) << r.err;
      bounds.push_back(intervalBounds(readFile(d.file("example.sum"))));
    }
    ASSERT_EQ(bounds[0].size(), 2u * 10u);  // ten intervals
    ASSERT_EQ(bounds[1].size(), bounds[0].size());
    size_t beyond_one = 0;
    for (size_t i = 0; i < bounds[0].size(); ++i) {
      if (std::isnan(bounds[0][i])) {
        EXPECT_TRUE(std::isnan(bounds[1][i])) << i;
        continue;
      }
      // An infinite replicate (NI0.2 of contig02 divides by zero) stays infinite with either value.
      if (std::isinf(bounds[0][i])) {
        EXPECT_EQ(bounds[1][i], bounds[0][i]) << i;
        continue;
      }
      EXPECT_NEAR(bounds[1][i], bounds[0][i], 1.5e-6 * std::max(1.0, std::fabs(bounds[0][i]))) << i;
      if (bounds[1][i] > 1.5 || bounds[1][i] < -3.0) ++beyond_one;
    }
    EXPECT_GT(beyond_one, 0u);  // the bounds that 32 bits could not hold
  }
}
