#pragma once
// Helpers shared by the tests: temporary directories, files, running the real binary, the run's
// alphabets and contigs built from text or drawn at random.
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"
#include "input/RunAlphabets.h"
#include "input/Population.h"
#include "core/ParametersManagement.h"

namespace testsupport {

struct RunResult {
  int status = -1;       // exit status (or 128 + signal)
  std::string out, err;  // standard output and error
};

// A fresh empty directory under the system temporary directory, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return _path; }
  std::string file(const std::string& name) const { return _path + "/" + name; }
  // Writes `content` to `name` inside the directory and returns its full path.
  std::string write(const std::string& name, const std::string& content) const;

 private:
  std::string _path;
};

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
std::vector<std::string> splitLines(const std::string& text);

// How the binary is started besides its arguments.
struct RunSetting {
  std::vector<std::string> environment;  // "NAME=value" added to the environment
  bool closed_console = false;           // standard output is a pipe whose reader has gone
};

// Runs the Selvantrix binary with `args` in working directory `cwd`.
RunResult runSelvantrix(const std::vector<std::string>& args, const std::string& cwd,
                        const RunSetting& setting = RunSetting());

// Path of a file in the source tree (examples, test data).
std::string sourcePath(const std::string& relative);

using Alphabets = mrv::RunAlphabets;  // the run's alphabets and genetic code

using Lines = std::vector<std::string>;
using Records = std::vector<std::pair<std::string, std::string>>;  // name, sequence text
using CodeRows = std::vector<std::vector<int>>;                    // one row of state codes per sequence

// A container of `records`, the text read in words of the alphabet's size; count 1, ingroup, group 0.
std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(const bpp::Alphabet& alphabet, const Records& records);
// The same from code rows, sequences named prefix0, prefix1, ...
std::unique_ptr<bpp::PolymorphismSequenceContainer> makeCodeContainer(const bpp::Alphabet& alphabet, const CodeRows& rows,
                                                                      const std::string& prefix = "s");

// "c1|Sp|individual|allele_k", the name of an allele sequence.
std::string alleleName(const std::string& individual, int allele);
// Individuals "NAME=allele1/allele2[/...]", one allele sequence per text.
Records diploids(const std::vector<std::string>& individuals);
// Individuals ind0, ind0, ind1, ind1, ... in turn, one text each.
Records paired(std::initializer_list<const char*> texts);

// Individuals i0, i1, ... with 2 allele sequences (sometimes 1 or 3), drawn from 4 haplotypes of one
// random gene carrying point changes, gap codons, "NNN" and ambiguous words; stop and frameshift
// codons made "NNN", as cleaning leaves them.
Records randomContig(std::mt19937& rng, size_t individuals, size_t codons);
// Codon rows: per site, a reference sense codon, with chance `polymorphic` one to three others (one
// or two positions changed) at a random share, and now and then a gap or NNN codon.
CodeRows randomCodonRows(std::mt19937& rng, size_t sequences, size_t sites, double polymorphic = 0.3);

// Options built and checked from `args` (program name added); their standard output goes to `console`.
std::unique_ptr<ParametersManagement> options(std::vector<std::string> args, std::string* console = nullptr);

// A population file of `text`, read.
std::unique_ptr<mrv::Population> makePopulation(const std::string& text);

// Whether `f` raises an alphabet exception for the value `bad` whose message holds `text`.
testing::AssertionResult failsWith(const std::function<void()>& f, const std::string& bad, const std::string& text);

// Everything a container holds, one line each, read from the container itself: its general comments,
// the site positions, and per sequence its name, comments, count, group, ingroup flag and text.
Lines containerLines(const bpp::PolymorphismSequenceContainer& container);
// The lines that `f` writes to std::cout.
Lines coutLines(const std::function<void()>& f);

}  // namespace testsupport
