// Reading and checking the options: corrected values with their warnings, lenient numbers and
// booleans, and the order of the reading's reports.
#include <functional>
#include <map>
#include <sstream>

#include "TestSupport.h"
#include "report/ReportTestSupport.h"

using reporttest::options;

namespace {

template <class T>
std::function<std::string(const ParametersManagement&)> shown(T (ParametersManagement::*getter)() const) {
  return [getter](const ParametersManagement& o) {
    std::ostringstream s;
    s << (o.*getter)();
    return s.str();
  };
}

// A yes/no option as the warnings show its default.
std::function<std::string(const ParametersManagement&)> shown(bool (ParametersManagement::*getter)() const) {
  return [getter](const ParametersManagement& o) { return (o.*getter)() ? "yes" : "no"; };
}

}  // namespace

// "OPTION=GIVEN VALUE": the option given GIVEN takes VALUE; "!VALUE": GIVEN is refused with a warning
// naming its default VALUE, which is used. Counts are read leniently: a leading number is taken and
// a negative one wraps, a text without number is refused. A yes/no option takes the library's words
// only; an empty value is an absent option.
TEST(ParametersManagement, CorrectionsOfValues) {
  using P = ParametersManagement;
  const std::map<std::string, std::function<std::string(const P&)>> value = {
      {"-kappa", shown(&P::get_kappa)}, {"-gapN_seq", shown(&P::get_max_gapN_seq)},
      {"-gapN_site", shown(&P::get_min_gapN_site)}, {"-min_nb_codon", shown(&P::get_min_nb_codon)},
      {"-tolerance_zone", shown(&P::get_tolerance_zone)}, {"-bs_confidence", shown(&P::get_bootstrap_confidence)},
      {"-bs_replicates", shown(&P::get_bootstrap_replicates)}, {"-bs_sort", shown(&P::get_bootstrap_sort_precision)},
      {"-gc_bin", shown(&P::get_nb_gc_bin)}, {"-contig_usage", shown(&P::get_contig_usage)},
      {"-exec_mode", shown(&P::get_execution_mode)}, {"-remove_frameshift", shown(&P::get_remove_frameshift)},
      {"-compute_distances", shown(&P::get_compute_distances)}, {"-allow_internal_bc", shown(&P::get_allow_internal_bc)},
      {"-print_header", shown(&P::get_print_header)}, {"-debug_mode", shown(&P::get_DEBUG)},
  };
  const std::vector<std::string> cases = {
      "-kappa=0 !1", "-kappa=-3 !1", "-kappa=abc !1", "-kappa=2.5 2", "-kappa=1e30 1", "-gapN_seq=0 0", "-gapN_seq=1 1",
      "-gapN_seq=1.5 !0.5", "-gapN_seq=-0.5 !0.5", "-gapN_seq=abc !0.5", "-bs_confidence=0 0", "-bs_confidence=1 1",
      "-bs_confidence=95 !0.95", "-bs_confidence=2 !0.95", "-bs_confidence=nan !0.95", "-bs_confidence=1e999 !0.95",
      "-contig_usage=Odd !all", "-contig_usage=7 !all", "-contig_usage=even even", "-exec_mode=Galaxy local",
      "-exec_mode=galaxy galaxy", "-bs_replicates=0 !10000", "-bs_replicates=-5 !10000", "-bs_replicates=250 250",
      "-bs_replicates=abc !10000", "-bs_replicates=10000000 10000000", "-bs_replicates=10000001 !10000",
      "-bs_replicates=99999999999 !10000", "-bs_replicates=99999999999999999999999 !10000", "-bs_sort=0 !1000000",
      "-bs_sort=-1 !1000000", "-bs_sort=x1 !1000000", "-bs_sort=2147483647 2147483647", "-gc_bin=0 !8", "-gc_bin=-3 !8",
      "-gc_bin=x8 !8", "-gc_bin=3 3", "-gc_bin=1000 1000", "-gc_bin=1001 !8", "-gc_bin=99999999999 !8",
      "-min_nb_codon=-1 4294967295", "-min_nb_codon=abc !10", "-gapN_site=12abc 12", "-gapN_site=abc !10",
      "-tolerance_zone=abc !20", "-remove_frameshift=yes yes", "-compute_distances=T yes",
      "-allow_internal_bc=maybe !no", "-print_header=0 no", "-debug_mode=1 yes", "-compute_distances=Yes !no",
      "-compute_distances=True !no", "-compute_distances=on !no", "-compute_distances=2 !no", "-compute_distances= no",
      "-compute_distances=Y yes", "-print_header=Yes !yes", "-print_header=off !yes", "-print_header=N no",
      "-remove_frameshift=FALSE no", "-remove_frameshift=True !no", "-allow_internal_bc=y yes", "-debug_mode=2 !no",
      "-debug_mode=t yes",
  };
  testsupport::TempDir d;
  const std::string aln = d.write("seqfile.pfas", ">c|s|i|1\nAAA\n");
  for (const std::string& c : cases) {
    SCOPED_TRACE(c);
    const std::string argument = c.substr(0, c.find(' ')), option = c.substr(0, c.find('='));
    std::string given = argument.substr(option.size() + 1), expected = c.substr(c.find(' ') + 1);
    const bool refused = expected[0] == '!';
    if (refused) expected.erase(0, 1);
    if (given.size() > 19) given = "9223372036854775807";  // shown as read: the largest 64-bit count
    std::string console;
    const auto o = options({"-alignment_file=" + aln, "-ingroup=Sp", "-outgroup=Out", argument}, &console);
    std::vector<std::string> warnings;
    for (const auto& l : testsupport::splitLines(console))
      if (l.rfind("WARNING!!! The value", 0) == 0) warnings.push_back(l);
    const bool percentage = option == "-gapN_seq" || option == "-bs_confidence";
    EXPECT_EQ(warnings, refused ? std::vector<std::string>{"WARNING!!! The value (" + given + ") of the " + option +
                                                           " parameters is " +
                                                           (percentage ? "not a valid percentage in decimal form" : "not valid") +
                                                           " ! Default value (\"" + expected + "\") will be used !"}
                                : std::vector<std::string>{});
    EXPECT_EQ(value.at(option)(*o), expected);
  }
}

// The reading's own lines come as it goes, then the unknown and repeated options in the order of
// their first appearance, then the library's "not specified" warnings.
TEST(ParametersManagement, ReadingReportsInOrder) {
  testsupport::TempDir d;
  const std::string aln = d.write("a.fas", ">c|s|i|1\nAAA\n");
  const std::string file = d.write("p.txt", "noeq2\n-kappa = 2\n");
  std::string console;
  auto o = options({"-alignment_file=" + aln, "noeq", "-ingroup=Sp", "-outgroup=O", "-zz=1", "param=" + file, "-kappa=3",
                    "-ingroup=Sp"}, &console);
  const std::vector<std::string> lines = testsupport::splitLines(console);
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 7),
            std::vector<std::string>({
                "WARNING!!! Parameter 'noeq' has been ignored.",
                "Parsing file " + file + " for options.",
                "WARNING!!! Parameter 'noeq2' has been ignored.",
                "WARNING!!! The option -ingroup is given 2 times: the last value (Sp) will be used !",
                "WARNING!!! The option -zz is unknown and will be ignored !",
                "WARNING!!! The option -kappa is given 2 times: the last value (3) will be used !",
                "WARNING!!! Parameter -contig_usage not specified. Default used instead: all",
            }));
  EXPECT_EQ(o->get_kappa(), 3.0);
}

// A value read from an option file is checked as one given on the command line.
TEST(ParametersManagement, OptionFileValuesCheckedAlike) {
  testsupport::TempDir d;
  const std::string aln = d.write("a.fas", ">c|s|i|1\nAAA\n");
  const std::string file = d.write("p.txt", "-compute_distances = on\n-print_header = n\n-kappa = x\n");
  std::string console;
  auto o = options({"-alignment_file=" + aln, "-ingroup=Sp", "-outgroup=O", "param=" + file}, &console);
  std::vector<std::string> warnings;
  for (const auto& l : testsupport::splitLines(console))
    if (l.rfind("WARNING!!! The value", 0) == 0) warnings.push_back(l);
  EXPECT_EQ(warnings,
            std::vector<std::string>({
                "WARNING!!! The value (x) of the -kappa parameters is not valid ! Default value (\"1\") will be used !",
                "WARNING!!! The value (on) of the -compute_distances parameters is not valid ! Default value (\"no\") "
                "will be used !",
            }));
  EXPECT_FALSE(o->get_compute_distances());
  EXPECT_FALSE(o->get_print_header());
}
