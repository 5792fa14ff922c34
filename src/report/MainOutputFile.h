#pragma once
// The main output file: one tab-separated row per contig, after an optional header line.
#include <ostream>
#include <string>
#include <vector>

class ParametersManagement;
class ResultsWarehouse;

namespace mrv {
class Population;
}
namespace report {
class OutputFiles;
// One column of the main output table: its title and the writer of its field in a contig's row.
// Defined beside the file's writer, which builds the table.
struct MainOutputColumn;
}

// Announces and writes the main output file (named by the options) from the warehouses, in order:
// the file is created in `outputs` and moved into place with the run's other outputs. The form
// without `outputs` moves it into place at once.
void writeMainOutputFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                         mrv::Population* population, std::vector<double>& class_bounds,
                         report::OutputFiles& outputs);
void writeMainOutputFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                         mrv::Population* population, std::vector<double>& class_bounds);

// The header line and the rows are both made from one table of the columns, which the file's
// writer builds once and passes to the forms of these two operations over the table. The forms over
// the population, the class bounds and the species build the table for their one line.

// The header line (no line end): every title followed by a tab. With `debug` it is also echoed
// to standard output.
// The run calls the form over the table; the form over the population is an adapter over it.
std::string buildHeaderLine(const std::vector<report::MainOutputColumn>& columns, bool debug);
std::string buildHeaderLine(mrv::Population* population, std::vector<double>& class_bounds,
                            std::string ingroup_species_name, bool debug);

// One row of the table, line end included: every field followed by a tab. A store without a record
// of the species shows the values of a fresh record.
// The run calls the form over the table; the form over the population is an adapter over it.
void writeUnitaryResultLine(std::ostream& output, const std::vector<report::MainOutputColumn>& columns,
                            ResultsWarehouse& warehouse, const std::string& ingroup_species_name);
void writeUnitaryResultLine(std::ostream& output, ResultsWarehouse* warehouse, mrv::Population* population,
                            std::string ingroup_species_name);
