#include "run/RunSequence.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>
#include <Bpp/Seq/Sequence.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <vector>

#include "analysis/AlleleFrequencyClasses.h"
#include "analysis/ContigView.h"
#include "analysis/FocalSpeciesAnalysis.h"
#include "analysis/StatisticsEngine.h"
#include "analysis/McDonaldKreitman.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SelectionIndicators.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/AlignmentFileManagement.h"
#include "input/PolymorphismSequenceContainerAddons.h"
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

void checkOutputFileNames(ParametersManagement* options) {
  namespace fs = std::filesystem;
  struct Named {
    std::string role;
    std::string path;
    bool output;
  };
  std::vector<Named> files;
  files.push_back({"alignment file", options->get_alignement_file(), false});
  if (options->get_population_file() != "none")
    files.push_back({"population file", options->get_population_file(), false});
  files.push_back({"main output file", options->get_output_file_name(), true});
  files.push_back({"summary file", report::summaryFileName(*options), true});
  if (options->get_compute_distances())
    files.push_back({"distance file", report::distanceFileName(*options), true});

  // One file under two names: hard links (one inode), or names that lead to the same place through
  // symbolic links, also links to a file not yet created.
  auto sameFile = [](const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec)) return true;
    return report::resolvedFileName(a) == report::resolvedFileName(b);
  };
  for (size_t i = 0; i < files.size(); ++i) {
    if (!files[i].output) continue;
    for (size_t j = 0; j < i; ++j) {
      if (!sameFile(files[i].path, files[j].path)) continue;
      const std::string what = files[j].output ? "would overwrite the " + files[j].role + " of this run"
                                                : "would overwrite the " + files[j].role;
      throw FatalError::error("The " + files[i].role + " name (" + files[i].path + ") " + what +
                              " ! Please choose another main output file name with -out. Execution canceled..");
    }
  }
}

void checkOutputPlaces(ParametersManagement* options) {
  report::checkOutputPlace(options->get_output_file_name());
  if (options->get_compute_distances()) report::checkOutputPlace(report::distanceFileName(*options));
  report::checkOutputPlace(report::summaryFileName(*options));
}

mrv::Population* loadPopulationFile(std::string path) {
  std::unique_ptr<mrv::Population> population(new mrv::Population(path));
  if (population->check_for_duplicates()) {
    population->display_duplicates();
    throw FatalError::error("Current Selvantrix version is not compatible with duplicates-containing populations !",
                            true);
  }
  population->display_populations(false);
  return population.release();
}

mrv::Population* generateBasicPopulation(ParametersManagement* options, const std::vector<mrv::CompactContig>& contigs) {
  std::vector<std::vector<std::string> > names;
  names.reserve(contigs.size());
  for (const mrv::CompactContig& contig : contigs) names.push_back(contig.names());
  std::unique_ptr<mrv::Population> population(new mrv::Population(names, options->get_ingroup_species_name()));
  population->display_populations(true);
  return population.release();
}

std::vector<mrv::CompactContig> loadAlignmentFile(ParametersManagement* options,
                                                  const bpp::CodonAlphabet* codon_alphabet,
                                                  const bpp::NucleicAlphabet* nucleic_alphabet) {
  std::cout << "Alignment input file analysis:" << "\n" << std::endl;
  std::vector<mrv::CompactContig> contigs = mrv::AlignmentFileManagement::readCompactAlignmentFile(
      options->get_alignement_file(), options->get_remove_frameshift(), nucleic_alphabet, codon_alphabet,
      options->get_DEBUG());
  if (contigs.empty())
    throw FatalError::error("Sorry, there is not enough dataset/contig to perform the analysis ! Execution canceled..",
                            true);
  return contigs;
}

std::vector<mrv::CompactContig> cleanAlignmentData(ParametersManagement* options,
                                                  std::vector<mrv::CompactContig>& contigs,
                                                  const bpp::CodonAlphabet* codon_alphabet) {
  std::cout << "Datasets/Contigs cleaning procedure:" << "\n" << std::endl;
  // Each contig is cleaned in place in its compact form; the rejected ones go at once.
  std::vector<mrv::CompactContig> cleaned = mrv::AlignmentFileManagement::cleanCompactContigs(
      contigs, codon_alphabet, options->get_ingroup_species_name(), options->get_min_nb_codon(),
      options->get_tolerance_zone(), options->get_allow_internal_bc(), options->get_min_gapN_site(),
      options->get_max_gapN_seq(), options->get_DEBUG(), options->get_outgroup_species_name());
  if (cleaned.empty())
    throw FatalError::error(
        "Sorry, there is not enough clean dataset/contig to perform the analysis ! Execution canceled..", true);
  return cleaned;
}

ResultsWarehouse* analyseDataset(ParametersManagement* options, const mrv::ContigView& contig,
                                 mrv::Population* population, mrv::StatisticsEngine& engine,
                                 std::vector<double>& class_bounds) {
  // Owned here until returned, so that a failing analysis step releases them.
  std::unique_ptr<ResultsWarehouse> warehouse_owner(new ResultsWarehouse(population, options->get_nb_gc_bin()));
  ResultsWarehouse* warehouse = warehouse_owner.get();
  using Addons = mrv::PolymorphismSequenceContainerAddons;
  const std::vector<std::string>& names = contig.all_names();
  if (names.empty()) {  // raises the container's own error
    bpp::PolymorphismSequenceContainer none(contig.alphabet());
    Addons::getContigNameFromContainer(&none, 0);
  }
  warehouse->set_name(Addons::getContigNameFromName(names[0]));
  std::unique_ptr<SpeciesDataWarehouse> species_data_owner(new SpeciesDataWarehouse());
  SpeciesDataWarehouse* species_data = species_data_owner.get();
  const std::map<unsigned int, unsigned int> members = Addons::getNumberOfMembers(names, contig.all_groups(), options->get_DEBUG());

  if (mrv::groupMemberCount(members, 0) > 0) {
    const bool with_outgroup = options->get_outgroup_species_name() != "none" && members.size() >= 2 &&
                              mrv::groupMemberCount(members, 1) > 0;
    analyseFocalSpecies(options, contig, population, engine, class_bounds, species_data, warehouse);
    if (with_outgroup) {
      const bpp::BasicSequence ingroup_consensus("Ingroup_consensus", contig.ingroup_consensus(), contig.alphabet());
      const bpp::BasicSequence outgroup_consensus("Outgroup_consensus", contig.outgroup_consensus(), contig.alphabet());
      collectSelectionIndicators(&ingroup_consensus, &outgroup_consensus, contig.codon_alphabet(), engine, warehouse,
                                 options->get_kappa());
      mcDonaldKreitmanAnalysis(contig, &outgroup_consensus, warehouse, static_cast<unsigned int>(options->get_kappa()),
                               engine, options->get_DEBUG());
    }
  }
  warehouse->set_status("OK");
  warehouse->store_species_data(species_data_owner.release());
  return warehouse_owner.release();
}

ResultsWarehouse* analyseDataset(ParametersManagement* options, bpp::PolymorphismSequenceContainer* contig,
                                 mrv::Population* population, const bpp::CodonAlphabet* codon_alphabet,
                                 const bpp::NucleicAlphabet* nucleic_alphabet, mrv::StatisticsEngine& engine,
                                 std::vector<double>& class_bounds) {
  if (contig->getNumberOfSequences() == 0) mrv::PolymorphismSequenceContainerAddons::getContigNameFromContainer(contig, 0);
  // A contig with sequences of group 0 but none flagged ingroup: the library's extraction answers.
  bool any_ingroup = false;
  bool group0 = false;
  for (size_t i = 0; i < contig->getNumberOfSequences(); ++i) {
    any_ingroup = any_ingroup || contig->isIngroupMember(i);
    group0 = group0 || contig->getGroupId(i) == 0;
  }
  std::unique_ptr<bpp::PolymorphismSequenceContainer> extracted;
  if (group0 && !any_ingroup) extracted.reset(bpp::PolymorphismSequenceContainerTools::extractIngroup(*contig));
  const mrv::ContigView view(*contig, codon_alphabet, nucleic_alphabet, &engine, true);
  return analyseDataset(options, view, population, engine, class_bounds);
}

namespace {

// Where an analysis failure arose: the contig, the alignment file and, with a population file,
// that file (with a hint when its lines end with a carriage return, which stays part of the last
// individual's name on each line).
std::string analysisFailureContext(const ParametersManagement& options, const std::string& contig,
                                   const mrv::Population& population) {
  std::string context = " (contig " + contig +
                        " of the alignment file " + options.get_alignement_file();
  if (options.get_population_file() != "none") {
    context += "; population file " + options.get_population_file();
    bool carriage_return = false;
    for (const auto& members : population.get_population_list())
      for (const std::string& member : members)
        if (!member.empty() && member.back() == '\r') carriage_return = true;
    if (carriage_return)
      context += ", whose lines end with a carriage return (Windows line ends): it is read as part of the last "
                 "individual name of each line";
  }
  return context + ")";
}

}  // namespace

RunObjects::RunObjects() = default;
RunObjects::~RunObjects() = default;

void runWithOptions(ParametersManagement* options, RunObjects& run) {
  mrv::CustomNucleicAlphabet* nucleic_alphabet = &run.alphabets.nucleic;
  mrv::FrameshiftCodonAlphabet* codon_alphabet = &run.alphabets.codon;
  mrv::StatisticsEngine& engine = run.engine;

  checkOutputFileNames(options);
  checkOutputPlaces(options);
  displayWelcomeMessage(options);
  std::vector<double> class_bounds = setAlleleFrequencyClass(options);

  if (options->get_population_file() != "none")
    run.population.reset(loadPopulationFile(options->get_population_file()));
  std::vector<mrv::CompactContig>& contigs = run.contigs;
  contigs = loadAlignmentFile(options, codon_alphabet, nucleic_alphabet);
  if (options->get_population_file() == "none") run.population.reset(generateBasicPopulation(options, contigs));
  mrv::Population* population = run.population.get();
  std::vector<mrv::CompactContig>& cleaned = run.cleaned;
  cleaned = cleanAlignmentData(options, contigs, codon_alphabet);

  std::cout << "Dataset/Contig analysis procedure:" << "\n\n"
            << " -> Number of cleaned dataset: " << cleaned.size() << "\n\n"
            << "   --> Begin: " << ctimeText(time(nullptr)) << std::flush;
  run.warehouses.reserve(cleaned.size());
  for (mrv::CompactContig& compact : cleaned) {
    // The contig's view lives for its analysis only, and its compact copy goes once it is made.
    const std::string name = mrv::PolymorphismSequenceContainerAddons::getContigNameFromName(compact.names().at(0));
    std::unique_ptr<mrv::ContigView> contig(new mrv::ContigView(compact, codon_alphabet, nucleic_alphabet, engine));
    compact = mrv::CompactContig();
    std::unique_ptr<ResultsWarehouse> warehouse;
    try {
      warehouse.reset(analyseDataset(options, *contig, population, engine, class_bounds));
    } catch (const bpp::Exception& e) {
      throw bpp::Exception(std::string(e.what()) + analysisFailureContext(*options, name, *population));
    }
    contig.reset();
    run.warehouses.push_back(std::move(warehouse));
    if (options->get_DEBUG())
      ResultsWarehouse::warehouseInventory(run.warehouses.back().get(), options, population, class_bounds);
  }
  std::cout << "   --> Stop: " << ctimeText(time(nullptr)) << std::endl;

  // The writers read the contigs' results through a list of pointers; `run` keeps owning them.
  std::vector<ResultsWarehouse*> warehouses;
  warehouses.reserve(run.warehouses.size());
  for (const auto& warehouse : run.warehouses) warehouses.push_back(warehouse.get());
  report::OutputFiles outputs;
  writeMainOutputFile(options, warehouses, population, class_bounds, outputs);
  if (options->get_compute_distances()) writeDistanceFile(options, warehouses, population, outputs);
  run.summary.reset(biologicalSummary(warehouses, options, population));
  writeSummaryFile(options, run.summary.get(), population, outputs);
  outputs.commit();
  displayGoodbyeMessage();
  if (!std::cout) {
    // A closed or full console (a run piped into `head`) does not stop the run: its files are complete.
    std::cerr << "WARNING!!! The console report could not be written completely (standard output closed or full); "
                 "the output files are complete."
              << std::endl;
  }
}

int runSelvantrix(int argc, char* argv[]) {
  const report::SignalGuard signals;
  RunObjects run;
  const std::unique_ptr<ParametersManagement> options(
      new ParametersManagement(program_version, version_date, argc, argv));
  options->checkParameters();
  runWithOptions(options.get(), run);
  return 0;
}
