#include "report/MainOutputFile.h"

#include <Bpp/Text/TextTools.h>

#include <algorithm>
#include <iostream>

#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"
#include "report/OutputFiles.h"
#include "run/ParametersManagement.h"

namespace {

// The member lists of the first P populations (the default population without any individual
// has P = 1 and no list).
std::vector<std::vector<std::string> > listedPopulations(mrv::Population* population) {
  std::vector<std::vector<std::string> > lists = population->get_population_list();
  const size_t nb_population = population->get_number_of_population();
  if (lists.size() > nb_population) lists.resize(nb_population);
  return lists;
}

}  // namespace

std::string buildHeaderLine(mrv::Population* population, std::vector<double>& class_bounds,
                            std::string ingroup_species_name, bool debug) {
  std::string header = "Contig_name\tStatus";
  header += "\tBiAllelic_SNP\tTriAllelic_SNP\tQuadriAllelic_SNP\tnN\tnS";
  header += "\tfixN\tfixS\tpolymN0.0\tpolymS0.0\tpolymN0.2\tpolymS0.2\tMK_nN\tMK_nS\t";
  for (double bound : class_bounds) header += "GCalfreq<=" + bpp::TextTools::toString(bound, 6) + "\t";
  const std::string& s = ingroup_species_name;
  header += s + "_nb_sequence\t" + s + "_nb_complete_site\t" + s + "_GC3\t" + s + "_piN\t" + s + "_piS\t" + s +
            "_Fit\t" + s + "_WeirCockerham84_Fit\t";
  for (const auto& members : listedPopulations(population))
    for (const std::string& member : members) header += "H(" + member + ")\t";
  const unsigned int nb_population = population->get_number_of_population();
  if (nb_population >= 2) {
    const std::vector<std::string> names = population->get_population_names();
    for (unsigned int i = 0; i + 1 < nb_population; ++i)
      for (unsigned int j = i + 1; j < nb_population; ++j)
        header += "Fst(" + names.at(i) + "," + names.at(j) + ")\t";
  }
  if (debug)
    std::cout << "(buildHeaderLine) Builded Header line:" << std::endl
              << std::endl
              << header << std::endl
              << std::endl;
  return header;
}

void writeUnitaryResultLine(std::ostream& output, ResultsWarehouse* warehouse, mrv::Population* population,
                            std::string ingroup_species_name) {
  output << warehouse->get_name() << "\t" << warehouse->get_status() << "\t";
  output << warehouse->get_nb_bi_allelic_SNP() << "\t" << warehouse->get_nb_tri_allelic_SNP() << "\t"
         << warehouse->get_nb_quadri_allelic_SNP() << "\t";
  output << warehouse->get_nN() << "\t" << warehouse->get_nS() << "\t";
  output << warehouse->get_fixN() << "\t" << warehouse->get_fixS() << "\t" << warehouse->get_polymN_0() << "\t"
         << warehouse->get_polymS_0() << "\t" << warehouse->get_polymN_02() << "\t" << warehouse->get_polymS_02()
         << "\t" << warehouse->get_MK_nN() << "\t" << warehouse->get_MK_nS() << "\t";
  for (double count : warehouse->get_GC_allele_frequency_classes()) output << count << "\t";

  // Every analysed contig holds a record of the focal species; should one be missing, the row
  // shows the values of an empty record rather than failing.
  const SpeciesDataWarehouse empty_record;
  const SpeciesDataWarehouse* record = warehouse->get_specific_species_data(ingroup_species_name);
  if (!record) record = &empty_record;
  output << record->get_number_of_sequences() << "\t" << record->get_number_of_complete_sites() << "\t"
         << record->get_GC3() << "\t" << record->get_piN() << "\t" << record->get_piS() << "\t" << record->get_Fit()
         << "\t" << record->get_WC84_Fit() << "\t";

  for (const auto& members : listedPopulations(population))
    for (const std::string& member : members)
      output << warehouse->get_specific_individual_heterozygosity(member) << "\t";
  const unsigned int nb_population = population->get_number_of_population();
  if (nb_population >= 2)
    for (unsigned int i = 0; i + 1 < nb_population; ++i)
      for (unsigned int j = i + 1; j < nb_population; ++j) output << warehouse->get_specific_Fst(i, j) << "\t";
  output << "\n";
}

void writeMainOutputFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                         mrv::Population* population, std::vector<double>& class_bounds,
                         report::OutputFiles& outputs) {
  const std::string name = options->get_output_file_name();
  const std::string species = options->get_ingroup_species_name();
  std::cout << "All results are now written into the following file: " << name << std::endl << std::endl;
  std::ostream& file = outputs.create(name).stream();
  if (options->get_print_header())
    file << buildHeaderLine(population, class_bounds, species, options->get_DEBUG()) << "\n";
  for (ResultsWarehouse* warehouse : warehouses) writeUnitaryResultLine(file, warehouse, population, species);
}

void writeMainOutputFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                         mrv::Population* population, std::vector<double>& class_bounds) {
  report::OutputFiles outputs;
  writeMainOutputFile(options, warehouses, population, class_bounds, outputs);
  outputs.commit();
}
