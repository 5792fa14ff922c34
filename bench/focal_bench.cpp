// Per-contig timing of the per-individual focal-species steps (allele pairs, heterozygosity, GC3,
// all distances, Fit, Weir & Cockerham Fit, SNP counts and GC classes) on a synthetic contig.
// Not part of the build: bench/focal_bench.sh builds and runs it after the project is built.
//   usage: focal_bench [sequences=40] [codons=1000] [repeats=20]
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "analysis/AlleleFrequencyClasses.h"
#include "analysis/FocalSpeciesDrivers.h"
#include "analysis/GCAnalysis.h"
#include "analysis/InbreedingCoefficients.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"
#include "input/Population.h"

namespace {

double millisecondsPerCall(const std::function<void()>& f, int repeats) {
  f();  // warm-up
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < repeats; ++r) f();
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::milli>(stop - start).count() / repeats;
}

// Diploid individuals drawn from a few haplotypes of one random gene: mostly mono- and bi-allelic
// positions, about 1% unresolved codons and 0.5% gap codons, no stop codon.
std::unique_ptr<bpp::PolymorphismSequenceContainer> syntheticContig(const mrv::FrameshiftCodonAlphabet& codon,
                                                                    const bpp::StandardGeneticCode& code,
                                                                    size_t nbSequences, size_t nbCodons) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> anyCodon(0, 63);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  auto drawCodon = [&] {
    int c;
    do c = anyCodon(rng);
    while (code.isStop(c));
    return c;
  };
  std::vector<std::vector<int>> haplotypes(6, std::vector<int>(nbCodons));
  for (size_t s = 0; s < nbCodons; ++s) {
    const int base = drawCodon();
    for (auto& h : haplotypes) h[s] = u(rng) < 0.05 ? drawCodon() : base;
  }
  std::unique_ptr<bpp::PolymorphismSequenceContainer> c(new bpp::PolymorphismSequenceContainer(&codon));
  std::uniform_int_distribution<size_t> pick(0, haplotypes.size() - 1);
  for (size_t i = 0; i < nbSequences; ++i) {
    std::vector<int> codes = haplotypes[pick(rng)];
    for (int& x : codes) {
      const double r = u(rng);
      if (r < 0.01) x = 65;
      else if (r < 0.015) x = -1;
    }
    const std::string name = "contig|Sp|ind" + std::to_string(i / 2) + "|allele_" + std::to_string(i % 2 + 1);
    c->addSequenceWithFrequency(bpp::BasicSequence(name, codes, &codon), 1, true);
  }
  return c;
}

}  // namespace

int main(int argc, char* argv[]) {
  const size_t nbSequences = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 40;
  const size_t nbCodons = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1000;
  const int repeats = argc > 3 ? std::atoi(argv[3]) : 20;

  mrv::CustomNucleicAlphabet nucleic;
  mrv::FrameshiftCodonAlphabet codon(&nucleic);
  bpp::StandardGeneticCode code(&nucleic);
  mrv::StatisticsEngine engine(code);
  auto contig = syntheticContig(codon, code, nbSequences, nbCodons);

  char dir[] = "/tmp/focal_bench_XXXXXX";
  if (!mkdtemp(dir)) return 1;
  const std::string populationPath = std::string(dir) + "/populations.txt";
  {
    std::ofstream pop(populationPath);
    pop << "All";
    for (size_t i = 0; i < (nbSequences + 1) / 2; ++i) pop << ";ind" << i;
    pop << "\n";
  }
  std::unique_ptr<mrv::Population> population;
  {
    std::streambuf* old = std::cout.rdbuf(nullptr);
    population.reset(new mrv::Population(populationPath));
    std::cout.rdbuf(old);
  }
  std::remove(populationPath.c_str());
  rmdir(dir);
  std::vector<double> bounds(8);
  for (unsigned int k = 1; k <= 8; ++k) bounds[k - 1] = k * (1.0 / 8);

  const unsigned int sites = static_cast<unsigned int>(contig->getNumberOfSites());
  auto consensus = std::unique_ptr<bpp::PolymorphismSequenceContainer>(new bpp::PolymorphismSequenceContainer(&codon));
  consensus->addSequenceWithFrequency(contig->getSequence(0), 1, true);

  std::printf("contig: %zu sequences x %zu codons, %d repeats\n", nbSequences, nbCodons, repeats);
  double total = 0.0;
  auto report = [&](const char* step, double ms) {
    total += ms;
    std::printf("  %-40s %9.3f ms\n", step, ms);
  };
  std::unique_ptr<mrv::PairedSequenceContainer> pairs;
  report("allele pairs (PairedSequenceContainer)", millisecondsPerCall([&] {
           pairs.reset(new mrv::PairedSequenceContainer(contig.get(), &codon, "|", 3));
         }, repeats));
  std::vector<std::string> names = pairs->get_pair_names();
  report("computeGC3", millisecondsPerCall([&] {
           SpeciesDataWarehouse record;
           computeGC3(consensus.get(), &record, &codon, false);
         }, repeats));
  report("computeIndividualHeterozygosity", millisecondsPerCall([&] {
           ResultsWarehouse results(population.get(), 8);
           computeIndividualHeterozygosity(pairs.get(), &codon, &nucleic, &results, names);
         }, repeats));
  report("computeAllDistancesBetweenIndividuals", millisecondsPerCall([&] {
           ResultsWarehouse results(population.get(), 8);
           computeAllDistancesBetweenIndividuals(&results, pairs.get(), &codon, &nucleic, false);
         }, repeats));
  report("computeFit", millisecondsPerCall([&] {
           SpeciesDataWarehouse record;
           computeFit(pairs.get(), &codon, &nucleic, &record, sites, false);
         }, repeats));
  report("computeWeirCockerhamFit", millisecondsPerCall([&] {
           SpeciesDataWarehouse record;
           computeWeirCockerhamFit(pairs.get(), &codon, &nucleic, &record, sites, false);
         }, repeats));
  report("nonOrientedGCAnalysis", millisecondsPerCall([&] {
           ResultsWarehouse results(population.get(), 8);
           nonOrientedGCAnalysis(contig.get(), bounds, &results, &codon, &nucleic, engine);
         }, repeats));
  std::printf("  %-40s %9.3f ms\n", "total per contig", total);
  return 0;
}
