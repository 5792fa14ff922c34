// Fuzz target: one arbitrary FASTA text through the run itself (runWithOptions, the function
// runSelvantrix calls once the options are checked): output checks, welcome banner, reading, default
// population or population file, cleaning, analysis of each contig, the three writers, the summary,
// the committed outputs and the goodbye banner.
//
// The first two bytes of an input choose the run's settings (outgroup, frameshift handling,
// distances, small thresholds; debug mode, kappa, contig usage, a population file); the rest is the
// alignment file. The process works in a scratch directory of its own, in memory (/dev/shm) where
// the machine has it, where the outputs are written and moved into place as a run does.
//
// The run's signal dispositions (report::SignalGuard, which runSelvantrix sets around
// runWithOptions) are not set here: libFuzzer handles SIGINT and SIGTERM itself, to stop with its
// final report, and the guard would take them over for the time of every input; its other part
// (temporary outputs removed on an interrupt) matters nothing in a scratch directory.
//
// A malformed file may end the run with a Bio++ exception before its analysis (the reading or the
// cleaning refuses it; the program reports it and stops), a file without any contig or without a
// clean one ends the run deliberately, and the analysis of a focal sequence that belongs to no
// population ends it with that message; anything else that escapes, any other deliberate ending
// and an output file that does not hold one row per analysed contig is a fault and aborts.
#include <Bpp/Exceptions.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "input/AlignmentFileManagement.h"
#include "input/NameSafety.h"
#include "input/Population.h"
#include "report/Summary.h"
#include "core/FatalError.h"
#include "core/ParametersManagement.h"
#include "run/RunSequence.h"

namespace {

const char* const kAlignment = "a.fas";
const char* const kPopulations = "p.txt";
const char* const kOutput = "a.out";
const char* const kIngroup = "Sp1";

// The frameshift handling of settings byte `b`: the reading of the run depends on it, and so does
// the population file made before the run.
bool removesFrameshifts(uint8_t b) { return (b & 0x02) != 0; }

// Options of an input: `b` as the reading, cleaning and distances see it, `c` for the rest (bit 0
// debug mode, bits 1-2 kappa - 1, bits 3-4 contig usage; bit 5, a population file, is read by the
// caller), with the population file `populations` ("none" for the default population).
std::vector<std::string> settingsFor(uint8_t b, uint8_t c, const std::string& populations) {
  std::vector<std::string> args = {"fuzz_alignment", std::string("-alignment_file=") + kAlignment,
                                   std::string("-ingroup=") + kIngroup, std::string("-out=") + kOutput};
  if (b & 0x01) args.push_back("-outgroup=Sp2");
  if (populations != "none") args.push_back("-population_file=" + populations);
  args.push_back(std::string("-remove_frameshift=") + (removesFrameshifts(b) ? "yes" : "no"));
  args.push_back(std::string("-allow_internal_bc=") + ((b & 0x04) ? "yes" : "no"));
  args.push_back(std::string("-compute_distances=") + ((b & 0x08) ? "yes" : "no"));
  args.push_back("-gapN_site=" + std::to_string((b >> 4) & 0x03));
  args.push_back("-min_nb_codon=" + std::to_string(1 + ((b >> 6) & 0x01)));
  args.push_back("-tolerance_zone=" + std::to_string((b >> 7) & 0x01));
  args.push_back("-gc_bin=" + std::to_string(1 + (b % 5)));
  args.push_back(std::string("-debug_mode=") + ((c & 0x01) ? "yes" : "no"));
  args.push_back("-kappa=" + std::to_string(1 + ((c >> 1) & 0x03)));
  static const char* const usage[] = {"all", "even", "odd", "all"};
  args.push_back(std::string("-contig_usage=") + usage[(c >> 3) & 0x03]);
  args.push_back("-bs_replicates=3");
  args.push_back("-bs_sort=1000");
  return args;
}

// The options of `args`, read and checked as runSelvantrix reads them.
std::unique_ptr<ParametersManagement> checkedOptions(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::unique_ptr<ParametersManagement> options(
      new ParametersManagement(program_version, version_date, static_cast<int>(args.size()), argv.data()));
  options->checkParameters();
  return options;
}

// Writes a population file of the individuals of the default population the run would make of the
// alignment, dealt in turn to two populations, and returns its name; "none" (the default population
// then) when the file is not read, holds fewer than two such individuals, or one whose name a
// population file cannot hold (";" would cut it in two; a tab or a line end the run refuses there,
// while its cleaning refuses them in the alignment).
std::string writePopulationFile(bool remove_frameshift, RunObjects& run) {
  std::vector<mrv::CompactContig> contigs;
  try {
    contigs = mrv::AlignmentFileManagement::readCompactAlignmentFile(kAlignment, remove_frameshift,
                                                                     &run.alphabets.nucleic, &run.alphabets.codon, false);
  } catch (const bpp::Exception&) {
    return "none";  // the run refuses the file itself
  }
  std::vector<std::vector<std::string> > names;
  for (const mrv::CompactContig& contig : contigs) names.push_back(contig.names());
  const std::vector<std::string> individuals = mrv::Population(names, kIngroup).get_all_individuals();
  if (individuals.size() < 2 || std::any_of(individuals.begin(), individuals.end(), [](const std::string& name) {
        return name.find(';') != std::string::npos || !mrv::nameBreakingTables(name, false).empty();
      }))
    return "none";
  std::string lines[2] = {"Pop1", "Pop2"};
  for (size_t i = 0; i < individuals.size(); ++i) lines[i % 2] += ";" + individuals[i];
  std::ofstream(kPopulations, std::ios::trunc) << lines[0] << "\n" << lines[1] << "\n";
  return kPopulations;
}

size_t countLines(const char* path) {
  std::ifstream in(path, std::ios::binary);
  size_t lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

bool isDeliberateEnd(const std::string& message) {
  return message.find("there is not enough") != std::string::npos;  // no contig, or no clean contig
}

// A library exception the run ends with deliberately: before the analysis (a malformed file refused
// by the reading or the cleaning), or in a contig's analysis, for a focal sequence whose name has
// fewer than three fields and so is in no default population (the differentiation step refuses it).
bool isDeliberateRefusal(const bpp::Exception& e, const RunObjects& run) {
  if (run.cleaned.empty()) return true;
  const bool in_analysis = run.warehouses.size() < run.cleaned.size();
  return in_analysis && std::string(e.what()).find("doesn't belong to any population") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* shm = "/dev/shm";
  const std::string base = access(shm, W_OK) == 0 ? shm : "/tmp";
  std::string pattern = base + "/selvantrix_fuzz_alignment_XXXXXX";
  const char* dir = mkdtemp(&pattern[0]);
  if (!dir || chdir(dir) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  fuzzsupport::writeBytes(kAlignment, data + 2, size - 2);
  std::remove(kOutput);  // the row count below reads this run's file only

  try {
    RunObjects run;
    const std::string populations = (data[1] & 0x20) ? writePopulationFile(removesFrameshifts(data[0]), run) : "none";
    const std::unique_ptr<ParametersManagement> options = checkedOptions(settingsFor(data[0], data[1], populations));
    try {
      runWithOptions(options.get(), run);
    } catch (const bpp::Exception& e) {
      if (isDeliberateRefusal(e, run)) return 0;
      throw;
    }
    if (countLines(kOutput) != run.warehouses.size() + 1) {
      std::fprintf(stderr, "fuzz_alignment: the main output file does not hold a row per contig\n");
      std::abort();
    }
  } catch (const FatalError& e) {
    if (isDeliberateEnd(e.what())) return 0;
    std::fprintf(stderr, "fuzz_alignment: the run was ended: %s\n", e.what());
    std::abort();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_alignment: uncaught exception: %s\n", e.what());
    std::abort();
  }
  return 0;
}
