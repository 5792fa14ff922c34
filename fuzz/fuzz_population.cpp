// Fuzz target: the population-file parser on one arbitrary text, then every lookup the analysis
// and the writers make on the model (members, names, pair keys, population of each member, the
// duplicate report and the console report).
#include <Bpp/Exceptions.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "input/Population.h"
#include "report/MainOutputFile.h"
#include "core/FatalError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzzsupport::scratchFile(".pop");
  fuzzsupport::writeBytes(path, data, size);

  std::unique_ptr<mrv::Population> population;
  try {
    population.reset(new mrv::Population(path));
  } catch (const FatalError&) {
    return 0;  // a file refused with a clear message (names that would break the output tables)
  }
  {
    if (population->check_for_duplicates()) population->display_duplicates();
    population->display_populations(false);
    const std::vector<std::string> names = population->get_population_names();
    const unsigned int nb = population->get_number_of_population();
    if (names.size() != nb || population->get_population_list().size() != nb) std::abort();
    for (const std::string& individual : population->get_all_individuals()) {
      const int id = population->get_population_id(individual);  // every member has a population
      if (id < 0 || static_cast<unsigned int>(id) >= nb) std::abort();
      if (population->get_population_name(individual) != names[static_cast<size_t>(id)]) std::abort();
    }
    if (population->get_all_couples().size() != static_cast<size_t>(nb) * (nb > 0 ? nb - 1 : 0) / 2) std::abort();
    std::vector<double> bounds = {0.5, 1.0};
    buildHeaderLine(population.get(), bounds, "Sp1", false);
    try {
      // Lines never hold a line feed, so no population lists this name: it must be refused.
      population->get_population_id("\n");
      std::abort();
    } catch (const bpp::Exception&) {
    }
  }
  return 0;
}
