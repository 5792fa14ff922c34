#include "report/MainOutputFile.h"

#include <Bpp/Text/TextTools.h>

#include <functional>
#include <iostream>

#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"
#include "report/OutputFiles.h"
#include "core/ParametersManagement.h"

namespace {

// What one row is written from: the contig's results, the focal species' record among them and the
// contig's GC allele-frequency class counts.
struct ContigRow {
  ResultsWarehouse& contig;
  const SpeciesDataWarehouse& focal;
  std::vector<double> gc_classes;
};

}  // namespace

// One column of the table: the title of the header line, and the writer of the column's field in
// the row of a contig. The header line and every row are made of the same list of columns, each
// title and each field followed by a tab.
struct report::MainOutputColumn {
  std::string title;
  std::function<void(std::ostream&, const ContigRow&)> write;
};
using report::MainOutputColumn;

namespace {

// A column whose field is the value `get` reads from the row, written with the stream's default
// formatting for its type.
template <class Get>
MainOutputColumn column(std::string title, Get get) {
  return MainOutputColumn{std::move(title), [get](std::ostream& output, const ContigRow& row) { output << get(row); }};
}

// The member lists of the first P populations (the default population without any individual
// has P = 1 and no list).
std::vector<std::vector<std::string> > listedPopulations(const mrv::Population& population) {
  std::vector<std::vector<std::string> > lists = population.get_population_list();
  const size_t nb_population = population.get_number_of_population();
  if (lists.size() > nb_population) lists.resize(nb_population);
  return lists;
}

// The columns of the table, in order: the contig's fixed columns, one column per GC class bound,
// the focal species' columns (titled after the species), the heterozygosity of every member of
// the listed populations and, with two populations or more, the Fst of every pair i < j.
std::vector<MainOutputColumn> tableColumns(const mrv::Population& population, const std::vector<double>& class_bounds,
                                 const std::string& species) {
  std::vector<MainOutputColumn> columns = {
      column("Contig_name", [](const ContigRow& row) { return row.contig.get_name(); }),
      column("Status", [](const ContigRow& row) { return row.contig.get_status(); }),
      column("BiAllelic_SNP", [](const ContigRow& row) { return row.contig.get_nb_bi_allelic_SNP(); }),
      column("TriAllelic_SNP", [](const ContigRow& row) { return row.contig.get_nb_tri_allelic_SNP(); }),
      column("QuadriAllelic_SNP", [](const ContigRow& row) { return row.contig.get_nb_quadri_allelic_SNP(); }),
      column("nN", [](const ContigRow& row) { return row.contig.get_nN(); }),
      column("nS", [](const ContigRow& row) { return row.contig.get_nS(); }),
      column("fixN", [](const ContigRow& row) { return row.contig.get_fixN(); }),
      column("fixS", [](const ContigRow& row) { return row.contig.get_fixS(); }),
      column("polymN0.0", [](const ContigRow& row) { return row.contig.get_polymN_0(); }),
      column("polymS0.0", [](const ContigRow& row) { return row.contig.get_polymS_0(); }),
      column("polymN0.2", [](const ContigRow& row) { return row.contig.get_polymN_02(); }),
      column("polymS0.2", [](const ContigRow& row) { return row.contig.get_polymS_02(); }),
      column("MK_nN", [](const ContigRow& row) { return row.contig.get_MK_nN(); }),
      column("MK_nS", [](const ContigRow& row) { return row.contig.get_MK_nS(); }),
  };
  for (size_t k = 0; k < class_bounds.size(); ++k)
    columns.push_back(column("GCalfreq<=" + bpp::TextTools::toString(class_bounds[k], 6),
                             [k](const ContigRow& row) { return row.gc_classes.at(k); }));
  const std::vector<MainOutputColumn> focal = {
      column(species + "_nb_sequence", [](const ContigRow& row) { return row.focal.get_number_of_sequences(); }),
      column(species + "_nb_complete_site",
             [](const ContigRow& row) { return row.focal.get_number_of_complete_sites(); }),
      column(species + "_GC3", [](const ContigRow& row) { return row.focal.get_GC3(); }),
      column(species + "_piN", [](const ContigRow& row) { return row.focal.get_piN(); }),
      column(species + "_piS", [](const ContigRow& row) { return row.focal.get_piS(); }),
      column(species + "_Fit", [](const ContigRow& row) { return row.focal.get_Fit(); }),
      column(species + "_WeirCockerham84_Fit", [](const ContigRow& row) { return row.focal.get_WC84_Fit(); }),
  };
  columns.insert(columns.end(), focal.begin(), focal.end());
  for (const auto& members : listedPopulations(population))
    for (const std::string& member : members)
      columns.push_back(column("H(" + member + ")", [member](const ContigRow& row) {
        return row.contig.get_specific_individual_heterozygosity(member);
      }));
  const unsigned int nb_population = population.get_number_of_population();
  if (nb_population >= 2) {
    const std::vector<std::string> names = population.get_population_names();
    for (unsigned int i = 0; i + 1 < nb_population; ++i)
      for (unsigned int j = i + 1; j < nb_population; ++j)
        columns.push_back(column("Fst(" + names.at(i) + "," + names.at(j) + ")",
                                 [i, j](const ContigRow& row) { return row.contig.get_specific_Fst(i, j); }));
  }
  return columns;
}

}  // namespace

// The forms of buildHeaderLine and writeUnitaryResultLine over a column table built once for all
// the rows of a file; the forms over the population are adapters over them.

std::string buildHeaderLine(const std::vector<MainOutputColumn>& columns, bool debug) {
  std::string header;
  for (const MainOutputColumn& c : columns) header += c.title + "\t";
  if (debug)
    std::cout << "(buildHeaderLine) Builded Header line:" << std::endl
              << std::endl
              << header << std::endl
              << std::endl;
  return header;
}

void writeUnitaryResultLine(std::ostream& output, const std::vector<MainOutputColumn>& columns,
                            ResultsWarehouse& warehouse, const std::string& ingroup_species_name) {
  // Every analysed contig holds a record of the focal species; should one be missing, the row
  // shows the values of an empty record rather than failing.
  const SpeciesDataWarehouse empty_record;
  const SpeciesDataWarehouse* record = warehouse.get_specific_species_data(ingroup_species_name);
  const ContigRow row{warehouse, record ? *record : empty_record, warehouse.get_GC_allele_frequency_classes()};
  for (const MainOutputColumn& c : columns) {
    c.write(output, row);
    output << "\t";
  }
  output << "\n";
}

std::string buildHeaderLine(mrv::Population* population, std::vector<double>& class_bounds,
                            std::string ingroup_species_name, bool debug) {
  return buildHeaderLine(tableColumns(*population, class_bounds, ingroup_species_name), debug);
}

void writeUnitaryResultLine(std::ostream& output, ResultsWarehouse* warehouse, mrv::Population* population,
                            std::string ingroup_species_name) {
  // One class column per class count of the contig; the titles, which hold the bounds, are not
  // written here.
  const std::vector<double> class_bounds(warehouse->get_GC_allele_frequency_classes().size());
  writeUnitaryResultLine(output, tableColumns(*population, class_bounds, ingroup_species_name), *warehouse,
                         ingroup_species_name);
}

void writeMainOutputFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                         mrv::Population* population, std::vector<double>& class_bounds,
                         report::OutputFiles& outputs) {
  const std::string name = options->get_output_file_name();
  const std::string species = options->get_ingroup_species_name();
  std::cout << "All results are now written into the following file: " << name << std::endl << std::endl;
  std::ostream& file = outputs.create(name).stream();
  // The warehouses hold one class count per class bound.
  const std::vector<MainOutputColumn> columns = tableColumns(*population, class_bounds, species);
  if (options->get_print_header()) file << buildHeaderLine(columns, options->get_DEBUG()) << "\n";
  for (ResultsWarehouse* warehouse : warehouses) writeUnitaryResultLine(file, columns, *warehouse, species);
}

void writeMainOutputFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                         mrv::Population* population, std::vector<double>& class_bounds) {
  report::OutputFiles outputs;
  writeMainOutputFile(options, warehouses, population, class_bounds, outputs);
  outputs.commit();
}
