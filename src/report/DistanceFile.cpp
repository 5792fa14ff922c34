#include "report/DistanceFile.h"

#include <iostream>

#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "report/OutputFiles.h"
#include "run/ParametersManagement.h"

std::vector<double> summarizeDistances(std::vector<ResultsWarehouse*>& warehouses, std::string key) {
  std::vector<double> means = {-1.0, -1.0};
  if (warehouses.empty()) return means;
  double sum_weighted = 0.0, sum_weights = 0.0, sum_distances = 0.0, count = 0.0;
  for (ResultsWarehouse* warehouse : warehouses) {
    double distance = -1.0;
    int positions = 0;
    // Reads without creating anything: a pair never computed in a contig reads -1.0.
    warehouse->find_distance(key, distance, positions);
    if (distance >= 0.0) {
      const double weight = static_cast<double>(positions);
      sum_weighted += distance * weight;
      sum_weights += weight;
      sum_distances += distance;
      count += 1.0;
    }
  }
  if (sum_weights != 0.0) means[0] = sum_weighted / sum_weights;
  if (count != 0.0) means[1] = sum_distances / count;
  return means;
}

void writeDistanceFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                       mrv::Population* population, report::OutputFiles& outputs) {
  const std::string name = report::distanceFileName(*options);
  std::cout << "Distances between each focal individuals are now written into the following file : " << name
            << std::endl
            << std::endl;
  std::ostream& file = outputs.create(name).stream();
  if (options->get_print_header()) file << "Individual_1\tIndividual_2\tWeighted_distance\tUnweighted_distance\n";
  const std::vector<std::string> individuals = population->get_all_individuals();
  for (const std::string& first : individuals) {
    for (const std::string& second : individuals) {
      const std::vector<double> means = summarizeDistances(warehouses, first + "|" + second);
      file << first << "\t" << second << "\t" << means[0] << "\t" << means[1] << "\n";
    }
  }
}

void writeDistanceFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                       mrv::Population* population) {
  report::OutputFiles outputs;
  writeDistanceFile(options, warehouses, population, outputs);
  outputs.commit();
}
