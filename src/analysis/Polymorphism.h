#pragma once
// Synonymous and non-synonymous nucleotide diversity per site (piS, piN) of one container of
// codon sequences.
#include <functional>
#include <memory>

namespace bpp {
class PolymorphismSequenceContainer;
}  // namespace bpp

namespace mrv {

class CodonColumns;
class ContigView;
class StatisticsEngine;

/**
 * @brief Synonymous and non-synonymous nucleotide diversity per site (piS, piN) of a contig.
 *
 * Formula: over the complete codon sites s (no gap nor unresolved codon in any sequence), n sequences,
 *   pi_S(s) = n/(n-1) * sum_{i,j} x_i x_j Sd_ij   (x_i: frequency of codon i at s, Sd_ij: synonymous
 *             differences between codons i and j, all shortest paths weighted equally, paths through
 *             stop codons left out), that is the mean over the n(n-1)/2 sequence pairs;
 *   nS = sum_s (mean over the sequences of the synonymous positions of their codon, kappa-weighted);
 *   piS = sum_s pi_S(s) / nS, and likewise piN with Nd_ij = d_ij - Sd_ij and nN = 3 * sites - nS.
 * Reference: Nei & Gojobori (1986) for the site counts and the differences.
 * Not computed: piN and piS stay -1.0 when the container has fewer complete codon sites than the
 *   threshold; a mean site number of 0.0 gives an infinite or NaN value, not -1.0.
 * Throws: the library's bpp::AlphabetMismatchException (sequences not of the genetic code's codon
 *   alphabet) or bpp::BadIntException (a codon the genetic code does not know), passed on.
 */
class Polymorphism {
 public:
  // The container is not owned and must outlive the object; it is never changed.
  explicit Polymorphism(bpp::PolymorphismSequenceContainer* container);
  // The rows of a contig's view, which must outlive the object; a container of them is made only
  // when the library is asked.
  explicit Polymorphism(const ContigView& view);
  virtual ~Polymorphism();
  Polymorphism(const Polymorphism&) = delete;
  Polymorphism& operator=(const Polymorphism&) = delete;

  // Every value below, in this order: the two pi sums, the two site numbers (kappa is the
  // transition/transversion ratio), the sequence and complete-site counts, then piN and piS when
  // the container has at least min_nb_codon complete codon sites. The engine computes them (with
  // the run's genetic code) and must outlive the call.
  void determine_all_attributes(StatisticsEngine& engine, unsigned int min_nb_codon, double kappa);

  void determine_pi_non_synonymous(StatisticsEngine& engine);
  void determine_pi_synonymous(StatisticsEngine& engine);
  void determine_mean_non_synonymous_sites_number(StatisticsEngine& engine, double ratio);
  void determine_mean_synonymous_sites_number(StatisticsEngine& engine, double ratio);
  void determine_number_of_sequences();
  void determine_number_of_complete_sites(StatisticsEngine& engine);
  // The quotient has no zero test: a mean site number of 0.0 gives an infinite or NaN value.
  void determine_piN(unsigned int min_nb_codon);
  void determine_piS(unsigned int min_nb_codon);

  double get_pi_non_synonymous() const { return _pi_non_synonymous; }
  double get_pi_synonymous() const { return _pi_synonymous; }
  double get_mean_non_synonymous_sites_number() const { return _mean_non_synonymous_sites_number; }
  double get_mean_synonymous_sites_number() const { return _mean_synonymous_sites_number; }
  double get_piN() const { return _piN; }
  double get_piS() const { return _piS; }
  int get_number_of_sequences() const { return _number_of_sequences; }
  int get_number_of_complete_sites() const { return _number_of_complete_sites; }

 private:
  double _pi_non_synonymous;
  double _pi_synonymous;
  double _mean_non_synonymous_sites_number;
  double _mean_synonymous_sites_number;
  int _number_of_sequences;
  int _number_of_complete_sites;
  double _piN;
  double _piS;
  bpp::PolymorphismSequenceContainer* _container;
  const ContigView* _view = nullptr;
  // The view's container, made when the library is first asked.
  mutable std::unique_ptr<bpp::PolymorphismSequenceContainer> _library_container;
  // The container's codon codes while determine_all_attributes runs (null otherwise).
  std::unique_ptr<CodonColumns> _columns;
  // The view's codes, those above, or else the codes read now into `own`.
  const CodonColumns& _codons(std::unique_ptr<CodonColumns>& own, StatisticsEngine& engine) const;
  // What the library reads: the container, or one made from the view.
  const bpp::PolymorphismSequenceContainer& _library() const;
  std::function<const bpp::PolymorphismSequenceContainer&()> library() const {
    return [this]() -> const bpp::PolymorphismSequenceContainer& { return _library(); };
  }
};

}  // namespace mrv
