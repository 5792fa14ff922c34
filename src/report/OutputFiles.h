#pragma once
// Names and safe creation of the run's output files.
#include <fstream>
#include <string>

class ParametersManagement;

namespace report {

// Name of a file derived from the main output file name: in "galaxy" mode `galaxy_name`; otherwise
// the main output name without directories and last extension, followed by `suffix` (".sum",
// ".dist"); when that part is empty, the last "/"-separated piece of the main output name + suffix.
// The result never holds a directory: such files are created in the working directory.
std::string derivedOutputFileName(const ParametersManagement& options, const std::string& suffix,
                                  const std::string& galaxy_name);

std::string summaryFileName(const ParametersManagement& options);
std::string distanceFileName(const ParametersManagement& options);

// Creates or truncates `name` for writing. When it cannot be opened, writes
// "Error: Cannot create/open file: " + name to standard error and ends the process with status 1.
void openOutputFileOrExit(std::ofstream& file, const std::string& name);

// Flushes and closes a file opened by openOutputFileOrExit. When any write failed (a full disk,
// a file size limit), removes the incomplete file, reports the failure on standard error and ends
// the process with status 1: a truncated result is never left looking complete.
void closeOutputFileOrExit(std::ofstream& file, const std::string& name);

}  // namespace report
