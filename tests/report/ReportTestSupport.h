#pragma once
// Helpers of the option and report tests: another working directory, options read from arguments,
// per-contig summary values and a scripted random source.
#include <Bpp/Numeric/Random/RandomFactory.h>
#include <Bpp/Numeric/Random/RandomTools.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "report/Summary.h"
#include "TestSupport.h"
#include "core/ParametersManagement.h"

namespace reporttest {

const double NaN = std::numeric_limits<double>::quiet_NaN();

// Runs the enclosed code in another working directory.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path) : _previous(getcwd(_buffer, sizeof _buffer) ? _buffer : "") {
    if (_previous.empty() || chdir(path.c_str()) != 0) throw std::runtime_error("cannot change directory");
  }
  ~WorkingDirectory() {
    if (chdir(_previous.c_str()) != 0) std::abort();
  }

 private:
  char _buffer[4096];
  std::string _previous;
};

using testsupport::options;

// A contig with its McDonald-Kreitman counts and site numbers, of weight 100.
inline SummaryContigValues mk(int fixN, int fixS, double nN, double nS, int polymN_0 = 0, int polymS_0 = 0,
                              int polymN_02 = 0, int polymS_02 = 0) {
  SummaryContigValues v;
  v.number_of_complete_sites = 100, v.fixN = fixN, v.fixS = fixS, v.nN = nN, v.nS = nS;
  v.polymN_0 = polymN_0, v.polymS_0 = polymS_0, v.polymN_02 = polymN_02, v.polymS_02 = polymS_02;
  return v;
}

// A contig with every value the summary reads but the SNP counts and the two tables.
inline SummaryContigValues full(unsigned int weight, double piS, double piN, double fit, double B, double C, int fixN,
                                int fixS, double nN, double nS, int pN0, int pS0, int pN02, int pS02) {
  SummaryContigValues v = mk(fixN, fixS, nN, nS, pN0, pS0, pN02, pS02);
  v.number_of_complete_sites = weight, v.piS = piS, v.piN = piN, v.Fit = fit, v.WC84_total_B = B, v.WC84_total_C = C;
  return v;
}

// Plays back the given draws in a loop and counts them, as the library's default generator (which
// the bootstraps draw from) for its lifetime.
struct ScriptedGenerator : bpp::RandomFactory {
  explicit ScriptedGenerator(std::vector<double> d) : draws(d), previous(bpp::RandomTools::DEFAULT_GENERATOR) {
    bpp::RandomTools::DEFAULT_GENERATOR = this;
  }
  ~ScriptedGenerator() override { bpp::RandomTools::DEFAULT_GENERATOR = previous; }
  ScriptedGenerator(const ScriptedGenerator&) = delete;
  ScriptedGenerator& operator=(const ScriptedGenerator&) = delete;
  void setSeed(long) override {}
  double drawNumber() const override { return draws[count++ % draws.size()]; }
  std::vector<double> draws;
  mutable std::size_t count = 0;
  bpp::RandomFactory* previous;
};

// The summary the run builds over one result store per contig, each holding the contig's values
// (its focal species "Sp1"), for the population of `population_text`: the heterozygosity values go
// to the population's individuals in order, the Fst values to its pairs i < j in order.
inline Summary summaryOf(const std::vector<SummaryContigValues>& contigs, unsigned int replicates = 10,
                         unsigned int precision = 1000000, double confidence = 0.95,
                         const std::string& population_text = "P1;A\n") {
  const std::unique_ptr<mrv::Population> population = testsupport::makePopulation(population_text);
  const std::vector<std::string> individuals = population->get_all_individuals();
  const unsigned int nb_population = population->get_number_of_population();
  std::vector<std::unique_ptr<ResultsWarehouse>> stores;
  std::vector<ResultsWarehouse*> warehouses;
  for (const SummaryContigValues& v : contigs) {
    stores.emplace_back(new ResultsWarehouse(population.get(), 8));
    ResultsWarehouse& w = *stores.back();
    auto* record = new SpeciesDataWarehouse();
    record->set_species_name("Sp1"), record->set_number_of_complete_sites(v.number_of_complete_sites);
    record->set_piN(v.piN), record->set_piS(v.piS), record->set_Fit(v.Fit);
    record->set_WC84_total_B(v.WC84_total_B), record->set_WC84_total_C(v.WC84_total_C);
    w.store_species_data(record);
    w.set_nb_bi_allelic_SNP(v.nb_bi_allelic_SNP), w.set_nb_tri_allelic_SNP(v.nb_tri_allelic_SNP);
    w.set_nb_quadri_allelic_SNP(v.nb_quadri_allelic_SNP), w.set_nN(v.nN), w.set_nS(v.nS);
    w.set_fixN(v.fixN), w.set_fixS(v.fixS), w.set_polymN_0(v.polymN_0), w.set_polymS_0(v.polymS_0);
    w.set_polymN_02(v.polymN_02), w.set_polymS_02(v.polymS_02);
    for (size_t i = 0; i < v.individual_heterozygosity.size(); ++i)
      w.set_specific_individual_heterozygosity(individuals.at(i), v.individual_heterozygosity[i]);
    size_t pair = 0;
    for (unsigned int i = 0; i < nb_population; ++i)
      for (unsigned int j = i + 1; j < nb_population && pair < v.population_fst.size(); ++j)
        w.set_specific_Fst(i, j, v.population_fst[pair++]);
    warehouses.push_back(&w);
  }
  return Summary(warehouses, population.get(), "Sp1", static_cast<unsigned int>(contigs.size()), replicates,
                 precision, confidence);
}

// Equal, NaN included, or within `tolerance`.
inline bool near(double got, double want, double tolerance = 0.0) {
  return (std::isnan(got) && std::isnan(want)) || got == want || std::abs(got - want) <= tolerance;
}

}  // namespace reporttest
