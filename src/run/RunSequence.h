#pragma once
// The run sequence of Selvantrix: options, banners, input stages, per-contig analysis, writers.
#include <memory>
#include <string>
#include <vector>

#include "analysis/StatisticsEngine.h"
#include "input/CompactContig.h"
#include "input/RunAlphabets.h"
#include "run/Banners.h"

class ParametersManagement;
class ResultsWarehouse;
class Summary;
namespace bpp {
class PolymorphismSequenceContainer;
class NucleicAlphabet;
class CodonAlphabet;
}  // namespace bpp
namespace mrv {
class CompactContig;
class ContigView;
class Population;
class StatisticsEngine;
}

// Input stages: each prints its title and ends the run (status 1, after the goodbye banner) when
// nothing is left to analyse.
mrv::Population* loadPopulationFile(std::string path);
// The contigs are kept compact from reading to analysis: a container is made of one contig at a
// time, for its cleaning and for its analysis.
mrv::Population* generateBasicPopulation(ParametersManagement* options, const std::vector<mrv::CompactContig>& contigs);
std::vector<mrv::CompactContig> loadAlignmentFile(ParametersManagement* options,
                                                  const bpp::CodonAlphabet* codon_alphabet,
                                                  const bpp::NucleicAlphabet* nucleic_alphabet);
std::vector<mrv::CompactContig> cleanAlignmentData(ParametersManagement* options,
                                                  std::vector<mrv::CompactContig>& contigs,
                                                  const bpp::CodonAlphabet* codon_alphabet);

// Every statistic of one cleaned contig, in a new result store with status "OK", computed by the
// run's statistics engine from the contig's view (its ingroup rows and both consensus).
ResultsWarehouse* analyseDataset(ParametersManagement* options, const mrv::ContigView& contig,
                                 mrv::Population* population, mrv::StatisticsEngine& engine,
                                 std::vector<double>& class_bounds);
// The same for a contig given as a container (read through a view of it; the container is not changed).
ResultsWarehouse* analyseDataset(ParametersManagement* options, bpp::PolymorphismSequenceContainer* contig,
                                 mrv::Population* population, const bpp::CodonAlphabet* codon_alphabet,
                                 const bpp::NucleicAlphabet* nucleic_alphabet, mrv::StatisticsEngine& engine,
                                 std::vector<double>& class_bounds);

// Refuses, before any analysis, output names that would overwrite an input file or another output of
// this run (symbolic links resolved, dangling ones included; hard links compared by file): throws
// FatalError with an error naming the clash.
void checkOutputFileNames(ParametersManagement* options);

// Refuses, before any analysis, an output that cannot be created (a missing or unwritable
// directory, a directory in its place): throws FatalError "Error: Cannot create/open file: " + name.
void checkOutputPlaces(ParametersManagement* options);

// The run-wide objects, released when the run ends normally or through an exception (process
// exits leave them to the system). Members go in the reverse order of their declaration: every
// object goes before those it points to (the summary and the contigs' results before the
// population, the statistics engine before the genetic code, the genetic code and the codon
// alphabet before the nucleic alphabet they are built on).
struct RunObjects {
  RunObjects();  // made and released where the population, the results and the summary are complete
  ~RunObjects();

  mrv::RunAlphabets alphabets;
  mrv::StatisticsEngine engine{alphabets.code};  // the codon tables of the genetic code and the working arrays
  std::unique_ptr<mrv::Population> population;
  std::vector<mrv::CompactContig> contigs;  // as read; used up by the cleaning
  std::vector<mrv::CompactContig> cleaned;  // the kept contigs, each emptied once its view is made
  std::vector<std::unique_ptr<ResultsWarehouse> > warehouses;  // one per analysed contig, in order
  std::unique_ptr<Summary> summary;
};

// The run from its checked options (checkParameters done) to its end, into `run` (newly made): the
// output-name and output-place checks, the welcome banner, the population file, the alignment
// file, the default population, the cleaning, the analysis of every cleaned contig, the writers,
// the committed outputs and the goodbye banner. On return the run has succeeded: `run` holds the
// population, one result store per cleaned contig and the summary. Otherwise it throws FatalError
// or the library's exceptions (those of a contig's analysis with the contig and the input files
// named), and `run` tells how far it came: its cleaned contigs are still empty when it ended
// before the analysis, and it holds fewer result stores than cleaned contigs when it ended in it.
// Sets no signal disposition.
void runWithOptions(ParametersManagement* options, RunObjects& run);

// The whole run: the signal dispositions of a run (report::SignalGuard), the options read from
// `argv` and checked, then runWithOptions. Returns the process exit status, or throws FatalError (or
// the library's exceptions) for `main` to report.
int runSelvantrix(int argc, char* argv[]);
