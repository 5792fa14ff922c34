#pragma once
// The summary file: the run's averages with their bootstrap intervals, as a plain-text report.

class ParametersManagement;
class Summary;
namespace mrv {
class Population;
}
namespace report {
class OutputFiles;
}

// Announces the file name on standard output and writes the report into the working directory: the
// file is created in `outputs` and moved into place with the run's other outputs. The form without
// `outputs` moves it into place at once. A file that cannot be created or written throws FatalError.
void writeSummaryFile(ParametersManagement* options, Summary* summary, mrv::Population* population,
                      report::OutputFiles& outputs);
void writeSummaryFile(ParametersManagement* options, Summary* summary, mrv::Population* population);
