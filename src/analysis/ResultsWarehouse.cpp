#include "analysis/ResultsWarehouse.h"

#include <iostream>
#include <unordered_map>
#include <utility>

#include "input/Population.h"
#include "run/ParametersManagement.h"

struct ResultsWarehouse::_PopulationIndividuals {
  std::vector<std::string> all;       // all member lists in population order, repeats kept
  std::vector<std::string> names;     // each name once, in order of first appearance
  std::vector<size_t> last_position;  // per name: its last position in `all`
  std::unordered_map<std::string, size_t> slot;  // name -> index in `names`
};

// Every contig of a run is built from the same population: its individuals are indexed once and
// the index is shared by all warehouses.
std::shared_ptr<const ResultsWarehouse::_PopulationIndividuals> ResultsWarehouse::_shared_individuals(
    mrv::Population* population) {
  static std::shared_ptr<const _PopulationIndividuals> last;
  std::vector<std::string> all;
  if (population) all = population->get_all_individuals();
  if (last && last->all == all) return last;
  auto built = std::make_shared<_PopulationIndividuals>();
  built->all = std::move(all);
  for (size_t p = 0; p < built->all.size(); ++p) {
    auto inserted = built->slot.emplace(built->all[p], built->names.size());
    if (inserted.second) {
      built->names.push_back(built->all[p]);
      built->last_position.push_back(p);
    } else {
      built->last_position[inserted.first->second] = p;
    }
  }
  last = built;
  return last;
}

ResultsWarehouse::ResultsWarehouse(mrv::Population* population, unsigned int nb_gc_bin)
    : name("No_name"),
      status("Not_OK"),
      nb_bi_allelic_SNP(0),
      nb_tri_allelic_SNP(0),
      nb_quadri_allelic_SNP(0),
      nb_sequences_in_consensus(0),
      nb_sites_in_consensus(0),
      nN(-1.0),
      nS(-1.0),
      fixN(-1),
      fixS(-1),
      polymN_0(-1),
      polymS_0(-1),
      polymN_02(-1),
      polymS_02(-1),
      MK_nN(-1),
      MK_nS(-1),
      GC_allele_frequency_classes(nb_gc_bin, 0.0) {
  const size_t nb_population = population ? population->get_number_of_population() : 0;
  Fst.assign(nb_population, std::vector<double>(nb_population, -999.0));
  _individuals = _shared_individuals(population);
}

ResultsWarehouse::~ResultsWarehouse() {
  for (SpeciesDataWarehouse* record : species_data) delete record;
  for (auto& entry : distance_objects) delete entry.second;
}

void ResultsWarehouse::increase_class(int index, int amount) {
  GC_allele_frequency_classes.at(static_cast<size_t>(index)) += static_cast<double>(amount);
}

void ResultsWarehouse::set_specific_Fst(unsigned int i, unsigned int j, double value) { Fst.at(i).at(j) = value; }

double ResultsWarehouse::get_specific_Fst(unsigned int i, unsigned int j) const { return Fst.at(i).at(j); }

void ResultsWarehouse::set_specific_individual_heterozygosity(std::string individual, double value) {
  individual_heterozygosity[individual] = value;
}

double ResultsWarehouse::get_specific_individual_heterozygosity(std::string individual) {
  auto it = individual_heterozygosity.find(individual);
  if (it != individual_heterozygosity.end()) return it->second;
  if (_individuals->slot.count(individual)) return -999.0;
  individual_heterozygosity.emplace(individual, 0.0);
  return 0.0;
}

std::map<std::string, double> ResultsWarehouse::get_all_individual_heterozygosity() const {
  std::map<std::string, double> all = individual_heterozygosity;
  for (const std::string& individual : _individuals->names) all.emplace(individual, -999.0);  // keeps set values
  return all;
}

ResultsWarehouse::_PairKind ResultsWarehouse::_resolve_pair(const std::string& key, size_t& first,
                                                             size_t& second) const {
  const _PopulationIndividuals& ind = *_individuals;
  if (ind.names.empty()) return _NOT_A_PAIR;
  size_t readings = 0;
  // Names may themselves hold "|": every cut is tried. When several readings exist, the pair
  // that comes last in the order of the population's individuals names the object.
  for (size_t cut = key.find('|'); cut != std::string::npos; cut = key.find('|', cut + 1)) {
    auto a = ind.slot.find(key.substr(0, cut));
    if (a == ind.slot.end()) continue;
    auto b = ind.slot.find(key.substr(cut + 1));
    if (b == ind.slot.end()) continue;
    if (readings == 0 ||
        std::make_pair(ind.last_position[a->second], ind.last_position[b->second]) >
            std::make_pair(ind.last_position[first], ind.last_position[second])) {
      first = a->second;
      second = b->second;
    }
    ++readings;
  }
  if (readings == 0) return _NOT_A_PAIR;
  return readings == 1 ? _ONE_PAIR : _SEVERAL_PAIRS;
}

mrv::DistanceBetweenIndividuals* ResultsWarehouse::_make_pair_object(const std::string&, _PairKind kind,
                                                                     size_t first, size_t second) const {
  const _PopulationIndividuals& ind = *_individuals;
  auto* object = new mrv::DistanceBetweenIndividuals(ind.names[first], ind.names[second]);
  if (kind == _ONE_PAIR && !_pair_computed.empty()) {
    const size_t cell = first * ind.names.size() + second;
    if (_pair_computed[cell]) {
      object->set_distance(_pair_distance[cell]);
      object->set_nb_resolved_positions(_pair_positions[cell]);
    }
  }
  return object;
}

void ResultsWarehouse::set_specific_distance_object(std::string key, mrv::DistanceBetweenIndividuals* object) {
  auto held = distance_objects.find(key);
  if (held != distance_objects.end() && held->second != object) {
    delete held->second;
    held->second = nullptr;
  }
  size_t first = 0, second = 0;
  if (object && _resolve_pair(key, first, second) == _ONE_PAIR) {
    // A population pair: keep the two values, not the object.
    const size_t n = _individuals->names.size();
    if (_pair_computed.empty()) {
      _pair_distance.assign(n * n, -1.0);
      _pair_positions.assign(n * n, 0);
      _pair_computed.assign(n * n, false);
    }
    const size_t cell = first * n + second;
    _pair_distance[cell] = object->get_distance();
    _pair_positions[cell] = object->get_nb_resolved_positions();
    _pair_computed[cell] = true;
    if (held != distance_objects.end()) distance_objects.erase(held);
    delete object;
    return;
  }
  if (held != distance_objects.end())
    held->second = object;
  else
    distance_objects.emplace(key, object);
}

void ResultsWarehouse::set_distances(const std::vector<std::string>& names, const std::vector<double>& distances,
                                     const std::vector<int>& positions) {
  const size_t m = names.size();
  const _PopulationIndividuals& ind = *_individuals;
  // A name without "|" makes with another such name a key of one reading: a population pair when
  // both are population individuals.
  const size_t kNone = static_cast<size_t>(-1);
  std::vector<size_t> slot(m, kNone);
  for (size_t i = 0; i < m; ++i) {
    if (names[i].find('|') != std::string::npos) continue;
    auto found = ind.slot.find(names[i]);
    if (found != ind.slot.end()) slot[i] = found->second;
  }
  const size_t n = ind.names.size();
  for (size_t i = 0; i < m; ++i) {
    for (size_t j = 0; j < m; ++j) {
      const size_t at = i * m + j;
      if (slot[i] != kNone && slot[j] != kNone &&
          (distance_objects.empty() || distance_objects.find(names[i] + "|" + names[j]) == distance_objects.end())) {
        if (_pair_computed.empty()) {
          _pair_distance.assign(n * n, -1.0);
          _pair_positions.assign(n * n, 0);
          _pair_computed.assign(n * n, false);
        }
        const size_t cell = slot[i] * n + slot[j];
        _pair_distance[cell] = distances[at];
        _pair_positions[cell] = positions[at];
        _pair_computed[cell] = true;
        continue;
      }
      auto* object = new mrv::DistanceBetweenIndividuals(names[i], names[j]);
      object->set_distance(distances[at]);
      object->set_nb_resolved_positions(positions[at]);
      set_specific_distance_object(object->get_pair_name(), object);
    }
  }
}

mrv::DistanceBetweenIndividuals* ResultsWarehouse::get_specific_distance_object(std::string key) {
  auto held = distance_objects.find(key);
  if (held != distance_objects.end()) return held->second;
  size_t first = 0, second = 0;
  const _PairKind kind = _resolve_pair(key, first, second);
  mrv::DistanceBetweenIndividuals* object = kind == _NOT_A_PAIR ? nullptr : _make_pair_object(key, kind, first, second);
  distance_objects.emplace(key, object);
  return object;
}

std::map<std::string, mrv::DistanceBetweenIndividuals*> ResultsWarehouse::get_all_distance_objects() {
  const std::vector<std::string>& names = _individuals->names;
  for (const std::string& a : names)
    for (const std::string& b : names) get_specific_distance_object(a + "|" + b);
  return distance_objects;
}

bool ResultsWarehouse::find_distance(const std::string& key, double& distance, int& nb_resolved_positions) const {
  distance = -1.0;
  nb_resolved_positions = 0;
  if (!distance_objects.empty()) {
    auto held = distance_objects.find(key);
    if (held != distance_objects.end()) {
      if (!held->second) return false;
      distance = held->second->get_distance();
      nb_resolved_positions = held->second->get_nb_resolved_positions();
      return true;
    }
  }
  if (_pair_computed.empty()) return false;
  size_t first = 0, second = 0;
  if (_resolve_pair(key, first, second) != _ONE_PAIR) return false;
  const size_t cell = first * _individuals->names.size() + second;
  if (!_pair_computed[cell]) return false;
  distance = _pair_distance[cell];
  nb_resolved_positions = _pair_positions[cell];
  return true;
}

void ResultsWarehouse::store_species_data(SpeciesDataWarehouse* record) { species_data.push_back(record); }

SpeciesDataWarehouse* ResultsWarehouse::get_specific_species_data(std::string species) const {
  SpeciesDataWarehouse* found = nullptr;
  for (SpeciesDataWarehouse* record : species_data)
    if (record->get_species_name() == species) found = record;
  return found;
}

// ---- Debug inventory ----

void ResultsWarehouse::warehouseInventory(ResultsWarehouse* warehouse, ParametersManagement* parameters,
                                          mrv::Population* population, std::vector<double>& class_bounds) {
  std::ostream& out = std::cout;
  const std::string hashes(81, '#');
  // A warehouse without a record of the focal species shows the values of an empty record.
  const SpeciesDataWarehouse empty_record;
  const SpeciesDataWarehouse* focal = warehouse->get_specific_species_data(parameters->get_ingroup_species_name());
  if (!focal) focal = &empty_record;
  const std::map<std::string, double> heterozygosity = warehouse->get_all_individual_heterozygosity();
  const unsigned int nb_population = population->get_number_of_population();
  const std::vector<std::string> population_names = population->get_population_names();
  const std::vector<double> classes = warehouse->get_GC_allele_frequency_classes();

  out << std::endl;
  out << hashes << std::endl;
  out << "#                              Warehouse Inventory                              #" << std::endl;
  out << hashes << std::endl;
  out << std::endl;
  out << "Content of the warehouse for dataset " << warehouse->name << " (Status: " << warehouse->status << "):"
      << std::endl;
  out << std::endl;
  out << " -- 1 species analysis -- " << std::endl;
  out << std::endl;
  out << " -> Focal species Data:" << std::endl;
  out << std::endl;
  out << "  --> Name: " << focal->get_species_name() << std::endl;
  out << "  --> Number of sequence: " << focal->get_number_of_sequences() << std::endl;
  out << "  --> Number of site: " << focal->get_number_of_sites() << std::endl;
  out << "  --> Number of complete site: " << focal->get_number_of_complete_sites() << std::endl;
  out << "  --> piN: " << focal->get_piN() << std::endl;
  out << "  --> piS: " << focal->get_piS() << std::endl;
  out << "  --> Fit: " << focal->get_Fit() << std::endl;
  out << "  --> WC84 Fit: " << focal->get_WC84_Fit() << std::endl;
  out << "  --> GC3: " << focal->get_GC3() << std::endl;
  out << std::endl;
  out << " -> Individual Heterozygosity:" << std::endl;
  out << std::endl;
  for (const auto& entry : heterozygosity) out << "  --> H(" << entry.first << ") = " << entry.second << std::endl;
  if (nb_population >= 2) {
    out << std::endl;
    out << " -> Fst:" << std::endl;
    out << std::endl;
    for (unsigned int i = 0; i < nb_population; ++i)
      for (unsigned int j = i + 1; j < nb_population; ++j)
        out << "  --> Fst(" << population_names.at(i) << "," << population_names.at(j)
            << "): " << warehouse->Fst.at(i).at(j) << std::endl;
  }
  out << std::endl;
  out << " -> GC frequencies:" << std::endl;
  out << std::endl;
  // One line per class; a class without bound (or a run without class) prints nothing.
  for (size_t k = 0; k < classes.size() && k < class_bounds.size(); ++k) {
    out << "  --> Range [";
    if (k == 0)
      out << "0";
    else
      out << class_bounds[k - 1];
    out << " - " << class_bounds[k] << "]: " << classes[k] << std::endl;
  }
  out << std::endl;
  out << " -> SNP data:" << std::endl;
  out << std::endl;
  out << "  --> Bi-allelic SNP: " << warehouse->nb_bi_allelic_SNP << std::endl;
  out << "  --> Tri-allelic SNP: " << warehouse->nb_tri_allelic_SNP << std::endl;
  out << "  --> Quadri-allelic SNP: " << warehouse->nb_quadri_allelic_SNP << std::endl;
  out << std::endl;
  out << " -- 2 species analysis -- " << std::endl;
  out << std::endl;
  out << " -> Selection indicators:" << std::endl;
  out << std::endl;
  out << "  --> nN: " << warehouse->nN << std::endl;
  out << "  --> nS: " << warehouse->nS << std::endl;
  out << "  --> nbseq_div: " << warehouse->nb_sequences_in_consensus << std::endl;
  out << "  --> nbsite_div: " << warehouse->nb_sites_in_consensus << std::endl;
  out << std::endl;
  out << " -> mcDonald-Kreitman Analysis:" << std::endl;
  out << std::endl;
  out << "  --> FixN: " << warehouse->fixN << std::endl;
  out << "  --> FixS: " << warehouse->fixS << std::endl;
  out << "  --> PolymN 0.0: " << warehouse->polymN_0 << std::endl;
  out << "  --> PolymS 0.0: " << warehouse->polymS_0 << std::endl;
  out << "  --> PolymN 0.2: " << warehouse->polymN_02 << std::endl;
  out << "  --> PolymS 0.2: " << warehouse->polymS_02 << std::endl;
  out << "  --> MK_nN: " << warehouse->MK_nN << std::endl;
  out << "  --> MK_nS: " << warehouse->MK_nS << std::endl;
  out << std::endl;
  out << hashes << std::endl;
  out << "#                           Warehouse Inventory - END                           #" << std::endl;
  out << hashes << std::endl;
  out << std::endl;
}
