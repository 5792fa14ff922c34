#include "core/ParametersManagement.h"

#include <Bpp/App/ApplicationTools.h>
#include <Bpp/Io/FileTools.h>
#include <Bpp/Text/StringTokenizer.h>
#include <Bpp/Text/TextTools.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

#include "core/FatalError.h"
#include "core/OptionArguments.h"

namespace {

using OptionMap = std::map<std::string, std::string>;

// The options this program reads. Any other name is reported and ignored.
const char* const kOptionNames[] = {
    "-alignment_file", "-population_file", "-out", "-ingroup", "-outgroup", "-exec_mode", "-contig_usage",
    "-gc_bin", "-gapN_site", "-gapN_seq", "-tolerance_zone", "-min_nb_codon", "-kappa", "-bs_replicates",
    "-bs_sort", "-bs_confidence", "-remove_frameshift", "-compute_distances", "-allow_internal_bc",
    "-print_header", "-debug_mode"};

// The options to read, from those given: an unknown name gets a warning and is left out; a name
// given more than once gets a warning showing the value that is used, the last one. The warnings
// come in the order of first appearance, after the lines of the reading itself (option files,
// arguments without "=") and before the "not specified" warnings of the options read afterwards.
OptionMap knownOptions(const std::vector<GivenOption>& given) {
  OptionMap options;
  for (const GivenOption& o : given) {
    if (std::find(std::begin(kOptionNames), std::end(kOptionNames), o.name) == std::end(kOptionNames)) {
      bpp::ApplicationTools::displayWarning("The option " + o.name + " is unknown and will be ignored !");
      continue;
    }
    if (o.times > 1)
      bpp::ApplicationTools::displayWarning("The option " + o.name + " is given " + std::to_string(o.times) +
                                            " times: the last value (" + o.value + ") will be used !");
    options[o.name] = o.value;
  }
  return options;
}

// Reads an option as text. `warn` asks the library to announce a default when the option is absent.
std::string readText(const OptionMap& options, const std::string& name, const std::string& def, bool warn) {
  // The library's warning level is inverted: 0 prints the "not specified" warning, 1 stays silent.
  return bpp::ApplicationTools::getStringParameter(name, options, def, "", false, warn ? 0 : 1);
}

// Leading whole number of a text, as a stream extraction reads it. A number beyond the 64-bit range
// reads as the nearest bound. False when the text does not begin with a number.
bool leadingInteger(const std::string& text, long long& value) {
  std::istringstream in(text);
  long long v = 0;
  if (!(in >> v)) {
    if (v != std::numeric_limits<long long>::max() && v != std::numeric_limits<long long>::min()) return false;
  }
  value = v;
  return true;
}

// An integer option; a text without leading number is recorded in `non_numbers` and reads as 0.
long long readInteger(const OptionMap& options, const std::string& name, int def, bool warn,
                      std::map<std::string, std::string>& non_numbers) {
  const std::string text = readText(options, name, bpp::TextTools::toString(def), warn);
  long long v = 0;
  if (!leadingInteger(text, v)) non_numbers[name] = text;
  return v;
}

// Saturate values beyond the 32-bit range instead of wrapping them silently.
int saturatedInt(long long v) {
  if (v > 2147483647LL) v = 2147483647LL;
  if (v < -2147483648LL) v = -2147483648LL;
  return static_cast<int>(v);
}

int readInt(const OptionMap& options, const std::string& name, int def, bool warn,
            std::map<std::string, std::string>& non_numbers) {
  return saturatedInt(readInteger(options, name, def, warn, non_numbers));
}

// A real option; a text without a leading finite number ("abc", "nan", "1e999") is recorded in
// `non_numbers` and reads as 0.
double readDouble(const OptionMap& options, const std::string& name, double def, bool warn,
                  std::map<std::string, std::string>& non_numbers) {
  const std::string text = readText(options, name, bpp::TextTools::toString(def), warn);
  std::istringstream in(text);
  double v = 0.0;
  if (!(in >> v)) {
    non_numbers[name] = text;
    return 0.0;
  }
  return v;
}

// Largest accepted numbers of GC classes and of bootstrap replicates. Every contig's results hold
// one count per GC class, and the bootstrap keeps a few values per replicate; beyond these the
// memory a run needs is out of proportion with anything the figures could show.
const long long kMaxNbGcBin = 1000;
const long long kMaxBootstrapReplicates = 10000000;

// A yes/no option, in the library's words: true/TRUE/t/T/yes/YES/y/Y/1 and false/FALSE/f/F/no/NO/n/N/0.
// Any other text ("Yes", "on", "2") is recorded in `unreadable` and reads as the default.
bool readBool(const OptionMap& options, const std::string& name, bool def, bool warn,
              std::map<std::string, std::string>& unreadable) {
  static const char* const kTrue[] = {"true", "TRUE", "t", "T", "yes", "YES", "y", "Y", "1"};
  static const char* const kFalse[] = {"false", "FALSE", "f", "F", "no", "NO", "n", "N", "0"};
  const std::string v = readText(options, name, bpp::TextTools::toString(def), warn);
  if (std::find(std::begin(kTrue), std::end(kTrue), v) != std::end(kTrue)) return true;
  if (std::find(std::begin(kFalse), std::end(kFalse), v) != std::end(kFalse)) return false;
  unreadable[name] = v;
  return def;
}

template <class T>
std::string streamText(const T& value) {
  std::ostringstream s;
  s << value;
  return s.str();
}

void warnInvalid(const std::string& value, const std::string& middle, const std::string& def) {
  bpp::ApplicationTools::displayWarning("The value (" + value + middle + "\"" + def + "\") will be used !");
}

}  // namespace

ParametersManagement::ParametersManagement(double version, const std::string& last_update, int argc,
                                           char* argv[]) {
  _default_execution_mode = "local";
  _default_contig_usage = "all";
  _default_nb_gc_bin = 8;
  _default_min_gapN_site = 10;
  _default_max_gapN_seq = 0.5;
  _default_tolerance_zone = 20;
  _default_min_nb_codon = 10;
  _default_kappa = 1.0;
  _default_bootstrap_replicates = 10000;
  _default_bootstrap_sort_precision = 1000000;
  _default_bootstrap_confidence = 0.95;
  _default_remove_frameshift = false;
  _default_compute_distances = false;
  _default_allow_internal_bc = false;
  _default_print_header = true;
  _default_debug = false;
  _version = version;
  _last_update = last_update;

  if (argc < 2) displayHelp();

  const OptionMap options = knownOptions(readGivenOptions(std::vector<std::string>(argv + 1, argv + argc)));

  _alignement_file = bpp::ApplicationTools::getAFilePath("-alignment_file", options, true, true, "", true, "none", 1);
  _population_file = bpp::ApplicationTools::getAFilePath("-population_file", options, false, true, "", true, "none", 1);
  _output_file_name = bpp::ApplicationTools::getAFilePath("-out", options, false, false, "", true, "none", 1);
  _ingroup_species_name = readText(options, "-ingroup", "none", false);
  _outgroup_species_name = readText(options, "-outgroup", "none", false);
  _execution_mode = readText(options, "-exec_mode", _default_execution_mode, false);
  _contig_usage = readText(options, "-contig_usage", _default_contig_usage, true);
  _gc_bin_given = readInteger(options, "-gc_bin", static_cast<int>(_default_nb_gc_bin), true, _unreadable);
  _nb_gc_bin = static_cast<unsigned int>(saturatedInt(_gc_bin_given));
  _min_gapN_site = static_cast<unsigned int>(readInt(options, "-gapN_site", static_cast<int>(_default_min_gapN_site), true, _unreadable));
  _max_gapN_seq = readDouble(options, "-gapN_seq", _default_max_gapN_seq, true, _unreadable);
  _tolerance_zone = static_cast<unsigned int>(readInt(options, "-tolerance_zone", static_cast<int>(_default_tolerance_zone), true, _unreadable));
  _min_nb_codon = static_cast<unsigned int>(readInt(options, "-min_nb_codon", static_cast<int>(_default_min_nb_codon), true, _unreadable));
  _kappa = static_cast<double>(readInt(options, "-kappa", static_cast<int>(_default_kappa), true, _unreadable));
  _bs_replicates_given = readInteger(options, "-bs_replicates", static_cast<int>(_default_bootstrap_replicates), false,
                                    _unreadable);
  _bootstrap_replicates = static_cast<unsigned int>(saturatedInt(_bs_replicates_given));
  _bs_sort_given = readInteger(options, "-bs_sort", static_cast<int>(_default_bootstrap_sort_precision), false, _unreadable);
  _bootstrap_sort_precision = static_cast<unsigned int>(saturatedInt(_bs_sort_given));
  _bootstrap_confidence = readDouble(options, "-bs_confidence", _default_bootstrap_confidence, false, _unreadable);
  _remove_frameshift = readBool(options, "-remove_frameshift", _default_remove_frameshift, true, _unreadable);
  _compute_distances = readBool(options, "-compute_distances", _default_compute_distances, true, _unreadable);
  _allow_internal_bc = readBool(options, "-allow_internal_bc", _default_allow_internal_bc, true, _unreadable);
  _print_header = readBool(options, "-print_header", _default_print_header, true, _unreadable);
  _debug = readBool(options, "-debug_mode", _default_debug, false, _unreadable);
}

ParametersManagement::~ParametersManagement() {}

namespace {
void reportEmptyFile(const std::string& path, const std::string& message) {
  std::ifstream in(path.c_str(), std::ios::in | std::ios::binary);
  if (!in.is_open()) return;
  in.seekg(0, std::ios::end);
  if (in.tellg() == std::streampos(0)) bpp::ApplicationTools::displayError(message);
}
}  // namespace

void ParametersManagement::checkParameters() {
  reportEmptyFile(_alignement_file, "The provided alignment file is empty !");
  if (_population_file != "none") reportEmptyFile(_population_file, "The provided population file is empty !");

  if (_ingroup_species_name == "none") {
    bpp::ApplicationTools::displayError("Mandatory parameter -ingroup is missing ! No ingroup species name specified !");
    displayHelp();
  }
  if (_outgroup_species_name == "none")
    bpp::ApplicationTools::displayWarning(
        "Parameter -outgroup is missing ! All analysis that requires more than one species won't be executed !");

  if (_execution_mode != "local" && _execution_mode != "galaxy") _execution_mode = "local";

  if (_contig_usage != "all" && _contig_usage != "even" && _contig_usage != "odd") {
    warnInvalid(_contig_usage, ") of the -contig_usage parameters is not valid ! Default value (", _default_contig_usage);
    _contig_usage = _default_contig_usage;
  }

  if (_output_file_name == "none") {
    if (_execution_mode == "galaxy") {
      _output_file_name = "Selvantrix_output";
    } else {
      _output_file_name = bpp::FileTools::getFileName(_alignement_file, bpp::FileTools::DIR_SEP) + ".out";
      if (_output_file_name == ".out") {
        bpp::StringTokenizer pieces(_alignement_file, "/", false, false);
        std::string last;
        while (pieces.hasMoreToken()) last = pieces.nextToken();
        if (last.empty()) {
          throw FatalError::error("No output file name can be derived from the alignment file path (" +
                                  _alignement_file + ") ! Please give one with -out.");
        }
        _output_file_name = last + ".out";
      }
    }
  }

  // An option given a text that does not read as its type is rejected like an out-of-range value,
  // and the warning shows the text as given.
  auto unreadable = [this](const std::string& name) { return _unreadable.count(name) > 0; };
  auto shown = [this](const std::string& name, const std::string& value) {
    auto it = _unreadable.find(name);
    return it == _unreadable.end() ? value : it->second;
  };
  // Warns about the unreadable text of `name` and gives its default.
  auto rejected = [this](const std::string& name, auto fallback, const std::string& fallback_text) {
    warnInvalid(_unreadable.at(name), ") of the " + name + " parameters is not valid ! Default value (", fallback_text);
    return fallback;
  };

  if (unreadable("-gapN_seq") || _max_gapN_seq < 0.0 || _max_gapN_seq > 1.0) {
    warnInvalid(shown("-gapN_seq", bpp::TextTools::toString(_max_gapN_seq, 6)),
                ") of the -gapN_seq parameters is not a valid percentage in decimal form ! Default value (",
                bpp::TextTools::toString(_default_max_gapN_seq, 6));
    _max_gapN_seq = _default_max_gapN_seq;
  }
  if (unreadable("-kappa") || _kappa < 1.0) {
    warnInvalid(shown("-kappa", bpp::TextTools::toString(_kappa, 6)),
                ") of the -kappa parameters is not valid ! Default value (", bpp::TextTools::toString(_default_kappa, 6));
    _kappa = _default_kappa;
  }
  // Counts below 1 (a negative value would wrap to a huge unsigned count) are rejected like 0, and
  // so are counts whose replicates would not fit in memory.
  if (unreadable("-bs_replicates") || _bs_replicates_given < 1 || _bs_replicates_given > kMaxBootstrapReplicates) {
    warnInvalid(shown("-bs_replicates", streamText(_bs_replicates_given)),
                ") of the -bs_replicates parameters is not valid ! Default value (",
                streamText(_default_bootstrap_replicates));
    _bootstrap_replicates = _default_bootstrap_replicates;
  }
  if (unreadable("-bs_sort") || _bs_sort_given < 1) {
    warnInvalid(shown("-bs_sort", streamText(_bs_sort_given)), ") of the -bs_sort parameters is not valid ! Default value (",
                streamText(_default_bootstrap_sort_precision));
    _bootstrap_sort_precision = _default_bootstrap_sort_precision;
  }
  if (unreadable("-bs_confidence") || _bootstrap_confidence < 0.0 || _bootstrap_confidence > 1.0) {
    warnInvalid(shown("-bs_confidence", bpp::TextTools::toString(_bootstrap_confidence, 6)),
                ") of the -bs_confidence parameters is not a valid percentage in decimal form ! Default value (",
                bpp::TextTools::toString(_default_bootstrap_confidence, 6));
    _bootstrap_confidence = _default_bootstrap_confidence;
  }
  // The GC allele-frequency histogram needs at least one class, and no more than memory allows.
  if (unreadable("-gc_bin") || _gc_bin_given < 1 || _gc_bin_given > kMaxNbGcBin) {
    warnInvalid(shown("-gc_bin", streamText(_gc_bin_given)), ") of the -gc_bin parameters is not valid ! Default value (",
                streamText(_default_nb_gc_bin));
    _nb_gc_bin = _default_nb_gc_bin;
  }
  // The counts that take any number: only a text without number is rejected.
  struct Count {
    const char* name;
    unsigned int* field;
    unsigned int fallback;
  };
  const Count counts[] = {{"-gapN_site", &_min_gapN_site, _default_min_gapN_site},
                          {"-tolerance_zone", &_tolerance_zone, _default_tolerance_zone},
                          {"-min_nb_codon", &_min_nb_codon, _default_min_nb_codon}};
  for (const Count& c : counts)
    if (unreadable(c.name)) *c.field = rejected(c.name, c.fallback, streamText(c.fallback));
  // The yes/no options: only a text outside the library's words is rejected.
  struct YesNo {
    const char* name;
    bool* field;
    bool fallback;
  };
  const YesNo yes_nos[] = {{"-remove_frameshift", &_remove_frameshift, _default_remove_frameshift},
                           {"-compute_distances", &_compute_distances, _default_compute_distances},
                           {"-allow_internal_bc", &_allow_internal_bc, _default_allow_internal_bc},
                           {"-print_header", &_print_header, _default_print_header},
                           {"-debug_mode", &_debug, _default_debug}};
  for (const YesNo& b : yes_nos)
    if (unreadable(b.name)) *b.field = rejected(b.name, b.fallback, yesNo(b.fallback));
}
