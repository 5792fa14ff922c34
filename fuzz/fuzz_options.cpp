// Fuzz target: the option parser on an arbitrary argument vector (one argument per line of the
// input), its checks and corrections, the output-name checks, the welcome banner and the GC class
// bounds.
//
// The process runs in a scratch directory holding a small alignment "a.fas", a population file
// "p.txt" and an empty file "e.fas". Arguments that could name a file outside that directory (an
// absolute path, "..") are skipped, so that no device or pipe of the machine is ever opened. The
// program's deliberate endings (help text, refused output names), thrown as FatalError, count as
// a normal end of the input.
#include <Bpp/Exceptions.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "analysis/AlleleFrequencyClasses.h"
#include "core/FatalError.h"
#include "core/ParametersManagement.h"
#include "run/RunSequence.h"

namespace {

// True when `arg` might reach a file outside the working directory.
bool leavesWorkingDirectory(const std::string& arg) {
  if (arg.find("..") != std::string::npos) return true;
  for (size_t i = 0; i < arg.size(); ++i) {
    if (arg[i] != '/') continue;
    if (i == 0) return true;
    const unsigned char before = static_cast<unsigned char>(arg[i - 1]);
    if (!std::isalnum(before) && before != '.' && before != '_' && before != '-') return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/selvantrix_fuzz_options_XXXXXX";
  const char* dir = mkdtemp(tmpl);
  if (!dir || chdir(dir) != 0) std::abort();
  std::ofstream("a.fas") << ">c1|Sp1|i1|allele_1\nATGAAACCCGGGTTT\n>c1|Sp1|i1|allele_2\nATGAAACCCGGGTTA\n";
  std::ofstream("p.txt") << "P1;i1\n";
  std::ofstream("e.fas");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args = {"fuzz_options"};
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\n') {
      args.push_back(current);
      current.clear();
    } else if (c == '\0') {
      return 0;  // a process argument never holds a NUL byte
    } else {
      current += c;
    }
  }
  if (!current.empty()) args.push_back(current);
  if (args.size() < 2) return 0;  // no argument: the help text, and nothing parsed
  for (const std::string& a : args)
    if (leavesWorkingDirectory(a)) return 0;
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  std::unique_ptr<ParametersManagement> options;
  try {
    try {
      options.reset(new ParametersManagement(program_version, version_date, static_cast<int>(args.size()),
                                             argv.data()));
    } catch (const bpp::Exception&) {
      return 0;  // a mandatory file not given or not found: reported and refused
    }
    options->checkParameters();
    checkOutputFileNames(options.get());
    displayWelcomeMessage(options.get());
    const std::vector<double> bounds = setAlleleFrequencyClass(options.get());
    if (bounds.size() != options->get_nb_gc_bin() || bounds.empty()) std::abort();
    if (options->get_kappa() < 1.0 || options->get_bootstrap_replicates() < 1 ||
        options->get_bootstrap_sort_precision() < 1 || !(options->get_bootstrap_confidence() >= 0.0) ||
        !(options->get_bootstrap_confidence() <= 1.0) || !(options->get_max_gapN_seq() >= 0.0) ||
        !(options->get_max_gapN_seq() <= 1.0))
      std::abort();  // the checks restore the default of every rejected value
  } catch (const FatalError&) {
    // help text and refused output names end the run deliberately
  }
  return 0;
}
