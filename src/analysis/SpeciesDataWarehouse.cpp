#include "analysis/SpeciesDataWarehouse.h"

SpeciesDataWarehouse::SpeciesDataWarehouse()
    : species_name("No_name"),
      number_of_sequences(0),
      number_of_sites(0),
      number_of_complete_sites(0),
      GC3(0.0),
      piN(-1.0),
      piS(-1.0),
      Fit(-999.0),
      WC84_total_B(-999.0),
      WC84_total_C(-999.0),
      WC84_Fit(-999.0) {}

SpeciesDataWarehouse::~SpeciesDataWarehouse() {}
