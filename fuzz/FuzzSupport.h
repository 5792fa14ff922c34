#pragma once
// Small helpers shared by the fuzz targets.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace fuzzsupport {

// A file of this process under the temporary directory, rewritten for every input.
inline std::string scratchFile(const std::string& suffix) {
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp && *tmp ? tmp : "/tmp") + "/selvantrix_fuzz_" + std::to_string(getpid()) + suffix;
}

inline void writeBytes(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace fuzzsupport
