// The help text of the options, printed when the program is run without any or without -ingroup.
#include <iostream>
#include <string>

#include "core/FatalError.h"
#include "core/ParametersManagement.h"

std::string ParametersManagement::yesNo(bool b) { return b ? "yes" : "no"; }

void ParametersManagement::displayHelp() const {
  std::ostream& o = std::cout;
  const std::string hashes(49, '#');
  o << hashes << "\n"
    << "#           Selvantrix - Help section           #\n"
    << hashes << "\n"
    << "Version: " << _version << " (" << _last_update << ")\n"
    << "\n"
    << "Usage example (minimal):\n"
    << "\n"
    << "Selvantrix -alignment_file=seqfile.pfas -ingroup=Species_name_1\n"
    << "\n"
    << "Usage example (with optional parameters):\n"
    << "\n"
    << "Selvantrix -alignment_file=seqfile.pfas -population_file=custom_pop.txt -ingroup=Species_name_1 "
       "-outgroup=Species_name_2 -gc_bin="
    << _default_nb_gc_bin << " -gapN_site=" << _default_min_gapN_site << " -gapN_seq=" << _default_max_gapN_seq
    << " -min_nb_codon=" << _default_min_nb_codon << " -kappa=" << _default_kappa
    << " -remove_frameshift=" << yesNo(_default_remove_frameshift)
    << " -compute_distances=" << yesNo(_default_compute_distances) << " -tolerance_zone=" << _default_tolerance_zone
    << " -allow_internal_bc=" << yesNo(_default_allow_internal_bc) << " -print_header=" << yesNo(_default_print_header)
    << " -contig_usage=" << _default_contig_usage << " -out=Selvantrix_output\n"
    << "\n"
    << "\n"
    << "Mandatory parameters:\n"
    << "\n"
    << "-alignment_file:       Alignment input file in Fasta/PseudoFasta format (With sequence names like: "
       ">Contig_name|Species_name|Individual_name|Allele_number)\n"
    << "-ingroup:              Name of the ingroup/focal species\n"
    << "\n"
    << "Optional parameters:\n"
    << "\n"
    << "-population_file:      Text file containing a list of individuals (from the focal species) on each line\n"
    << "                       If not specified, all ingroup's individuals will be used in one unique population\n"
    << "-outgroup:             Name of the main outgroup/external species\n"
    << "-gc_bin:               Number of class/bin for GC allele frequency [>0 - Default: " << _default_nb_gc_bin << "]\n"
    << "-gapN_site:            Minimum number of focal sequences without an undetermined character (or a gap) "
       "required to keep a given site [>0 - Default: "
    << _default_min_gapN_site << "]\n"
    << "-gapN_seq:             Maximum tolerated proportion of undetermined characters (or gap) to keep a given "
       "sequence [0 to 1 - Default: "
    << _default_max_gapN_seq << "]\n"
    << "-min_nb_codon:         Minimum number of complete codons required to perform calculations [>0 - Default: "
    << _default_min_nb_codon << "]\n"
    << "-kappa:                Transition/Transversion ratio \"Kappa\" to use in SequenceStatistics methods [>0 - "
       "Default: "
    << _default_kappa << "]\n"
    << "-remove_frameshift:    Reject (1/true/yes) or accept (0/false/no) all frameshift-containing contigs "
       "[Default: "
    << yesNo(_default_remove_frameshift) << "]\n"
    << "-compute_distances:    Define if the distances between individuals must be computed (1/true/yes) or not "
       "(0/false/no) [Default: "
    << yesNo(_default_compute_distances) << "]\n"
    << "-tolerance_zone:       Number of initial/terminal positions in which Stop codons or FrameShift codons are "
       "tolerated [>0 - Default: "
    << _default_tolerance_zone << "]\n"
    << "-allow_internal_bc:    Allow/Tolerate internal \"bad codons\" (i.e. Stop or FrameShift codons between the two "
       "tolerance zones) and replace them by NNN (1/true/yes) or reject corresponding dataset/contig (0/false/no) "
       "[Default: "
    << yesNo(_default_allow_internal_bc) << "]\n"
    << "-print_header:         Define if the header line must be output (1/true/yes), or not (0/false/no) [0 or 1 - "
       "Default: "
    << yesNo(_default_print_header) << "]\n"
    << "-contig_usage:         Define if 'all' the contigs, 'even' contigs or 'odd' contigs must be used for "
       "Selvantrix summary [Default: "
    << _default_contig_usage << " - Possible values: all, even, odd]\n"
    << "\n"
    << "-out:                  Name of Selvantrix main output file (Population genetics)\n"
    << "                       If not specified, a default name (derived from the name of the Fasta/PseudoFasta "
       "input file) will be used\n"
    << "-debug_mode:           Activate/Desactivate debug mode [Default: " << yesNo(_default_debug) << "]\n"
    << "\n"
    << "Optional bootstrap related parameters:\n"
    << "\n"
    << "-bs_replicates:        Number of bootstrap resampling to execute [>1 - Default: "
    << _default_bootstrap_replicates << "]\n"
    << "-bs_sort:              Sort precision for the confidence interval [>1 - Default: "
    << _default_bootstrap_sort_precision << "]\n"
    << "-bs_confidence:        Percentage of confidence [0 to 1 - Default: " << _default_bootstrap_confidence << "]\n"
    << "\n";
  o.flush();
  throw FatalError::silent();
}
