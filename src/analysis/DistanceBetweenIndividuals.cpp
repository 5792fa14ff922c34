#include "analysis/DistanceBetweenIndividuals.h"

namespace mrv {

DistanceBetweenIndividuals::DistanceBetweenIndividuals(std::string first, std::string second)
    : first_individual_name(first),
      second_individual_name(second),
      pair_name(first + "|" + second),
      distance(-1.0),
      nb_resolved_positions(0) {}

DistanceBetweenIndividuals::~DistanceBetweenIndividuals() {}

// ---- Construction from sequence containers or allele pairs, and the distance computation ----

}  // namespace mrv
