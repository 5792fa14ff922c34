// Options are read as the user wrote them: values keep "#", blanks and backslashes; "="-less
// arguments are reported; option files nest a few levels at most and a loop among them is an error.
#include <map>

#include "TestSupport.h"
#include "report/ReportTestSupport.h"
#include "core/FatalError.h"
#include "core/OptionArguments.h"

namespace {

// "name=value(times)" of every option, in order, joined by " | ".
std::string text(const std::vector<GivenOption>& options) {
  std::string all;
  for (const GivenOption& o : options)
    all += (all.empty() ? "" : " | ") + o.name + "=" + o.value + "(" + std::to_string(o.times) + ")";
  return all;
}

// Files f1.txt ... fN.txt, each naming the next one, the last holding the outgroup.
std::map<std::string, std::string> nested(int n) {
  std::map<std::string, std::string> files;
  for (int i = 1; i < n; ++i) files["f" + std::to_string(i) + ".txt"] = "param=f" + std::to_string(i + 1) + ".txt\n";
  files["f" + std::to_string(n) + ".txt"] = "-outgroup=Sp2\n";
  return files;
}

std::string parsing(int n) {
  std::string lines;
  for (int i = 1; i <= n; ++i) lines += "Parsing file f" + std::to_string(i) + ".txt for options.\n";
  return lines;
}

}  // namespace

TEST(OptionArguments, ReadAsWritten) {
  struct Case {  // options: text() of the result, or the error message; console: not checked after an error
    std::string what; std::map<std::string, std::string> files; std::vector<std::string> args; std::string options, console;
  };
  const std::string ignored = "WARNING!!! Parameter '-compute_distances' has been ignored.\n";
  const std::vector<Case> cases = {
      {"values and names as written, blank arguments skipped",
       {}, {"-out=run#1 x.out # c", "-ingroup=Sp 1", "-a==b", "-t=run.out\\", "", "  ", "-out =x", "--out=y"},
       "-out=run#1 x.out # c(1) | -ingroup=Sp 1(1) | -a==b(1) | -t=run.out\\(1) | -out =x(1) | --out=y(1)", ""},
      {"without = and repeated: reported, the last value kept", {}, {"-compute_distances", "-k=1", "-k=2", "-k="},
       "-k=(3)", ignored},
      // One option per line, blanks around the line and its "=" dropped, a carriage return too;
      // "#" lines and blank lines skipped; the file read where it is named.
      {"option file", {{"f1.txt", "# outgroup\n\n  -outgroup = Sp2 # main \r\n-compute_distances\n-in=x\n"}},
       {"-in=a", "param=f1.txt", "-in=b"}, "-in=b(3) | -outgroup=Sp2 # main(1)",
       "Parsing file f1.txt for options.\nWARNING!!! Parameter '-compute_distances' has been ignored.\n"},
      {"8 nested files", nested(8), {"params=f1.txt"}, "-outgroup=Sp2(1)", parsing(8)},
      {"9 nested files", nested(9), {"param=f1.txt"},
       "Option files are nested more than 8 levels deep: f1.txt -> f2.txt -> f3.txt -> f4.txt -> f5.txt -> f6.txt -> "
       "f7.txt -> f8.txt -> f9.txt !", ""},
      {"file including itself", {{"f1.txt", "param=f1.txt\n"}}, {"param=f1.txt"},
       "The option file f1.txt includes itself: f1.txt -> f1.txt !", ""},
      {"two files including each other", {{"f1.txt", "param=f2.txt\n"}, {"f2.txt", "param=f1.txt\n"}}, {"param=f1.txt"},
       "The option file f1.txt includes itself: f1.txt -> f2.txt -> f1.txt !", ""},
      {"loop through another name", {{"f1.txt", "param=f2.txt\n"}, {"f2.txt", "params=./f1.txt\n"}}, {"param=f1.txt"},
       "The option file ./f1.txt includes itself: f1.txt -> f2.txt -> ./f1.txt !", ""},
      {"missing option file", {}, {"param=f1.txt"}, "Cannot open the option file: f1.txt", ""},
      {"a directory as option file", {}, {"param=."}, "Cannot open the option file: .", ""},
      {"missing nested option file", {{"f1.txt", "param=f2.txt\n"}}, {"param=f1.txt"},
       "Cannot open the option file: f2.txt (named in f1.txt)", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::TempDir d;
    for (const auto& f : c.files) d.write(f.first, f.second);
    reporttest::WorkingDirectory here(d.path());
    testing::internal::CaptureStdout();
    try {
      const std::string got = text(readGivenOptions(c.args));
      EXPECT_EQ(testing::internal::GetCapturedStdout(), c.console);
      EXPECT_EQ(got, c.options);
    } catch (const FatalError& e) {
      testing::internal::GetCapturedStdout();
      EXPECT_EQ(e.report(), FatalError::Report::kError);
      EXPECT_EQ(e.message(), c.options);
    }
  }
}
