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
// writer builds once and passes to the forms of these two operations over the table; the forms
// below build it for their one line.

// The header line (no line end): every title followed by a tab. With `debug` it is also echoed
// to standard output.
std::string buildHeaderLine(mrv::Population* population, std::vector<double>& class_bounds,
                            std::string ingroup_species_name, bool debug);

// One row of the table, line end included: every field followed by a tab. A store without a record
// of the species shows the values of a fresh record.
void writeUnitaryResultLine(std::ostream& output, ResultsWarehouse* warehouse, mrv::Population* population,
                            std::string ingroup_species_name);
