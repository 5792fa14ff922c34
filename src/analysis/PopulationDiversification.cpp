#include "analysis/PopulationDiversification.h"

#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Alphabet/NucleicAlphabet.h>

#include <array>
#include <string>
#include <unordered_map>

#include "analysis/ContigView.h"
#include "analysis/ResultsWarehouse.h"
#include "input/CodonNucleotideTable.h"
#include "input/Population.h"
#include "input/PolymorphismSequenceContainerAddons.h"

namespace mrv {

namespace {

// Alleles compared at a nucleotide position: the gap and A, C, G, T (nucleic codes -1 to 3).
const int kAlleles = 5;
const std::uint8_t kUnresolved = 0xFF;

// Allele index (nucleic code + 1) of each of the three nucleotides of every codon code, or
// kUnresolved, from the decoded codon table.
class CodonAlleleTable {
 public:
  CodonAlleleTable(const bpp::CodonAlphabet* codon_alphabet, const bpp::NucleicAlphabet* nucleic_alphabet)
      : _codon_alphabet(codon_alphabet), _nucleic_alphabet(nucleic_alphabet) {
    const CodonNucleotideTable nucleotides(codon_alphabet, nucleic_alphabet);
    for (int c = CodonNucleotideTable::FIRST_CODE; c <= CodonNucleotideTable::LAST_CODE; ++c) {
      std::array<std::uint8_t, 3> row;
      for (size_t k = 0; k < 3; ++k)
        row[k] = allele(nucleotides.nucleotide(c, k), nucleotides.isResolved(c, k));
      _rows[static_cast<size_t>(c - CodonNucleotideTable::FIRST_CODE)] = row;
    }
  }
  std::array<std::uint8_t, 3> operator()(int codon) const {
    if (CodonNucleotideTable::covers(codon))
      return _rows[static_cast<size_t>(codon - CodonNucleotideTable::FIRST_CODE)];
    std::array<std::uint8_t, 3> row;  // a code outside the table: read through the alphabets
    for (size_t k = 0; k < 3; ++k) {
      const int n = _codon_alphabet->getNPosition(codon, k);
      row[k] = allele(n, !_nucleic_alphabet->isUnresolved(n));
    }
    return row;
  }

 private:
  static std::uint8_t allele(int nucleotide, bool resolved) {
    if (!resolved) return kUnresolved;
    if (nucleotide < -1 || nucleotide >= kAlleles - 1)
      throw bpp::Exception("PopulationDiversification: unexpected resolved nucleotide code " +
                           std::to_string(nucleotide));
    return static_cast<std::uint8_t>(nucleotide + 1);
  }

  const bpp::CodonAlphabet* _codon_alphabet;
  const bpp::NucleicAlphabet* _nucleic_alphabet;
  std::array<std::array<std::uint8_t, 3>, CodonNucleotideTable::LAST_CODE - CodonNucleotideTable::FIRST_CODE + 1>
      _rows;
};

}  // namespace

PopulationDiversification::PopulationDiversification(bpp::PolymorphismSequenceContainer* container,
                                                     Population* population,
                                                     const bpp::CodonAlphabet* codon_alphabet,
                                                     const bpp::NucleicAlphabet* nucleic_alphabet)
    : _population(population) {
  _allocate();
  _collect_differences(ContigView(*container, codon_alphabet, nucleic_alphabet, nullptr, false));
}

PopulationDiversification::PopulationDiversification(const ContigView& view, Population* population)
    : _population(population) {
  _allocate();
  _collect_differences(view);
}

void PopulationDiversification::_allocate() {
  const size_t n = _population->get_number_of_population();
  _difference_within.assign(n, 0);
  _total_within.assign(n, 0);
  _difference_between.assign(n, std::vector<std::int64_t>(n, 0));
  _total_between.assign(n, std::vector<std::int64_t>(n, 0));
  _global_hetero_within.assign(n, std::vector<double>(n, 0.0));
  _global_hetero_between.assign(n, std::vector<double>(n, 0.0));
  _fst.assign(n, std::vector<double>(n, -999.0));
}

PopulationDiversification::~PopulationDiversification() { _population = nullptr; }

// At each nucleotide position the resolved alleles are counted per population and per individual.
// Ordered pairs of sequences of two different individuals of population P number
// nP^2 - sum over its individuals of nI^2, and those carrying the same allele
// sum_a (nPa^2 - sum_I nIa^2); between populations P and Q they number nP nQ, nPa nQa alike.
// Both are accumulated sequence by sequence: adding a sequence of individual I in P with allele a
// forms 2 (nP - nI) new ordered pairs within P, 2 (nPa - nIa) of them with equal alleles.
void PopulationDiversification::_collect_differences(const ContigView& view) {
  const size_t nb_sequences = view.nb_rows();
  const size_t nb_populations = _difference_within.size();

  // Individual and population of every sequence; each individual is looked up once, at its first
  // sequence, so the first sequence in container order whose individual is in no population raises.
  std::vector<int> individual_of(nb_sequences);
  std::vector<int> population_of_individual;
  std::unordered_map<std::string, int> individual_index;
  const std::vector<std::string>& sequence_names = view.names();
  for (size_t q = 0; q < nb_sequences; ++q) {
    const std::string name = PolymorphismSequenceContainerAddons::getIndividualNameFromName(sequence_names[q]);
    auto found = individual_index.find(name);
    if (found == individual_index.end()) {
      // Raises for an individual in no population; an id found is one of the nb_populations.
      const int id = _population->get_population_id(name);
      found = individual_index.emplace(name, static_cast<int>(population_of_individual.size())).first;
      population_of_individual.push_back(id);
    }
    individual_of[q] = found->second;
  }
  if (nb_sequences == 0) return;

  const CodonAlleleTable table(view.codon_alphabet(), view.nucleic_alphabet());
  const size_t nb_individuals = population_of_individual.size();

  // Per-position counts, cleared after each position through the lists of what was touched.
  std::vector<std::int64_t> pop_count(nb_populations, 0), pop_allele(nb_populations * kAlleles, 0);
  std::vector<std::int64_t> ind_count(nb_individuals, 0), ind_allele(nb_individuals * kAlleles, 0);
  std::vector<int> touched_pops, touched_inds;
  std::vector<std::array<std::uint8_t, 3> > site_alleles(nb_sequences);

  // A nucleotide position where every sequence holds the same resolved allele adds the same
  // counts every time: all ordered pairs of sequences of different individuals, none differing.
  std::vector<std::int64_t> full_within(nb_populations, 0);
  std::vector<std::int64_t> population_size(nb_populations, 0);
  {
    std::vector<std::int64_t> individual_size(nb_individuals, 0);
    for (size_t q = 0; q < nb_sequences; ++q) {
      ++individual_size[static_cast<size_t>(individual_of[q])];
      ++population_size[static_cast<size_t>(population_of_individual[static_cast<size_t>(individual_of[q])])];
    }
    for (size_t p = 0; p < nb_populations; ++p) full_within[p] = population_size[p] * population_size[p];
    for (size_t i = 0; i < nb_individuals; ++i)
      full_within[static_cast<size_t>(population_of_individual[i])] -= individual_size[i] * individual_size[i];
  }

  const size_t nb_sites = view.nb_sites();
  for (size_t s = 0; s < nb_sites; ++s) {
    const int* site = view.site(s);
    // Positions where every sequence holds one and the same resolved allele.
    auto add_full = [&](int resolved) {
      for (size_t p = 0; p < nb_populations; ++p) _total_within[p] += resolved * full_within[p];
      for (size_t p = 0; p < nb_populations; ++p) {
        for (size_t r = p + 1; r < nb_populations; ++r) {
          const std::int64_t total = resolved * population_size[p] * population_size[r];
          _total_between[p][r] += total;
          _total_between[r][p] += total;
        }
      }
    };
    if (view.constant_site(s)) {
      const std::array<std::uint8_t, 3> alleles = table(site[0]);
      add_full((alleles[0] != kUnresolved) + (alleles[1] != kUnresolved) + (alleles[2] != kUnresolved));
      continue;
    }
    for (size_t q = 0; q < nb_sequences; ++q) site_alleles[q] = table(site[q]);

    for (size_t k = 0; k < 3; ++k) {
      {
        const std::uint8_t first = site_alleles[0][k];
        bool uniform = first != kUnresolved;
        for (size_t q = 1; q < nb_sequences && uniform; ++q) uniform = site_alleles[q][k] == first;
        if (uniform) {
          add_full(1);
          continue;
        }
      }
      for (size_t q = 0; q < nb_sequences; ++q) {
        const std::uint8_t a = site_alleles[q][k];
        if (a == kUnresolved) continue;
        const int ind = individual_of[q];
        const int pop = population_of_individual[ind];
        if (pop_count[pop] == 0) touched_pops.push_back(pop);
        if (ind_count[ind] == 0) touched_inds.push_back(ind);
        std::int64_t& nPa = pop_allele[pop * kAlleles + a];
        std::int64_t& nIa = ind_allele[ind * kAlleles + a];
        const std::int64_t new_pairs = pop_count[pop] - ind_count[ind];
        const std::int64_t new_same = nPa - nIa;
        _total_within[pop] += 2 * new_pairs;
        _difference_within[pop] += 2 * (new_pairs - new_same);
        ++pop_count[pop];
        ++ind_count[ind];
        ++nPa;
        ++nIa;
      }

      for (size_t x = 0; x < touched_pops.size(); ++x) {
        const int p = touched_pops[x];
        for (size_t y = x + 1; y < touched_pops.size(); ++y) {
          const int r = touched_pops[y];
          const std::int64_t total = pop_count[p] * pop_count[r];
          std::int64_t same = 0;
          for (int a = 0; a < kAlleles; ++a) same += pop_allele[p * kAlleles + a] * pop_allele[r * kAlleles + a];
          _total_between[p][r] += total;
          _total_between[r][p] += total;
          _difference_between[p][r] += total - same;
          _difference_between[r][p] += total - same;
        }
      }

      for (int p : touched_pops) {
        pop_count[p] = 0;
        for (int a = 0; a < kAlleles; ++a) pop_allele[p * kAlleles + a] = 0;
      }
      for (int i : touched_inds) {
        ind_count[i] = 0;
        for (int a = 0; a < kAlleles; ++a) ind_allele[i * kAlleles + a] = 0;
      }
      touched_pops.clear();
      touched_inds.clear();
    }
  }
}

void PopulationDiversification::determine_Fst() { _determine(true); }

void PopulationDiversification::determine_heterozygosities_only() { _determine(false); }

void PopulationDiversification::_determine(bool with_Fst) {
  const size_t n = _population->get_number_of_population();
  for (size_t a = 0; a < n; ++a) {
    if (_total_within.at(a) == 0) continue;
    _heterozygosity_within_pop[static_cast<int>(a)] =
        static_cast<double>(_difference_within[a]) / static_cast<double>(_total_within[a]);
    for (size_t b = a + 1; b < n; ++b) {
      if (_total_within.at(b) == 0 || _total_between[a][b] == 0) continue;
      _heterozygosity_within_pop[static_cast<int>(b)] =
          static_cast<double>(_difference_within[b]) / static_cast<double>(_total_within[b]);
      const double hb = static_cast<double>(_difference_between[a][b]) / static_cast<double>(_total_between[a][b]);
      _global_hetero_between[a][b] = _global_hetero_between[b][a] = hb;
      const double hw =
          (_heterozygosity_within_pop[static_cast<int>(a)] + _heterozygosity_within_pop[static_cast<int>(b)]) * 0.5;
      _global_hetero_within[a][b] = _global_hetero_within[b][a] = hw;
      if (with_Fst && hb != 0.0) _fst[a][b] = _fst[b][a] = (hb - hw) / hb;
    }
  }
}

double PopulationDiversification::get_specific_Fst(int i, int j) const {
  return _fst.at(static_cast<size_t>(i)).at(static_cast<size_t>(j));
}
double PopulationDiversification::get_specific_globalHeteroWithin(int i, int j) const {
  return _global_hetero_within.at(static_cast<size_t>(i)).at(static_cast<size_t>(j));
}
double PopulationDiversification::get_specific_globalHeteroBetween(int i, int j) const {
  return _global_hetero_between.at(static_cast<size_t>(i)).at(static_cast<size_t>(j));
}
std::int64_t PopulationDiversification::get_specific_differenceBetween(int i, int j) const {
  return _difference_between.at(static_cast<size_t>(i)).at(static_cast<size_t>(j));
}
std::int64_t PopulationDiversification::get_specific_totalBetween(int i, int j) const {
  return _total_between.at(static_cast<size_t>(i)).at(static_cast<size_t>(j));
}
std::int64_t PopulationDiversification::get_specific_differenceWithin(int p) const {
  return _difference_within.at(static_cast<size_t>(p));
}
std::int64_t PopulationDiversification::get_specific_totalWithin(int p) const {
  return _total_within.at(static_cast<size_t>(p));
}
double PopulationDiversification::get_specific_heterozygosityWithinPop(int p) { return _heterozygosity_within_pop[p]; }

}  // namespace mrv

namespace {

void storeFst(mrv::PopulationDiversification& diversification, const mrv::Population& population,
              ResultsWarehouse* store) {
  diversification.determine_Fst();
  const unsigned int n = population.get_number_of_population();
  for (unsigned int i = 0; i < n; ++i) {
    for (unsigned int j = i + 1; j < n; ++j) {
      const double f = diversification.get_specific_Fst(static_cast<int>(i), static_cast<int>(j));
      store->set_specific_Fst(i, j, f);
      store->set_specific_Fst(j, i, f);
    }
  }
}

}  // namespace

void populationDiversificationAnalysis(bpp::PolymorphismSequenceContainer* ingroup, mrv::Population* population,
                                       const bpp::CodonAlphabet* codon_alphabet,
                                       const bpp::NucleicAlphabet* nucleic_alphabet, ResultsWarehouse* store) {
  mrv::PopulationDiversification diversification(ingroup, population, codon_alphabet, nucleic_alphabet);
  storeFst(diversification, *population, store);
}

void populationDiversificationAnalysis(const mrv::ContigView& view, mrv::Population* population,
                                       ResultsWarehouse* store) {
  mrv::PopulationDiversification diversification(view, population);
  storeFst(diversification, *population, store);
}
