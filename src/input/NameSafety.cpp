#include "input/NameSafety.h"

namespace mrv {

std::string nameBreakingTables(const std::string& name, bool ends_line) {
  if (name.find('\t') != std::string::npos) return "holds a tab";
  if (name.find('\n') != std::string::npos) return "holds a line end";
  const size_t cr = name.find('\r');
  if (cr == std::string::npos) return std::string();
  if (ends_line && cr + 1 == name.size()) return "ends with a carriage return, a Windows line end (CRLF)";
  return "holds a carriage return";
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string visibleName(const std::string& name) {
  std::string shown;
  shown.reserve(name.size());
  for (char c : name) {
    switch (c) {
      case '\t': shown += "\\t"; break;
      case '\r': shown += "\\r"; break;
      case '\n': shown += "\\n"; break;
      default: shown += c;
    }
  }
  return shown;
}

}  // namespace mrv
