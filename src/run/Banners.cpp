#include "run/Banners.h"

#include <iostream>

#include "core/ParametersManagement.h"

const std::string version_date = "12-06-2013";
const time_t rawtime = time(nullptr);

std::string ctimeText(time_t t) {
  const char* text = std::ctime(&t);
  return text ? std::string(text) : std::string("(unknown time)\n");
}

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
  // Printed once the output files are in place: nothing here allocates, so that an exhausted
  // memory cannot turn a complete run into a failed one.
  const char* hashes = "###################################################################################";
  const time_t now = time(nullptr);
  const char* stop = std::ctime(&now);
  std::cout << "Stop time: " << (stop ? stop : "(unknown time)\n") << hashes << "\n"
            << "#                          Selvantrix - End of execution                          #\n"
            << hashes << std::endl;
}
