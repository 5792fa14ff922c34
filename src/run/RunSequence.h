#pragma once
// The run sequence of Selvantrix: options, banners, input stages, per-contig analysis, writers.
#include <string>
#include <vector>

#include "run/Banners.h"

class ParametersManagement;
class ResultsWarehouse;
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

// The whole run; returns the process exit status, or throws FatalError (or the library's exceptions)
// for `main` to report.
int runSelvantrix(int argc, char* argv[]);
