#include "run/RunSequence.h"

#include <Bpp/App/ApplicationTools.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <vector>

#include "analysis/AlleleFrequencyClasses.h"
#include "report/OutputFiles.h"
#include "run/ParametersManagement.h"

const std::string version_date = "12-06-2013";
const time_t rawtime = time(nullptr);

namespace {

std::string ctimeText(time_t t) {
  const char* text = std::ctime(&t);
  return text ? std::string(text) : std::string("(unknown time)\n");
}

[[noreturn]] void stopNotBuilt(const std::string& stage) {
  bpp::ApplicationTools::displayError("The " + stage +
                                      " stage is not available in this build yet. Execution canceled..");
  std::exit(1);
}

}  // namespace

void displayWelcomeMessage(ParametersManagement* options) {
  std::ostream& o = std::cout;
  if (options->get_DEBUG()) o << "\n-- DEBUG MODE IS ACTIVATED --\n\n";
  const std::string hashes(83, '#');
  o << "\n"
    << hashes << "\n"
    << "#          Welcome in Selvantrix (Version " << program_version << " (Last update: " << version_date
    << "))          #\n"
    << hashes << "\n"
    << "Start time: " << ctimeText(rawtime) << "\n"
    << "Selected alignment file: " << options->get_alignement_file() << "\n"
    << "Selected population file: " << options->get_population_file() << "\n\n"
    << "Selected focal/ingroup species: " << options->get_ingroup_species_name() << "\n";
  if (options->get_outgroup_species_name() != "none")
    o << "Selected external/outgroup species: " << options->get_outgroup_species_name() << "\n\n";
  else
    o << "\n";
  if (options->get_remove_frameshift()) {
    o << "Frameshift-containing contigs will be rejected during the initial cleaning procedure !\n"
      << "Stop codons will be tolerated in the first/last " << options->get_tolerance_zone()
      << " codon(s) of each sequence.\n";
    if (options->get_allow_internal_bc())
      o << "Internal Stop codons will be tolerated and replaced by NNN codons.\n";
    else
      o << "Internal Stop codons are forbidden and the corresponding contig will be rejected !\n";
  } else {
    o << "Frameshift-containing contigs will be conserved during the alignment file loading.\n"
      << "Stop and Frameshift codons will be tolerated in the first/last " << options->get_tolerance_zone()
      << " codon(s) of each sequence.\n";
    if (options->get_allow_internal_bc())
      o << "Internal Stop and Frameshift codons will be tolerated and replaced by NNN codons.\n";
    else
      o << "Internal Stop and Frameshift codons are forbidden and the corresponding contig will be rejected !\n";
  }
  if (options->get_compute_distances())
    o << "\nDistance between focal individuals will be computed !\n\n";
  else
    o << "\n";
  o << "The following contigs will be used to generate the Biological summary: " << options->get_contig_usage()
    << " contigs\n\n";
  o.flush();
}

void displayGoodbyeMessage() {
  const std::string hashes(83, '#');
  std::cout << "Stop time: " << ctimeText(time(nullptr)) << hashes << "\n"
            << "#                          Selvantrix - End of execution                          #\n"
            << hashes << std::endl;
}

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

  auto sameFile = [](const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
      bool eq = fs::equivalent(a, b, ec);
      if (!ec) return eq;
    }
    fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return ca == cb;
  };
  for (size_t i = 0; i < files.size(); ++i) {
    if (!files[i].output) continue;
    for (size_t j = 0; j < i; ++j) {
      if (!sameFile(files[i].path, files[j].path)) continue;
      const std::string what = files[j].output ? "would overwrite the " + files[j].role + " of this run"
                                                : "would overwrite the " + files[j].role;
      bpp::ApplicationTools::displayError("The " + files[i].role + " name (" + files[i].path + ") " + what +
                                          " ! Please choose another main output file name with -out. "
                                          "Execution canceled..");
      std::exit(1);
    }
  }
}

int runSelvantrix(int argc, char* argv[]) {
  ParametersManagement* options = new ParametersManagement(program_version, version_date, argc, argv);
  options->checkParameters();
  checkOutputFileNames(options);
  displayWelcomeMessage(options);
  std::vector<double> class_bounds = setAlleleFrequencyClass(options);
  (void)class_bounds;
  stopNotBuilt("alignment reading");
}
