#pragma once
// Names of the run's output files, and the files they designate.
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

// The file a name finally designates: absolute, with every symbolic link resolved, also a dangling
// one (then the file the link would create). Two names designate the same file when these agree.
std::string resolvedFileName(const std::string& name);

// True for an output written directly rather than through a temporary file: a name of an open file
// of the process (/dev/stdout, /proc/<pid>/fd/N), or an existing file that is neither regular nor
// a directory (a character device, a FIFO).
bool isDirectOutput(const std::string& name);

}  // namespace report
