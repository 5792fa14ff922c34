// The program against tests/e2e/oracle.py, an independent implementation, through
// compare_with_oracle.py: 150 random alignments (several populations, missing data, stop and
// frameshift codons, one- and three-allele individuals, outgroup and other species, split contigs,
// every option) and the kept cases of data/special: a contig without synonymous site (dS not a
// number), an empty selection, every piS missing, every contig dropped for a frameshift, stop codons
// trimmed and replaced with three-allele and one-allele individuals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "TestSupport.h"

TEST(EndToEnd, AgreesWithTheIndependentOracle) {
  if (std::system("python3 -c 'import sys' > /dev/null 2>&1") != 0) GTEST_SKIP() << "python3 not available";
  std::string kept;
  for (const char* d : {"nan_ds", "even_single_contig", "no_pis", "frameshift_everywhere", "stops_and_alleles"})
    kept += " --dir " + testsupport::sourcePath(std::string("tests/e2e/data/special/") + d);
  const std::pair<std::string, std::string> runs[] = {{"--count 150 --seed 7", "150 alignments compared"},
                                                      {kept, "5 alignments compared"}};
  testsupport::TempDir d;
  for (const auto& run : runs) {
    const std::string cmd = "python3 " + testsupport::sourcePath("tests/e2e/compare_with_oracle.py") +
                            " --binary " SELVANTRIX_BINARY " " + run.first + " > " + d.file("report") + " 2>&1";
    const int status = std::system(cmd.c_str());
    const std::string out = testsupport::readFile(d.file("report"));
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find(run.second + ", 0 with discrepancies"), std::string::npos) << out;
  }
}
