// Out of memory at any allocation after start-up, through the preloaded fault-injection shim
// (FaultInjection.cpp): the run ends with the clear error and status 1, leaving no file, or it
// completes with the same results as without the failure.
#include "robustness/BadInputSupport.h"

using namespace badinput;

TEST(OutOfMemory, EveryAllocationFailureEndsWithAClearErrorOrTheSameResults) {
  if (std::string(SELVANTRIX_FAULT_INJECTION).empty()) GTEST_SKIP() << "no fault injection in sanitized builds";
  const Files inputs = {
      {"tiny.fas",
       ">c1|Sp1|i1|allele_1\nATGAAACCCGGGTTTAAACCCGGGTTTAAA\n>c1|Sp1|i1|allele_2\nATGAAACCCGGGTTTAAACCCGGGTTCAAA\n"
       ">c1|Sp1|i2|allele_1\nATGAAACCTGGGTTTAAACCCGGGTTTAAA\n>c1|Sp1|i2|allele_2\nATGAAACCCGGGTTTAAACCCGGGTTTAAA\n"
       ">c1|Sp2|o1|allele_1\nATGAAGCCCGGGTTTAAACCCGGATTTAAA\n"},
      {"tiny.pop", "P1;i1\nP2;i2\n"}};
  const std::vector<std::string> args = {"-alignment_file=tiny.fas", "-population_file=tiny.pop", "-ingroup=Sp1",
                                         "-outgroup=Sp2", "-bs_replicates=2", "-gapN_site=1", "-min_nb_codon=1",
                                         "-compute_distances=yes"};
  TempDir reference;
  ASSERT_EQ(runIn(reference, inputs, args, withShim("SELVANTRIX_COUNT_ALLOCATIONS=" + reference.file("count"))).status, 0);
  const unsigned long allocations = std::stoul(readFile(reference.file("count")));
  ASSERT_GT(allocations, 100u);
  const std::string table = readFile(reference.file("tiny.out")), distances = readFile(reference.file("tiny.dist"));
  unsigned long failed_runs = 0;
  for (unsigned long k = 1; k <= allocations; ++k) {
    SCOPED_TRACE("allocation " + std::to_string(k));
    TempDir d;
    const RunResult r = runIn(d, inputs, args, withShim("SELVANTRIX_FAIL_ALLOCATION=" + std::to_string(k)));
    if (r.status == 0) {
      EXPECT_EQ(r.err, "");
      EXPECT_EQ(readFile(d.file("tiny.out")), table);
      EXPECT_EQ(readFile(d.file("tiny.dist")), distances);
      continue;
    }
    ++failed_runs;
    ASSERT_EQ(r.status, 1) << r.err;
    ASSERT_EQ(r.err.rfind("ERROR!!! ", 0), 0u) << r.err;
    ASSERT_EQ(filesIn(d.path()), (std::set<std::string>{"tiny.fas", "tiny.pop"}));
  }
  EXPECT_GT(failed_runs, allocations / 2);
}
