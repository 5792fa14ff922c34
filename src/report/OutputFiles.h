#pragma once
// The output files of a run, moved into place together once all are complete.
#include <memory>
#include <string>
#include <vector>

#include "report/OutputFile.h"
#include "report/OutputFileNames.h"
#include "report/SignalGuard.h"

namespace report {

// The outputs of a run: each is created when its writer starts and all are moved into place
// together by commit(), after the last one is finished. Those not committed are removed when the
// set goes.
class OutputFiles {
 public:
  OutputFile& create(const std::string& name);
  // Moves every finished file into place, in creation order, with SIGINT, SIGTERM and SIGHUP held
  // back meanwhile so that the set is not cut in the middle.
  void commit();

 private:
  std::vector<std::unique_ptr<OutputFile> > _files;
};

}  // namespace report
