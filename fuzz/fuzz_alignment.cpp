// Fuzz target: one arbitrary FASTA text through the alignment reader, the contig cleaning, the
// default population, the per-contig analysis, the output rows and the summary.
//
// The first byte of an input chooses the run's settings (outgroup, frameshift handling, distances,
// small thresholds); the rest is the alignment file. A malformed file may end the reading or the
// cleaning with a Bio++ exception (the program reports it and stops), and so may the analysis of a
// focal sequence that belongs to no population; anything else that escapes, and any deliberate
// process ending, is a fault and aborts.
#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "analysis/AlleleFrequencyClasses.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/AlignmentFileManagement.h"
#include "input/Population.h"
#include "input/RunAlphabets.h"
#include "report/BiologicalSummary.h"
#include "report/MainOutputFile.h"
#include "report/Summary.h"
#include "run/FatalError.h"
#include "run/ParametersManagement.h"
#include "run/RunSequence.h"

namespace {

struct Alphabets : mrv::RunAlphabets {
  mrv::StatisticsEngine engine{code};
};

using ContainerPtr = std::unique_ptr<bpp::PolymorphismSequenceContainer>;

std::vector<std::string> settingsFor(uint8_t b, const std::string& path) {
  std::vector<std::string> args = {"fuzz_alignment", "-alignment_file=" + path, "-ingroup=Sp1"};
  if (b & 0x01) args.push_back("-outgroup=Sp2");
  args.push_back(std::string("-remove_frameshift=") + ((b & 0x02) ? "yes" : "no"));
  args.push_back(std::string("-allow_internal_bc=") + ((b & 0x04) ? "yes" : "no"));
  args.push_back(std::string("-compute_distances=") + ((b & 0x08) ? "yes" : "no"));
  args.push_back("-gapN_site=" + std::to_string((b >> 4) & 0x03));
  args.push_back("-min_nb_codon=" + std::to_string(1 + ((b >> 6) & 0x01)));
  args.push_back("-tolerance_zone=" + std::to_string((b >> 7) & 0x01));
  args.push_back("-gc_bin=" + std::to_string(1 + (b % 5)));
  args.push_back("-bs_replicates=3");
  args.push_back("-bs_sort=1000");
  return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Alphabets* alphabets = new Alphabets();
  static const std::string path = fuzzsupport::scratchFile(".fas");
  if (size < 1) return 0;
  fuzzsupport::writeBytes(path, data + 1, size - 1);

  const std::vector<std::string> args = settingsFor(data[0], path);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  std::unique_ptr<ParametersManagement> options;
  std::vector<ContainerPtr> contigs;
  std::unique_ptr<mrv::Population> population;
  std::vector<std::unique_ptr<ResultsWarehouse> > warehouses;
  std::unique_ptr<Summary> summary;

  try {
    options.reset(new ParametersManagement(program_version, version_date, static_cast<int>(args.size()),
                                           argv.data()));
    options->checkParameters();
    std::vector<bpp::PolymorphismSequenceContainer*> read;
    try {
      read = mrv::AlignmentFileManagement::readAlignmentFile(options->get_alignement_file(),
                                                             options->get_remove_frameshift(), &alphabets->nucleic,
                                                             &alphabets->codon, false);
    } catch (const bpp::Exception&) {
      return 0;  // a malformed file: reported and refused
    } catch (const FatalError&) {
      return 0;  // names that would break the output tables: refused
    }
    for (auto* c : read) contigs.emplace_back(c);
    population.reset(new mrv::Population(read, options->get_ingroup_species_name()));
    std::vector<bpp::PolymorphismSequenceContainer*> cleaned;
    try {
      cleaned = mrv::AlignmentFileManagement::cleanMultiContainer(
          read, &alphabets->codon, options->get_ingroup_species_name(), options->get_min_nb_codon(),
          options->get_tolerance_zone(), options->get_allow_internal_bc(), options->get_min_gapN_site(),
          options->get_max_gapN_seq(), false, options->get_outgroup_species_name());
    } catch (const bpp::Exception&) {
      return 0;
    }
    if (cleaned.empty()) return 0;

    std::vector<double> bounds = setAlleleFrequencyClass(options.get());
    std::vector<ResultsWarehouse*> stores;
    for (auto* contig : cleaned) {
      try {
        warehouses.emplace_back(analyseDataset(options.get(), contig, population.get(), &alphabets->codon,
                                               &alphabets->nucleic, alphabets->engine, bounds));
      } catch (const bpp::Exception& e) {
        // A focal sequence whose name has fewer than three fields is in no default population: the
        // differentiation step refuses it and the run ends with that message.
        if (std::string(e.what()).find("doesn't belong to any population") != std::string::npos) return 0;
        throw;
      }
      stores.push_back(warehouses.back().get());
    }
    std::ostringstream rows;
    rows << buildHeaderLine(population.get(), bounds, options->get_ingroup_species_name(), false) << "\n";
    for (ResultsWarehouse* w : stores)
      writeUnitaryResultLine(rows, w, population.get(), options->get_ingroup_species_name());
    summary.reset(biologicalSummary(stores, options.get(), population.get()));
  } catch (const FatalError& e) {
    std::fprintf(stderr, "fuzz_alignment: the run was ended: %s\n", e.what());
    std::abort();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fuzz_alignment: uncaught exception: %s\n", e.what());
    std::abort();
  }
  return 0;
}
