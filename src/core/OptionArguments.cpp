#include "core/OptionArguments.h"

#include <Bpp/App/ApplicationTools.h>
#include <sys/stat.h>

#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/FatalError.h"

namespace {

const char kBlanks[] = " \t\r";

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

void reportIgnored(const std::string& text) {
  bpp::ApplicationTools::displayWarning("Parameter '" + text + "' has been ignored.");
}

// Collects the options while following the option files; knows the chain of files being read.
class Reader {
 public:
  void argument(const std::string& text) {
    if (trimmed(text).empty()) return;
    const size_t equal = text.find('=');
    if (equal == std::string::npos) {
      reportIgnored(text);
      return;
    }
    take(text.substr(0, equal), text.substr(equal + 1));
  }

  // The options read, handed over once the reading is done.
  std::vector<GivenOption> options() { return std::move(_options); }

 private:
  // A file being read, known by its device and inode so that another name for it (a link, a
  // different path) is still the same file.
  struct OpenFile {
    std::string name;
    dev_t device;
    ino_t inode;
  };
  std::vector<OpenFile> _chain;
  std::vector<GivenOption> _options;
  std::map<std::string, size_t> _index;  // option name -> place in `_options`

  void take(const std::string& name, const std::string& value) {
    if (name == "param" || name == "params") {
      include(value);
      return;
    }
    const auto found = _index.emplace(name, _options.size());
    if (found.second) {
      _options.push_back({name, value, 1});
    } else {
      GivenOption& o = _options[found.first->second];
      o.value = value;
      ++o.times;
    }
  }

  // "a.txt -> b.txt -> `last`"
  std::string chainTo(const std::string& last) const {
    std::string text;
    for (const OpenFile& f : _chain) text += f.name + " -> ";
    return text + last;
  }

  void include(const std::string& file) {
    std::ifstream in(file.c_str());
    struct stat status;
    if (!in.is_open() || ::stat(file.c_str(), &status) != 0 || S_ISDIR(status.st_mode))
      throw FatalError::error("Cannot open the option file: " + file +
                              (_chain.empty() ? std::string() : " (named in " + _chain.back().name + ")"));
    for (const OpenFile& f : _chain)
      if (f.device == status.st_dev && f.inode == status.st_ino)
        throw FatalError::error("The option file " + file + " includes itself: " + chainTo(file) + " !");
    if (_chain.size() == kMaxOptionFileDepth)
      throw FatalError::error("Option files are nested more than " + std::to_string(kMaxOptionFileDepth) +
                              " levels deep: " + chainTo(file) + " !");
    _chain.push_back({file, status.st_dev, status.st_ino});
    std::cout << "Parsing file " << file << " for options." << std::endl;
    std::string line;
    while (std::getline(in, line)) {
      const std::string text = trimmed(line);
      if (text.empty() || text[0] == '#') continue;
      const size_t equal = text.find('=');
      if (equal == std::string::npos) {
        reportIgnored(text);
        continue;
      }
      take(trimmed(text.substr(0, equal)), trimmed(text.substr(equal + 1)));
    }
    if (in.bad()) throw FatalError::error("Cannot read the option file: " + file);
    _chain.pop_back();
  }
};

}  // namespace

std::vector<GivenOption> readGivenOptions(const std::vector<std::string>& arguments) {
  Reader reader;
  for (const std::string& a : arguments) reader.argument(a);
  return reader.options();
}
