// Fuzz target: one arbitrary FASTA text along the run's own road: the compact reader, the default
// population (or a population file made from it), the compact cleaning, the analysis of each contig
// on its view, the three writers and the summary.
//
// The first two bytes of an input choose the run's settings (outgroup, frameshift handling,
// distances, small thresholds; debug mode, kappa, contig usage, a population file); the rest is the
// alignment file. The process works in a scratch directory of its own, in memory (/dev/shm) where
// the machine has it, where the outputs are written and moved into place as a run does.
//
// A malformed file may end the reading or the cleaning with a Bio++ exception (the program reports
// it and stops), a file without any contig or without a clean one ends the run deliberately, and the
// analysis of a focal sequence that belongs to no population ends it with that message; anything
// else that escapes, any other deliberate ending and an output file that does not hold one row per
// analysed contig is a fault and aborts.
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
#include "analysis/AlleleFrequencyClasses.h"
#include "analysis/ContigView.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/AlignmentFileManagement.h"
#include "input/CompactContig.h"
#include "input/Population.h"
#include "input/RunAlphabets.h"
#include "report/BiologicalSummary.h"
#include "report/DistanceFile.h"
#include "report/MainOutputFile.h"
#include "report/OutputFiles.h"
#include "report/Summary.h"
#include "report/SummaryFile.h"
#include "core/FatalError.h"
#include "core/ParametersManagement.h"
#include "run/RunSequence.h"

namespace {

struct Alphabets : mrv::RunAlphabets {
  mrv::StatisticsEngine engine{code};
};

const char* const kAlignment = "a.fas";
const char* const kPopulations = "p.txt";
const char* const kOutput = "a.out";

// Options of an input: `b` as the reading, cleaning and distances see it, `c` for the rest (bit 0
// debug mode, bits 1-2 kappa - 1, bits 3-4 contig usage, bit 5 a population file).
std::vector<std::string> settingsFor(uint8_t b, uint8_t c) {
  std::vector<std::string> args = {"fuzz_alignment", std::string("-alignment_file=") + kAlignment, "-ingroup=Sp1",
                                   std::string("-out=") + kOutput};
  if (b & 0x01) args.push_back("-outgroup=Sp2");
  args.push_back(std::string("-remove_frameshift=") + ((b & 0x02) ? "yes" : "no"));
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

// A population file of the focal individuals, dealt in turn to two populations.
void writePopulationFile(const std::vector<std::string>& individuals) {
  std::string lines[2] = {"Pop1", "Pop2"};
  for (size_t i = 0; i < individuals.size(); ++i) lines[i % 2] += ";" + individuals[i];
  std::ofstream(kPopulations, std::ios::trunc) << lines[0] << "\n" << lines[1] << "\n";
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
  static Alphabets* alphabets = new Alphabets();
  if (size < 2) return 0;
  fuzzsupport::writeBytes(kAlignment, data + 2, size - 2);

  const std::vector<std::string> args = settingsFor(data[0], data[1]);
  const bool population_file = (data[1] & 0x20) != 0;
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  std::unique_ptr<ParametersManagement> options;
  std::unique_ptr<mrv::Population> population;
  std::vector<std::unique_ptr<ResultsWarehouse> > warehouses;
  std::unique_ptr<Summary> summary;

  try {
    options.reset(new ParametersManagement(program_version, version_date, static_cast<int>(args.size()),
                                           argv.data()));
    options->checkParameters();
    const bool debug = options->get_DEBUG();
    std::vector<mrv::CompactContig> read;
    try {
      read = mrv::AlignmentFileManagement::readCompactAlignmentFile(
          options->get_alignement_file(), options->get_remove_frameshift(), &alphabets->nucleic, &alphabets->codon,
          debug);
    } catch (const bpp::Exception&) {
      return 0;  // a malformed file: reported and refused
    }
    if (read.empty()) return 0;
    population.reset(generateBasicPopulation(options.get(), read));
    std::vector<mrv::CompactContig> cleaned;
    try {
      cleaned = mrv::AlignmentFileManagement::cleanCompactContigs(
          read, &alphabets->codon, options->get_ingroup_species_name(), options->get_min_nb_codon(),
          options->get_tolerance_zone(), options->get_allow_internal_bc(), options->get_min_gapN_site(),
          options->get_max_gapN_seq(), debug, options->get_outgroup_species_name());
    } catch (const bpp::Exception&) {
      return 0;  // names that would break the output tables: refused
    }
    if (cleaned.empty()) return 0;
    // The cleaning refused focal names the tables cannot hold; a name holding ";" would be cut in two
    // by the population file and is left to the default population.
    const std::vector<std::string> individuals = population->get_all_individuals();
    if (population_file && individuals.size() >= 2 &&
        std::none_of(individuals.begin(), individuals.end(),
                     [](const std::string& name) { return name.find(';') != std::string::npos; })) {
      writePopulationFile(individuals);
      population.reset(loadPopulationFile(kPopulations));
    }

    std::vector<double> bounds = setAlleleFrequencyClass(options.get());
    std::vector<ResultsWarehouse*> stores;
    for (mrv::CompactContig& compact : cleaned) {
      const mrv::ContigView view(compact, &alphabets->codon, &alphabets->nucleic, alphabets->engine);
      try {
        warehouses.emplace_back(analyseDataset(options.get(), view, population.get(), alphabets->engine, bounds));
      } catch (const bpp::Exception& e) {
        // A focal sequence whose name has fewer than three fields is in no default population: the
        // differentiation step refuses it and the run ends with that message.
        if (std::string(e.what()).find("doesn't belong to any population") != std::string::npos) return 0;
        throw;
      }
      stores.push_back(warehouses.back().get());
      if (debug) ResultsWarehouse::warehouseInventory(stores.back(), options.get(), population.get(), bounds);
    }

    report::OutputFiles outputs;
    writeMainOutputFile(options.get(), stores, population.get(), bounds, outputs);
    if (options->get_compute_distances()) writeDistanceFile(options.get(), stores, population.get(), outputs);
    summary.reset(biologicalSummary(stores, options.get(), population.get()));
    writeSummaryFile(options.get(), summary.get(), population.get(), outputs);
    outputs.commit();
    if (countLines(kOutput) != stores.size() + 1) {
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
