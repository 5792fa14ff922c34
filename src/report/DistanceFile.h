#pragma once
// The distance file: mean distance over all contigs for every ordered pair of the population's
// individuals, self-pairs included.
#include <string>
#include <vector>

class ParametersManagement;
class ResultsWarehouse;

namespace mrv {
class Population;
}
namespace report {
class OutputFiles;
// The distance sums of every ordered pair of a list of individuals over the contigs, and their
// means. Defined beside the distance file's writer, which reads them.
class PairDistanceSums;
}

// Announces and writes the distance file, always in the working directory: the file is created in
// `outputs` and moved into place with the run's other outputs. The form without `outputs` moves it
// into place at once.
void writeDistanceFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                       mrv::Population* population, report::OutputFiles& outputs);
void writeDistanceFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                       mrv::Population* population);

// {weighted mean, unweighted mean} of the distances stored under the pair key `key` (first + "|" +
// second) in the warehouses, leaving out contigs without a distance (negative or not a number); the
// weights are the numbers of resolved positions. Each mean is -1.0 when nothing went into it, and so
// are both for a key without "|", which names no pair. The form over a list of individuals sums
// every ordered pair of the list (self-pairs included) at once, in one pass over the contigs.
// The run calls the form over a list of individuals (the distance file is written from it); the
// form over one key is an adapter over it.
report::PairDistanceSums summarizeDistances(const std::vector<ResultsWarehouse*>& warehouses,
                                            const std::vector<std::string>& individuals);
std::vector<double> summarizeDistances(std::vector<ResultsWarehouse*>& warehouses, std::string key);
