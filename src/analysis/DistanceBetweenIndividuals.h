#pragma once
// Distance between two diploid individuals of one contig, and the number of nucleotide positions
// it rests on. The pair is ordered: (A, B) and (B, A) are two objects, named "A|B" and "B|A".
#include <string>

namespace bpp {
class PolymorphismSequenceContainer;
}

namespace mrv {

class PairedSequenceContainer;

class DistanceBetweenIndividuals {
 public:
  // A pair without distance: distance -1.0, no resolved position.
  DistanceBetweenIndividuals(std::string first, std::string second);

  // ---- Construction from sequence containers or allele pairs, and the distance computation ----
  // (constructors from two containers and from a PairedSequenceContainer, computeDistance,
  //  computeDistanceWithPair) belong here.

  virtual ~DistanceBetweenIndividuals();

  std::string get_first_individual_name() const { return first_individual_name; }
  std::string get_second_individual_name() const { return second_individual_name; }
  std::string get_pair_name() const { return pair_name; }
  double get_distance() const { return distance; }
  int get_nb_resolved_positions() const { return nb_resolved_positions; }

  void set_distance(double value) { distance = value; }
  void set_nb_resolved_positions(int value) { nb_resolved_positions = value; }

 private:
  std::string first_individual_name;
  std::string second_individual_name;
  std::string pair_name;  // first + "|" + second
  double distance;        // -1.0 while not computed
  int nb_resolved_positions;
};

}  // namespace mrv
