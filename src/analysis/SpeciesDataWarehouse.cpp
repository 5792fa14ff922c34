#include "analysis/SpeciesDataWarehouse.h"

SpeciesDataWarehouse::SpeciesDataWarehouse()
    : _species_name("No_name"),
      _number_of_sequences(0),
      _number_of_sites(0),
      _number_of_complete_sites(0),
      _gc3(0.0),
      _piN(-1.0),
      _piS(-1.0),
      _fit(-999.0),
      _wc84_total_B(-999.0),
      _wc84_total_C(-999.0),
      _wc84_fit(-999.0) {}

SpeciesDataWarehouse::~SpeciesDataWarehouse() {}
