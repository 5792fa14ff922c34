// Names that would break the tab-separated output files are refused where they are read, before
// any analysis, each with the place it was read from; names never written may hold anything.
#include "robustness/BadInputSupport.h"

using namespace badinput;

TEST_F(BadInput, NamesThatWouldBreakTheTablesAreRefused) {
  const std::string rule = "; names written into the tab-separated output files cannot hold tabs or line ends.";
  const std::string records = " -> Initial number of sequences: " + std::to_string(std::count(alignment.begin(), alignment.end(), '>'));
  size_t n = 0;  // the first ind03 record is the n-th sequence of contig01
  for (const std::string& line : splitLines(alignment))
    if (line.rfind(">contig01|", 0) == 0 && (++n, line.find("|ind03|") != std::string::npos)) break;
  auto pop = [this](const std::string& text) {
    return std::map<std::string, std::string>{{kAlignment, alignment}, {kPopulations, text}};
  };
  check({
      {"tab in a contig name", dataWith(replaceAll(alignment, ">contig01|Sp1|ind01|allele_1", ">contig\t01|Sp1|ind01|allele_1")),
       runArgs(), 1,
       "ERROR!!! Alignment file example.fas, record 1 (contig\\t01|Sp1|ind01|allele_1): the contig name \"contig\\t01\" "
       "holds a tab" + rule,
       records, {}},
      {"tab in a focal individual name", {{kAlignment, replaceAll(alignment, "|ind03|", "|ind\t03|")}},
       {"-alignment_file=" + kAlignment, "-ingroup=Sp1", "-outgroup=Sp2"}, 1,
       "ERROR!!! Dataset 1 (contig01), sequence " + std::to_string(n) +
           " (contig01|Sp1|ind\\t03|allele_1): the individual name \"ind\\t03\" holds a tab" + rule,
       "", {}},
      {"tab in a population name", pop(replaceAll(populations, "PopA", "Pop\tA")), runArgs(), 1,
       "ERROR!!! Population file populations.txt, line 2 (Pop\\tA;ind01;ind02;ind03;ind04): the population name "
       "\"Pop\\tA\" holds a tab" + rule,
       "", {}},
      {"tab in a population member", pop(replaceAll(populations, "ind07", "ind\t07")), runArgs(), 1,
       "ERROR!!! Population file populations.txt, line 3 (PopB;ind05;ind06;ind\\t07;ind08): the individual name "
       "\"ind\\t07\" holds a tab" + rule,
       "", {}},
      {"carriage return in a population member", pop(replaceAll(populations, "PopB;ind05;ind06", "PopB;ind05;ind06\r")),
       runArgs(), 1,
       "ERROR!!! Population file populations.txt, line 3 (PopB;ind05;ind06\\r;ind07;ind08): the individual name "
       "\"ind06\\r\" holds a carriage return" + rule,
       "", {}},
      {"tab in the ingroup name", dataWith(alignment), runArgs({"-ingroup=Sp\t1"}), 1,
       "ERROR!!! The ingroup species name \"Sp\\t1\" (-ingroup) holds a tab" + rule, "", {}},
      // Never written: another species' individual names may hold a tab.
      {"tab in an outgroup individual name", dataWith(replaceAll(alignment, "|Sp2|", "|Sp2|x\t")), runArgs(), 0, "", "",
       {"example.out"}},
  });
}
