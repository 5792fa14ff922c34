#include "report/OutputFiles.h"

#include "report/HeldSignals.h"

namespace report {

OutputFile& OutputFiles::create(const std::string& name) {
  _files.reserve(_files.size() + 1);
  _files.push_back(std::make_unique<OutputFile>(name));
  return *_files.back();
}

void OutputFiles::commit() {
  for (auto& file : _files) file->finish();
  HeldSignals held;
  for (auto& file : _files) file->commit();
  _files.clear();
}

}  // namespace report
