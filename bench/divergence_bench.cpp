// Per-contig timing of the diversity, differentiation and divergence steps on synthetic contigs.
// Not part of the build. From the source root, after building the project in build/:
//   g++ -O2 -std=c++17 -Isrc bench/divergence_bench.cpp build/libselvantrix_core.a \
//       -lbpp-popgen -lbpp-seq -lbpp-core -o build/divergence_bench && build/divergence_bench
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/McDonaldKreitman.h"
#include "analysis/Polymorphism.h"
#include "analysis/PopulationDiversification.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SelectionIndicators.h"
#include "analysis/StatisticsEngine.h"
#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"
#include "input/Population.h"

namespace {

double secondsPerCall(const std::function<void()>& f, int repeats) {
  const auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < repeats; ++r) f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / repeats;
}

// The direct reading: every ordered pair of sequences of different individuals at every nucleotide.
long long pairwiseDifferences(bpp::PolymorphismSequenceContainer& c, const bpp::CodonAlphabet* codon,
                              const bpp::NucleicAlphabet* nucleic, const std::vector<int>& individual) {
  long long d = 0;
  for (size_t i = 0; i < c.getNumberOfSequences(); ++i)
    for (size_t j = 0; j < c.getNumberOfSequences(); ++j) {
      if (individual[i] == individual[j]) continue;
      for (size_t s = 0; s < c.getNumberOfSites(); ++s)
        for (size_t k = 0; k < 3; ++k) {
          const int x = codon->getNPosition(c.valueAt(i, s), k), y = codon->getNPosition(c.valueAt(j, s), k);
          if (!nucleic->isUnresolved(x) && !nucleic->isUnresolved(y) && x != y) ++d;
        }
    }
  return d;
}

}  // namespace

int main() {
  mrv::CustomNucleicAlphabet nucleic;
  mrv::FrameshiftCodonAlphabet codon(&nucleic);
  bpp::StandardGeneticCode code(&nucleic);
  mrv::StatisticsEngine engine(code);
  std::mt19937 rng(7);
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto isStop = [](int c) { return c == 48 || c == 50 || c == 56; };

  for (int nb_sequences : {40, 200}) {
    const int nb_codons = 1000, nb_individuals = nb_sequences / 2;
    std::string pop_text[2] = {"North", "South"};
    for (int i = 0; i < nb_individuals; ++i) pop_text[i % 2] += ";ind" + std::to_string(i);
    const std::string pop_path = "/tmp/divergence_bench_populations.txt";
    std::ofstream(pop_path) << pop_text[0] << "\n" << pop_text[1] << "\n";
    mrv::Population population(pop_path);

    std::vector<int> reference(nb_codons), variant(nb_codons), outgroup(nb_codons);
    for (int s = 0; s < nb_codons; ++s) {
      do reference[s] = uniform(0, 63);
      while (isStop(reference[s]));
      do variant[s] = (reference[s] & ~3) | uniform(0, 3);
      while (isStop(variant[s]));
      outgroup[s] = uniform(0, 9) == 0 ? variant[s] : reference[s];
    }
    bpp::PolymorphismSequenceContainer ingroup(&codon);
    std::vector<int> individual;
    for (int q = 0; q < nb_sequences; ++q) {
      std::vector<int> codes(reference);
      for (int s = 0; s < nb_codons; ++s) {
        if (s % 10 == 0 && uniform(0, 2) == 0) codes[s] = variant[s];
        if (uniform(0, 199) == 0) codes[s] = 65;
      }
      const std::string name = "Contig|Sp|ind" + std::to_string(q / 2) + "|" + std::to_string(q % 2 + 1);
      ingroup.addSequenceWithFrequency(bpp::BasicSequence(name, codes, &codon), 1, true);
      individual.push_back(q / 2);
    }
    bpp::BasicSequence ingroup_consensus("Ingroup_consensus", reference, &codon);
    bpp::BasicSequence outgroup_consensus("Outgroup_consensus", outgroup, &codon);
    bpp::PolymorphismSequenceContainer outgroup_container(&codon);
    outgroup_container.addSequenceWithFrequency(outgroup_consensus, 1, true);

    const int repeats = nb_sequences == 40 ? 20 : 5;
    const double t_fst = secondsPerCall(
        [&] {
          ResultsWarehouse store(&population, 4);
          populationDiversificationAnalysis(&ingroup, &population, &codon, &nucleic, &store);
        },
        repeats);
    const double t_pairwise =
        secondsPerCall([&] { pairwiseDifferences(ingroup, &codon, &nucleic, individual); }, 1);
    const double t_pi = secondsPerCall(
        [&] {
          mrv::Polymorphism p(&ingroup);
          p.determine_all_attributes(engine, 10, 1.0);
        },
        repeats);
    const double t_mk = secondsPerCall(
        [&] {
          ResultsWarehouse store(&population, 4);
          collectSelectionIndicators(&ingroup_consensus, &outgroup_consensus, &codon, engine, &store, 1.0);
          mcDonaldKreitmanAnalysis(&ingroup, &outgroup_container, &store, 1, &codon, engine, false);
        },
        repeats);
    std::printf("%d sequences x %d codons: Fst %.4f s (direct pairwise reading %.3f s), piN/piS %.4f s, "
                "nN/nS + McDonald-Kreitman %.4f s\n",
                nb_sequences, nb_codons, t_fst, t_pairwise, t_pi, t_mk);
  }
  return 0;
}
