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

  void set_outgroup_species_name(const std::string& name) { outgroup_species_name = name; }

  std::string get_alignement_file() const { return alignement_file; }
  std::string get_population_file() const { return population_file; }
  std::string get_ingroup_species_name() const { return ingroup_species_name; }
  std::string get_outgroup_species_name() const { return outgroup_species_name; }
  std::string get_execution_mode() const { return execution_mode; }
  std::string get_output_file_name() const { return output_file_name; }
  std::string get_contig_usage() const { return contig_usage; }
  unsigned int get_nb_gc_bin() const { return nb_gc_bin; }
  unsigned int get_min_gapN_site() const { return min_gapN_site; }
  double get_max_gapN_seq() const { return max_gapN_seq; }
  unsigned int get_tolerance_zone() const { return tolerance_zone; }
  unsigned int get_min_nb_codon() const { return min_nb_codon; }
  double get_kappa() const { return kappa; }
  unsigned int get_bootstrap_replicates() const { return bootstrap_replicates; }
  unsigned int get_bootstrap_sort_precision() const { return bootstrap_sort_precision; }
  double get_bootstrap_confidence() const { return bootstrap_confidence; }
  bool get_remove_frameshift() const { return remove_frameshift; }
  bool get_compute_distances() const { return compute_distances; }
  bool get_allow_internal_bc() const { return allow_internal_bc; }
  bool get_print_header() const { return print_header; }
  bool get_DEBUG() const { return DEBUG; }

 private:
  std::string alignement_file;
  std::string population_file = "none";
  std::string ingroup_species_name = "none";
  std::string outgroup_species_name = "none";
  std::string execution_mode = "local";
  std::string output_file_name = "none";
  std::string contig_usage = "all";
  unsigned int nb_gc_bin = 8;
  unsigned int min_gapN_site = 10;
  double max_gapN_seq = 0.5;
  unsigned int tolerance_zone = 20;
  unsigned int min_nb_codon = 10;
  double kappa = 1.0;
  unsigned int bootstrap_replicates = 10000;
  unsigned int bootstrap_sort_precision = 1000000;
  double bootstrap_confidence = 0.95;
  bool remove_frameshift = false;
  bool compute_distances = false;
  bool allow_internal_bc = false;
  bool print_header = true;
  bool DEBUG = false;

  std::string default_execution_mode;
  std::string default_contig_usage;
  unsigned int default_nb_gc_bin;
  unsigned int default_min_gapN_site;
  double default_max_gapN_seq;
  unsigned int default_tolerance_zone;
  unsigned int default_min_nb_codon;
  double default_kappa;
  unsigned int default_bootstrap_replicates;
  unsigned int default_bootstrap_sort_precision;
  double default_bootstrap_confidence;
  bool default_remove_frameshift;
  bool default_compute_distances;
  bool default_allow_internal_bc;
  bool default_print_header;
  bool default_DEBUG;

  double version;
  std::string last_update;

  // Signed values as given, so that counts below 1 (or out of proportion) can be rejected before
  // they wrap.
  long long gc_bin_given = 8;
  long long bs_replicates_given = 10000;
  long long bs_sort_given = 1000000;
  // Numeric options given a text with no leading number ("abc", "nan"): option name -> text.
  // Each is reported by the checks and gets its default.
  std::map<std::string, std::string> _non_numbers;
};
