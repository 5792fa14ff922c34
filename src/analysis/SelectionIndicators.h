#pragma once
// Divergence measures of a small container of codon sequences (in the run, the ingroup and main
// outgroup consensus sequences of one contig): mean numbers of non-synonymous and synonymous sites
// (nN, nS), non-synonymous and synonymous substitutions between the sequences (fixN, fixS) and fixS / nS.
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bpp {
class PolymorphismSequenceContainer;
class Sequence;
class CodonAlphabet;
}  // namespace bpp

class ResultsWarehouse;

namespace mrv {

class CodonColumns;
class StatisticsEngine;

/**
 * @brief Numbers of synonymous and non-synonymous sites and substitutions between a few sequences.
 *
 * Formula: over the complete codon sites, nS = sum_s mean over the sequences of S(codon), where S(codon)
 *   = sum over its 3 positions of the weights of the synonymous single-nucleotide changes / (kappa + 2),
 *   a transition weighing kappa and a transversion 1 (a change to a stop codon is non-synonymous);
 *   nN = 3 * complete sites - nS. fixS, fixN: per site, the fewest non-synonymous changes path between
 *   the codons, summed; no correction for multiple hits.
 * Reference: Nei & Gojobori (1986).
 * Not computed: fixN and fixS stay 0.0 with fewer than two sequences, fixS / nS stays 0.0 unless both
 *   are above 0.0; the contig store keeps nN = nS = -1.0 when this step does not run.
 * Throws: the library's bpp::AlphabetMismatchException or bpp::BadIntException (as Polymorphism.h);
 *   the constructors, the library's exceptions for sequences no container holds together.
 */
class SelectionIndicators {
 public:
  // Every constructor refuses at once, with the library's exception, sequences that no container can
  // hold together (two of one name, another alphabet, unequal lengths); otherwise the owned container
  // itself is only built when the library is asked (the run measures one pair per contig).
  //
  // The owned container holds the two sequences, first then second, which are not copied before it
  // is built: they must outlive the object.
  SelectionIndicators(const bpp::Sequence* first, const bpp::Sequence* second,
                      const bpp::CodonAlphabet* codon_alphabet);
  // The owned container holds the consensus of each container (gaps ignored, unknown characters
  // not resolved) under the given names, first then second.
  SelectionIndicators(const bpp::PolymorphismSequenceContainer* first, const bpp::PolymorphismSequenceContainer* second,
                      const bpp::CodonAlphabet* codon_alphabet, std::string first_name, std::string second_name);
  // The owned container holds the consensus of the container under the given name.
  SelectionIndicators(const bpp::PolymorphismSequenceContainer* container, const bpp::CodonAlphabet* codon_alphabet,
                      std::string name);
  virtual ~SelectionIndicators();
  SelectionIndicators(const SelectionIndicators&) = delete;
  SelectionIndicators& operator=(const SelectionIndicators&) = delete;

  // The engine computes the statistics with the run's genetic code. ratio: the transition /
  // transversion ratio weighing the site numbers. The codes of the sequences are read once, at the
  // first statistic, into arrays leased from the engine's workspace: that engine must outlive the
  // object.
  void determine_nN(StatisticsEngine& engine, double ratio);
  void determine_nS(StatisticsEngine& engine, double ratio);
  // Only with at least two sequences; otherwise the value stays as it is.
  void determine_fixN(StatisticsEngine& engine);
  void determine_fixS(StatisticsEngine& engine);
  // Only when fixS and nS are both above 0.0; otherwise the value stays as it is.
  void determine_fixSnS_ratio();
  void countSequencesAndSites(StatisticsEngine& engine);
  // nN, nS, fixN, fixS, fixS / nS, then the counts.
  void determine_all_attributes(StatisticsEngine& engine, double ratio);

  double get_nN() const { return _nN; }
  double get_nS() const { return _nS; }
  double get_fixN() const { return _fixN; }
  double get_fixS() const { return _fixS; }
  double get_fixSnS_ratio() const { return _fixSnS_ratio; }
  int get_number_of_sequences() const { return _number_of_sequences; }
  int get_number_of_sites() const { return _number_of_sites; }
  int get_number_of_complete_sites() const { return _number_of_complete_sites; }

 private:
  double _nN = 0.0;
  double _nS = 0.0;
  double _fixN = 0.0;
  double _fixS = 0.0;
  double _fixSnS_ratio = 0.0;
  int _number_of_sequences = 0;
  int _number_of_sites = 0;
  int _number_of_complete_sites = 0;
  const bpp::CodonAlphabet* _codon_alphabet;
  // The sequences of the owned container, in its order, and those made here (consensus sequences).
  std::vector<const bpp::Sequence*> _sequences;
  std::vector<std::unique_ptr<bpp::Sequence> > _made;
  // The owned container: null until the library reads it.
  std::unique_ptr<bpp::PolymorphismSequenceContainer> _container;
  // The sequences' codon codes, read at the first statistic asked.
  std::unique_ptr<CodonColumns> _columns;

  // Builds the container now when it would refuse the sequences.
  void _refuseWhatNoContainerHolds();
  const bpp::PolymorphismSequenceContainer& _library();
  // _library as the statistics engine takes it.
  std::function<const bpp::PolymorphismSequenceContainer&()> _library_input();
  const CodonColumns& _codons(StatisticsEngine& engine);
  // Adds a consensus of `container` made here to the sequences.
  void _addConsensus(const bpp::PolymorphismSequenceContainer& container, const std::string& name);
  size_t _nb_sequences() const { return _sequences.size(); }
};

}  // namespace mrv

// nN and nS of the ingroup / outgroup consensus pair into the store, with the pair's number of
// sequences and of complete codon sites, measured by a SelectionIndicators of the pair.
void collectSelectionIndicators(const bpp::Sequence* ingroup_consensus, const bpp::Sequence* outgroup_consensus,
                                const bpp::CodonAlphabet* codon_alphabet, mrv::StatisticsEngine& engine,
                                ResultsWarehouse* store, double kappa);
