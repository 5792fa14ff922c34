#include "report/OutputFileNames.h"

#include <Bpp/Io/FileTools.h>
#include <Bpp/Text/StringTokenizer.h>
#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "core/ParametersManagement.h"

namespace report {

namespace fs = std::filesystem;

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

namespace {

// /proc/<pid>/fd, the directory of a process's open files.
bool isDescriptorDirectory(const fs::path& directory) {
  std::vector<std::string> parts;
  for (const fs::path& part : directory) parts.push_back(part.string());
  return parts.size() == 4 && parts[0] == "/" && parts[1] == "proc" && parts[3] == "fd";
}

// Resolves `name` as resolvedFileName does; `descriptor` tells whether it goes through a
// /proc/<pid>/fd/ link (/dev/stdout, /dev/fd/N), which names an open file of the process.
std::string resolve(const std::string& name, bool& descriptor) {
  descriptor = false;
  std::error_code ec;
  fs::path p = fs::absolute(name, ec);
  if (ec) return name;
  for (int hop = 0; hop < 40; ++hop) {
    fs::path parent = fs::weakly_canonical(p.parent_path(), ec);
    if (ec) parent = p.parent_path().lexically_normal();
    if (isDescriptorDirectory(parent)) descriptor = true;
    p = parent / p.filename();
    if (!fs::is_symlink(fs::symlink_status(p, ec))) return p.string();
    const fs::path target = fs::read_symlink(p, ec);
    if (ec) return p.string();
    p = target.is_absolute() ? target : parent / target;
  }
  return p.string();
}

}  // namespace

std::string resolvedFileName(const std::string& name) {
  bool descriptor = false;
  return resolve(name, descriptor);
}

bool isDirectOutput(const std::string& name) {
  bool descriptor = false;
  resolve(name, descriptor);
  if (descriptor) return true;
  struct stat st;
  return ::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

}  // namespace report
