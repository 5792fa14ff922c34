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
// are both for a key without "|", which names no pair. The distance file sums all its pairs at once
// through a form of this operation over a list of individuals.
std::vector<double> summarizeDistances(std::vector<ResultsWarehouse*>& warehouses, std::string key);
