#include "report/DistanceFile.h"

#include <cstdint>
#include <iostream>
#include <new>
#include <sstream>
#include <unordered_map>

#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "report/OutputFiles.h"
#include "core/ParametersManagement.h"

namespace {

// The distances of one pair of individuals, added contig by contig in the order of the contigs.
struct DistanceSums {
  double weighted = 0.0;
  double weights = 0.0;
  double distances = 0.0;
  double count = 0.0;

  // A contig without a distance for the pair (negative or not a number) adds nothing.
  void add(double distance, int positions) {
    if (!(distance >= 0.0)) return;
    const double weight = static_cast<double>(positions);
    weighted += distance * weight;
    weights += weight;
    distances += distance;
    count += 1.0;
  }

  // {weighted mean, unweighted mean}, each -1.0 when nothing went into it.
  std::vector<double> means() const {
    std::vector<double> result = {-1.0, -1.0};
    if (weights != 0.0) result[0] = weighted / weights;
    if (count != 0.0) result[1] = distances / count;
    return result;
  }
};

}  // namespace

// The sums of the ordered pairs of a list of individuals that have a distance in at least one
// contig: as many as such pairs, not the square of the list. Built in one pass over the contigs,
// so that each pair's sums are added in contig order.
class report::PairDistanceSums {
 public:
  PairDistanceSums(const std::vector<std::string>& individuals, const std::vector<ResultsWarehouse*>& warehouses) {
    for (const std::string& individual : individuals) _slot.emplace(individual, static_cast<uint32_t>(_slot.size()));
    for (const ResultsWarehouse* warehouse : warehouses) _add_contig(*warehouse);
    _index_rows();
  }

  size_t nb_individuals() const { return _slot.size(); }
  // Index of `individual` among the distinct individuals, or nb_individuals().
  uint32_t slot(const std::string& individual) const {
    auto it = _slot.find(individual);
    return it == _slot.end() ? static_cast<uint32_t>(_slot.size()) : it->second;
  }

  // The sums of the pair of slots (a, b), or null when nothing went into them.
  const DistanceSums* find(uint32_t a, uint32_t b) const {
    auto cell = _where.find(static_cast<uint64_t>(a) * nb_individuals() + b);
    return cell == _where.end() ? nullptr : &_sums[cell->second];
  }

  // Calls visit(second slot, sums) for every pair of first slot `a` that has sums.
  template <typename Visit>
  void for_each_of(uint32_t a, Visit visit) const {
    for (uint32_t r = _row_start[a]; r < _row_start[a + 1]; ++r) visit(_second[_by_row[r]], _sums[_by_row[r]]);
  }

 private:
  // Adds a contig's distances, each pair of individuals as the contig's get_specific_distance_object
  // reads it under the pair's key: an object held under the key first, else the contig's table.
  void _add_contig(const ResultsWarehouse& warehouse) {
    const uint32_t none = static_cast<uint32_t>(nb_individuals());
    const std::map<std::string, mrv::DistanceBetweenIndividuals*>& held = warehouse.get_held_distance_objects();
    for (const auto& entry : held) {
      if (!entry.second) continue;
      const std::string& key = entry.first;
      // Names may hold "|": the key is the key of every pair it reads as.
      for (size_t cut = key.find('|'); cut != std::string::npos; cut = key.find('|', cut + 1)) {
        const uint32_t a = slot(key.substr(0, cut));
        const uint32_t b = a == none ? none : slot(key.substr(cut + 1));
        if (b != none) _add(a, b, entry.second->get_distance(), entry.second->get_nb_resolved_positions());
      }
    }
    const std::vector<std::string>& names = warehouse.get_distance_individuals();
    std::vector<uint32_t> slots(names.size());
    for (size_t i = 0; i < names.size(); ++i) slots[i] = slot(names[i]);
    for (size_t i = 0; i < names.size(); ++i) {
      if (slots[i] == none) continue;
      for (size_t j = 0; j < names.size(); ++j) {
        double distance = -1.0;
        int positions = 0;
        if (slots[j] == none || !warehouse.get_table_distance(i, j, distance, positions)) continue;
        if (!held.empty() && held.count(names[i] + "|" + names[j])) continue;  // read above
        _add(slots[i], slots[j], distance, positions);
      }
    }
  }

  void _add(uint32_t a, uint32_t b, double distance, int positions) {
    if (!(distance >= 0.0)) return;
    auto cell = _where.emplace(static_cast<uint64_t>(a) * nb_individuals() + b, static_cast<uint32_t>(_sums.size()));
    if (cell.second) {
      _first.push_back(a);
      _second.push_back(b);
      _sums.emplace_back();
    }
    _sums[cell.first->second].add(distance, positions);
  }

  void _index_rows() {
    _row_start.assign(nb_individuals() + 1, 0);
    for (uint32_t a : _first) ++_row_start[a + 1];
    for (size_t a = 0; a < nb_individuals(); ++a) _row_start[a + 1] += _row_start[a];
    std::vector<uint32_t> next(_row_start.begin(), _row_start.end() - 1);
    _by_row.resize(_first.size());
    for (uint32_t e = 0; e < _first.size(); ++e) _by_row[next[_first[e]]++] = e;
  }

  std::unordered_map<std::string, uint32_t> _slot;
  std::unordered_map<uint64_t, uint32_t> _where;  // first * nb_individuals() + second -> entry
  std::vector<uint32_t> _first;
  std::vector<uint32_t> _second;
  std::vector<DistanceSums> _sums;
  std::vector<uint32_t> _row_start;  // entries of first slot a: _by_row[_row_start[a] .. _row_start[a + 1] - 1]
  std::vector<uint32_t> _by_row;
};
using report::PairDistanceSums;

PairDistanceSums summarizeDistances(const std::vector<ResultsWarehouse*>& warehouses,
                                    const std::vector<std::string>& individuals) {
  return PairDistanceSums(individuals, warehouses);
}

std::vector<double> summarizeDistances(std::vector<ResultsWarehouse*>& warehouses, std::string key) {
  // The pairs the key names: one per "|" in it, since names may hold "|". Every one of them is read
  // under this key alone, so they all have the key's sums.
  std::vector<std::string> sides;
  for (size_t cut = key.find('|'); cut != std::string::npos; cut = key.find('|', cut + 1)) {
    sides.push_back(key.substr(0, cut));
    sides.push_back(key.substr(cut + 1));
  }
  if (sides.empty()) return DistanceSums().means();
  const PairDistanceSums sums = summarizeDistances(warehouses, sides);
  const DistanceSums* found = sums.find(sums.slot(sides[0]), sums.slot(sides[1]));
  return found ? found->means() : DistanceSums().means();
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
  const PairDistanceSums pairs = summarizeDistances(warehouses, individuals);

  std::vector<uint32_t> slots(individuals.size());
  for (size_t p = 0; p < individuals.size(); ++p) slots[p] = pairs.slot(individuals[p]);
  // A pair without any distance shows -1 twice, as the file's stream writes -1.0.
  std::ostringstream number;
  number.copyfmt(file);
  number << -1.0 << "\t" << -1.0 << "\n";
  if (!number) throw std::bad_alloc();  // a string stream fails only for want of memory
  const std::string no_means = number.str();
  std::vector<const DistanceSums*> row(pairs.nb_individuals(), nullptr);
  // The lines are gathered per first individual; the means go through the file's stream itself.
  std::string lines;
  for (size_t p = 0; p < individuals.size(); ++p) {
    pairs.for_each_of(slots[p], [&row](uint32_t b, const DistanceSums& sums) { row[b] = &sums; });
    lines.clear();
    for (size_t q = 0; q < individuals.size(); ++q) {
      lines.append(individuals[p]).append("\t").append(individuals[q]).append("\t");
      const DistanceSums* sums = row[slots[q]];
      if (!sums) {
        lines.append(no_means);
        continue;
      }
      const std::vector<double> means = sums->means();
      file << lines << means[0] << "\t" << means[1] << "\n";
      lines.clear();
    }
    file << lines;
    pairs.for_each_of(slots[p], [&row](uint32_t b, const DistanceSums&) { row[b] = nullptr; });
  }
}

void writeDistanceFile(ParametersManagement* options, std::vector<ResultsWarehouse*>& warehouses,
                       mrv::Population* population) {
  report::OutputFiles outputs;
  writeDistanceFile(options, warehouses, population, outputs);
  outputs.commit();
}
