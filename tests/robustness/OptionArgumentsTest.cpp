// Options are read as the user wrote them: values keep "#", "//", blanks and backslashes; unknown,
// repeated and "="-less arguments are reported; option files nest a few levels at most and a loop
// among them is an error, never a crash.
#include "robustness/BadInputSupport.h"

using namespace badinput;

namespace {

// Files f1.txt ... fN.txt, each naming the next one, the last holding the outgroup.
std::map<std::string, std::string> nestedFiles(std::map<std::string, std::string> files, int n) {
  for (int i = 1; i < n; ++i) files["f" + std::to_string(i) + ".txt"] = "param=f" + std::to_string(i + 1) + ".txt\n";
  files["f" + std::to_string(n) + ".txt"] = "-outgroup=Sp2\n";
  return files;
}

}  // namespace

// Output names with "#", "//", blanks or a trailing backslash name the files as written; the summary
// takes the main output's base name, in the working directory.
TEST_F(BadInput, OutputNamesTakenAsWritten) {
  struct Written {
    std::string out;      // the -out value
    std::string summary;  // the summary written beside the inputs
  };
  const std::vector<Written> cases = {
      {"run#1.out", "run#1.sum"},
      {"x y.out", "x y.sum"},
      {"res//run.out", "run.sum"},
      {"run.out\\", "run.sum"},
  };
  for (const Written& c : cases) {
    SCOPED_TRACE(c.out);
    TempDir d;
    d.write(kAlignment, alignment);
    d.write(kPopulations, populations);
    std::filesystem::create_directory(d.file("res"));
    RunResult r = runSelvantrix(runArgs({"-out=" + c.out}), d.path());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(d.file(c.out)), reference_files.at("example.out"));
    const std::string main_name = std::filesystem::path(c.out).filename().string();
    std::set<std::string> expected = {kAlignment, kPopulations, c.summary};
    if (main_name == c.out) expected.insert(c.out);
    EXPECT_EQ(filesIn(d.path()), expected);
  }
}

TEST_F(BadInput, OptionNamesAndOptionFiles) {
  const auto data = dataWith(alignment);
  auto with = [&](std::map<std::string, std::string> extra) {
    auto files = data;
    files.insert(extra.begin(), extra.end());
    return files;
  };
  // Everything but the outgroup, which the option files give.
  const std::vector<std::string> from_file = {"-alignment_file=" + kAlignment, "-population_file=" + kPopulations,
                                              "-ingroup=Sp1", "-bs_replicates=50", "param=f1.txt"};
  std::vector<std::string> outgroup_twice = runArgs({});
  outgroup_twice.insert(outgroup_twice.begin(), "-outgroup=Sp9");
  check({
      // Names: unknown ones and arguments without "=" are reported and ignored; of a repeated option
      // the last value is used (Sp9 would leave no contig).
      {"unknown option", data, runArgs({"-outt=x.out"}), 0, "",
       "WARNING!!! The option -outt is unknown and will be ignored !", {"example.out"}},
      {"double dash", data, runArgs({"--out=x.out"}), 0, "",
       "WARNING!!! The option --out is unknown and will be ignored !", {"example.out"}},
      {"name with a blank", data, runArgs({"-out =x.out"}), 0, "",
       "WARNING!!! The option -out  is unknown and will be ignored !", {"example.out"}},
      {"repeated option", data, outgroup_twice, 0, "",
       "WARNING!!! The option -outgroup is given 2 times: the last value (Sp2) will be used !", {"example.out"}},
      {"argument without =", data, runArgs({"-compute_distances"}), 0, "",
       "WARNING!!! Parameter '-compute_distances' has been ignored.", {"example.out"}},
      // Values keep their blanks and comments: no species is named so.
      {"blank in a value", data, runArgs({"-ingroup=Sp 1"}), 1, kNoCleanContig, "", {}},
      {"comment in a value", data, runArgs({"-outgroup=Sp2 # main"}), 1, kNoCleanContig, "", {}},
      // Option files: one option per line, blanks around the line and its "=" dropped, a carriage
      // return too; "#" lines and blank lines skipped; a later argument overrides the file.
      {"option file", with({{"f1.txt", "# outgroup\n\n  -outgroup = Sp2 \r\n"}}), from_file, 0, "",
       "Parsing file f1.txt for options.", {"example.out"}},
      {"later argument overrides the file", with({{"f1.txt", "-outgroup=Sp9\n"}}),
       [&] {
         auto a = from_file;
         a.push_back("-outgroup=Sp2");
         return a;
       }(),
       0, "", "WARNING!!! The option -outgroup is given 2 times: the last value (Sp2) will be used !",
       {"example.out"}},
      {"value as written in a file", with({{"f1.txt", "-outgroup=Sp2 # main\n"}}), from_file, 1, kNoCleanContig, "",
       {}},
      {"8 nested files", nestedFiles(data, 8), from_file, 0, "", "Parsing file f8.txt for options.", {"example.out"}},
      {"9 nested files", nestedFiles(data, 9), from_file, 1,
       "ERROR!!! Option files are nested more than 8 levels deep: f1.txt -> f2.txt -> f3.txt -> f4.txt -> f5.txt -> "
       "f6.txt -> f7.txt -> f8.txt -> f9.txt !",
       "", {}},
      {"file including itself", with({{"f1.txt", "param=f1.txt\n"}}), from_file, 1,
       "ERROR!!! The option file f1.txt includes itself: f1.txt -> f1.txt !", "", {}},
      {"two files including each other", with({{"f1.txt", "param=f2.txt\n"}, {"f2.txt", "param=f1.txt\n"}}),
       from_file, 1, "ERROR!!! The option file f1.txt includes itself: f1.txt -> f2.txt -> f1.txt !", "", {}},
      {"loop through another name", with({{"f1.txt", "param=f2.txt\n"}, {"f2.txt", "params=./f1.txt\n"}}),
       from_file, 1, "ERROR!!! The option file ./f1.txt includes itself: f1.txt -> f2.txt -> ./f1.txt !", "", {}},
      {"missing option file", data, from_file, 1, "ERROR!!! Cannot open the option file: f1.txt", "", {}},
      {"missing nested option file", with({{"f1.txt", "param=f2.txt\n"}}), from_file, 1,
       "ERROR!!! Cannot open the option file: f2.txt (named in f1.txt)", "", {}},
  });
}
