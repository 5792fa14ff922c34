// The program against tests/e2e/oracle.py (an independent implementation) on random alignments:
// several populations, missing data, stop and frameshift codons, one- and three-allele individuals,
// outgroup and other species, split contigs, every -contig_usage and various -gc_bin.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestSupport.h"

namespace {

// Runs the comparison script with `options`; returns its exit status and output.
int compare(const std::string& options, std::string& out) {
  const std::string cmd = "python3 " + testsupport::sourcePath("tests/e2e/compare_with_oracle.py") +
                          " --binary " SELVANTRIX_BINARY " " + options + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return -1;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  return pclose(p);
}

bool havePython() { return std::system("python3 -c 'import sys' > /dev/null 2>&1") == 0; }

}  // namespace

TEST(EndToEnd, AgreesWithTheOracleOnRandomAlignments) {
  if (!havePython()) GTEST_SKIP() << "python3 not available";
  std::string out;
  EXPECT_EQ(compare("--count 150 --seed 7", out), 0) << out;
  EXPECT_NE(out.find("150 alignments compared, 0 with discrepancies"), std::string::npos) << out;
}

// Kept cases: a contig without synonymous site (dS not a number), an empty selection, every piS
// missing, every contig dropped for a frameshift, stop codons trimmed and replaced with three-allele
// and one-allele individuals.
TEST(EndToEnd, AgreesWithTheOracleOnKeptCases) {
  if (!havePython()) GTEST_SKIP() << "python3 not available";
  std::string dirs;
  for (const char* d : {"nan_ds", "even_single_contig", "no_pis", "frameshift_everywhere", "stops_and_alleles"})
    dirs += " --dir " + testsupport::sourcePath(std::string("tests/e2e/data/special/") + d);
  std::string out;
  EXPECT_EQ(compare(dirs, out), 0) << out;
  EXPECT_NE(out.find("5 alignments compared, 0 with discrepancies"), std::string::npos) << out;
}
