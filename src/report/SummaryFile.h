#pragma once
// The summary file: the run's averages with their bootstrap intervals, as a plain-text report.

class ParametersManagement;
class Summary;
namespace mrv {
class Population;
}

// Announces the file name on standard output and writes the report into the working directory.
// A file that cannot be created (or written) ends the process with status 1.
void writeSummaryFile(ParametersManagement* options, Summary* summary, mrv::Population* population);
