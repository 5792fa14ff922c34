#include "report/OutputFiles.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/Io/FileTools.h>
#include <Bpp/Text/StringTokenizer.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "run/ParametersManagement.h"

namespace report {

std::string derivedOutputFileName(const ParametersManagement& options, const std::string& suffix,
                                  const std::string& galaxy_name) {
  if (options.get_execution_mode() != "local") return galaxy_name;
  const std::string main_name = options.get_output_file_name();
  std::string name = bpp::FileTools::getFileName(main_name, bpp::FileTools::DIR_SEP) + suffix;
  if (name == suffix) {
    bpp::StringTokenizer pieces(main_name, "/", false, false);
    std::string last;
    while (pieces.hasMoreToken()) last = pieces.nextToken();
    name = last + suffix;
  }
  return name;
}

std::string summaryFileName(const ParametersManagement& options) {
  return derivedOutputFileName(options, ".sum", "Selvantrix_summary");
}

std::string distanceFileName(const ParametersManagement& options) {
  return derivedOutputFileName(options, ".dist", "Selvantrix_distances");
}

void openOutputFileOrExit(std::ofstream& file, const std::string& name) {
  file.open(name.c_str(), std::ios::out | std::ios::trunc);
  if (!file.is_open()) {
    std::cerr << "Error: Cannot create/open file: " << name << std::endl;
    std::exit(1);
  }
}

void closeOutputFileOrExit(std::ofstream& file, const std::string& name) {
  file.flush();
  bool ok = !file.fail();
  file.close();
  ok = ok && !file.fail();
  if (!ok) {
    std::remove(name.c_str());
    bpp::ApplicationTools::displayError("Cannot write file: " + name +
                                        " (disk full or file size limit?). The incomplete file has been removed.");
    std::exit(1);
  }
}

}  // namespace report
