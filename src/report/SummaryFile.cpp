#include "report/SummaryFile.h"

#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "input/Population.h"
#include "report/OutputFiles.h"
#include "report/Summary.h"
#include "core/ParametersManagement.h"

namespace {

// " [lower" + separator + "upper]" of a two-value interval.
void writeInterval(std::ostream& out, const std::vector<double>& interval, const char* separator) {
  const double missing = std::numeric_limits<double>::quiet_NaN();
  out << " [" << (interval.size() > 0 ? interval[0] : missing) << separator
      << (interval.size() > 1 ? interval[1] : missing) << "]";
}

void writeReport(std::ostream& out, const ParametersManagement& options, Summary& s,
                 const mrv::Population& population) {
  const std::string hashes(80, '#');
  const unsigned int contigs = s.get_nb_contig();
  out << hashes << "\n"
      << "#                              Biological Summary                              #\n"
      << hashes << "\n\n"
      << "Selected ingroup species: " << options.get_ingroup_species_name() << "\n\n"
      << "Number of analyzed individual: " << population.get_number_of_individuals() << " (from "
      << population.get_number_of_population() << " population(s))\n\n"
      << "Total number of contig used for sequence analysis: " << contigs << "\n\n"
      << "Total number of SNPs: " << s.get_total_number_of_SNP() << "\n\n"
      << "  - Biallelic: " << s.get_total_SNP2() << "\n"
      << "  - Triallelic: " << s.get_total_SNP3() << "\n"
      << "  - Quadriallelic: " << s.get_total_SNP4() << "\n\n";

  out << "Fit:\n\n"
      << "Average Fit: " << s.get_average_fit();
  writeInterval(out, s.get_fit_standard_error(), "; ");
  out << "\n(Fit calculated in " << contigs - s.get_failed_fit() << " contigs)\n\n";

  out << "Weir & Cockerham Fit (Evolution 1984):\n\n"
      << "Average Weir & Cockerham Fit: " << s.get_average_WC84_fit();
  writeInterval(out, s.get_WC84_fit_standard_error(), "; ");
  out << "\n(Fit calculated in " << contigs - s.get_failed_WC84_fit() << " contigs)\n\n";

  out << "piN/piS ratio:\n\n"
      << "Average piS in focal species: " << s.get_average_piS();
  writeInterval(out, s.get_piS_standard_error(), "; ");
  out << "\nAverage piN in focal species: " << s.get_average_piN();
  writeInterval(out, s.get_piN_standard_error(), "; ");
  out << "\nAverage piN / average piS: " << s.get_average_piNpiS();
  writeInterval(out, s.get_piNpiS_standard_error(), "; ");
  out << "\n(piS and piN calculated in " << contigs - s.get_failed_piNpiS() << " contigs of average length "
      << s.get_average_contig_length_piNpiS() << ")\n\n";

  if (options.get_outgroup_species_name() != "none") {
    out << "dN/dS ratio:\n\n"
        << "Average dS: " << s.get_average_dS();
    writeInterval(out, s.get_dS_standard_error(), "; ");
    out << "\nAverage dN: " << s.get_average_dN();
    writeInterval(out, s.get_dN_standard_error(), "; ");
    out << "\nAverage dN/dS: " << s.get_average_dNdS();
    writeInterval(out, s.get_dNdS_standard_error(), "; ");
    out << "\n(" << s.get_contig_above_threshold() << " contigs with dS > " << s.get_dS_threshold()
        << " has been discarded)\n\n";

    out << "Alpha:\n\n"
        << "NI: " << s.get_NI() << " => alpha: " << s.get_alpha();
    writeInterval(out, s.get_alpha_standard_error(), ";");
    out << " (all SNPs)\n"
        << "NI0.2: " << s.get_NI02() << " => alpha0.2: " << s.get_alpha02();
    writeInterval(out, s.get_alpha02_standard_error(), ";");
    out << " (allele freq > 0.2)\n"
        << "(MK-analysis performed in " << contigs - s.get_failed_NI() << " contigs)\n\n";
  }

  out << "Individual heterozygosity:\n\n";
  for (const std::string& name : population.get_all_individuals())
    out << "H(" << name << "): " << s.get_specific_average_individual_heterozygosity(name) << "\n";
  out << "\n";

  // Pairs i < j by their indices: names holding "|" can make two pairs' joined keys equal.
  const std::vector<std::string> names = population.get_population_names();
  if (names.size() >= 2) {
    out << "Population differentiation:\n\n";
    for (unsigned int i = 0; i + 1 < names.size(); ++i)
      for (unsigned int j = i + 1; j < names.size(); ++j)
        out << "Fst(" << names[i] << "|" << names[j] << "): " << s.get_average_population_fst(i, j) << "\n";
  }
  out << "\n";
}

}  // namespace

void writeSummaryFile(ParametersManagement* options, Summary* summary, mrv::Population* population,
                      report::OutputFiles& outputs) {
  const std::string name = report::summaryFileName(*options);
  std::cout << "The Biological Summary is now written into the following file : " << name << std::endl
            << std::endl;
  writeReport(outputs.create(name).stream(), *options, *summary, *population);
}

void writeSummaryFile(ParametersManagement* options, Summary* summary, mrv::Population* population) {
  report::OutputFiles outputs;
  writeSummaryFile(options, summary, population, outputs);
  outputs.commit();
}
