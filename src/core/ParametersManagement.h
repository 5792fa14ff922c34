#pragma once
// The options of one run, read once from the command line and checked once.
#include <map>
#include <string>

class ParametersManagement {
 public:
  // Reads the options from the process arguments as written (see OptionArguments.h); prints the
  // help text and ends the run when there is none.
  ParametersManagement(double version, const std::string& last_update, int argc, char* argv[]);
  virtual ~ParametersManagement();

  // Checks and corrects the options; settles the main output file name.
  void checkParameters();
  // Prints the help text and ends the run with status 1 (throws a FatalError with nothing more to print).
  [[noreturn]] void displayHelp() const;

  void set_outgroup_species_name(const std::string& name) { _outgroup_species_name = name; }

  std::string get_alignement_file() const { return _alignement_file; }
  std::string get_population_file() const { return _population_file; }
  std::string get_ingroup_species_name() const { return _ingroup_species_name; }
  std::string get_outgroup_species_name() const { return _outgroup_species_name; }
  std::string get_execution_mode() const { return _execution_mode; }
  std::string get_output_file_name() const { return _output_file_name; }
  std::string get_contig_usage() const { return _contig_usage; }
  unsigned int get_nb_gc_bin() const { return _nb_gc_bin; }
  unsigned int get_min_gapN_site() const { return _min_gapN_site; }
  double get_max_gapN_seq() const { return _max_gapN_seq; }
  unsigned int get_tolerance_zone() const { return _tolerance_zone; }
  unsigned int get_min_nb_codon() const { return _min_nb_codon; }
  double get_kappa() const { return _kappa; }
  unsigned int get_bootstrap_replicates() const { return _bootstrap_replicates; }
  unsigned int get_bootstrap_sort_precision() const { return _bootstrap_sort_precision; }
  double get_bootstrap_confidence() const { return _bootstrap_confidence; }
  bool get_remove_frameshift() const { return _remove_frameshift; }
  bool get_compute_distances() const { return _compute_distances; }
  bool get_allow_internal_bc() const { return _allow_internal_bc; }
  bool get_print_header() const { return _print_header; }
  bool get_DEBUG() const { return _debug; }

 private:
  std::string _alignement_file;
  std::string _population_file = "none";
  std::string _ingroup_species_name = "none";
  std::string _outgroup_species_name = "none";
  std::string _execution_mode = "local";
  std::string _output_file_name = "none";
  std::string _contig_usage = "all";
  unsigned int _nb_gc_bin = 8;
  unsigned int _min_gapN_site = 10;
  double _max_gapN_seq = 0.5;
  unsigned int _tolerance_zone = 20;
  unsigned int _min_nb_codon = 10;
  double _kappa = 1.0;
  unsigned int _bootstrap_replicates = 10000;
  unsigned int _bootstrap_sort_precision = 1000000;
  double _bootstrap_confidence = 0.95;
  bool _remove_frameshift = false;
  bool _compute_distances = false;
  bool _allow_internal_bc = false;
  bool _print_header = true;
  bool _debug = false;

  std::string _default_execution_mode;
  std::string _default_contig_usage;
  unsigned int _default_nb_gc_bin;
  unsigned int _default_min_gapN_site;
  double _default_max_gapN_seq;
  unsigned int _default_tolerance_zone;
  unsigned int _default_min_nb_codon;
  double _default_kappa;
  unsigned int _default_bootstrap_replicates;
  unsigned int _default_bootstrap_sort_precision;
  double _default_bootstrap_confidence;
  bool _default_remove_frameshift;
  bool _default_compute_distances;
  bool _default_allow_internal_bc;
  bool _default_print_header;
  bool _default_debug;

  double _version;
  std::string _last_update;

  // Signed values as given, so that counts below 1 (or out of proportion) can be rejected before
  // they wrap.
  long long _gc_bin_given = 8;
  long long _bs_replicates_given = 10000;
  long long _bs_sort_given = 1000000;
  // Options given a text that does not read as their type: a numeric option with no leading number
  // ("abc", "nan"), a yes/no option outside the library's words ("Yes", "on"). Option name -> text.
  // Each is reported by the checks and gets its default.
  std::map<std::string, std::string> _unreadable;

  // A yes/no value as the help and the warnings show it.
  static std::string yesNo(bool b);
};
