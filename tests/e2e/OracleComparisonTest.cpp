// The program against tests/e2e/oracle.py (an independent implementation) on random alignments:
// several populations, missing data, stop and frameshift codons, one- and three-allele individuals,
// outgroup and other species, split contigs, every -contig_usage and various -gc_bin.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestSupport.h"

TEST(EndToEnd, AgreesWithTheOracleOnRandomAlignments) {
  if (std::system("python3 -c 'import sys' > /dev/null 2>&1") != 0) GTEST_SKIP() << "python3 not available";
  const std::string cmd = "python3 " + testsupport::sourcePath("tests/e2e/compare_with_oracle.py") +
                          " --binary " SELVANTRIX_BINARY " --count 150 --seed 7 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("150 alignments compared, 0 with discrepancies"), std::string::npos) << out;
}
