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
class StandardGeneticCode;
}  // namespace bpp

class ResultsWarehouse;

namespace mrv {

class CodonColumns;
class StatisticsEngine;
class Workspace;

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
 *
 * Every statistic comes in two forms with the same results: with the run's statistics engine (the
 * forms the run calls) and with a genetic code (the object then makes its own engine over the code).
 */
class SelectionIndicators {
 public:
  // Every constructor copies what it is given: once it returns, nothing in the object refers to the
  // caller's sequences or containers, which may change or go; only the alphabets (the run's codon
  // alphabet, which the sequences are written in) are kept as pointers and must outlive the object.
  //
  // Every constructor refuses at once, with the library's exception, sequences that no container can
  // hold together (two of one name, another alphabet, unequal lengths); otherwise the owned container
  // itself is only built when the library is asked (the run measures one pair per contig).
  //
  // The owned container holds copies of the two sequences, first then second.
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

  // ---- With the run's statistics engine: the forms the run calls (collectSelectionIndicators) ----
  // The engine computes the statistics with the run's genetic code. ratio: the transition /
  // transversion ratio weighing the site numbers. The codes of the sequences are read once, at the
  // first statistic, into arrays leased from the workspace of the engine first given: that engine
  // must outlive the object.
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

  // ---- With a genetic code: what the engine forms give with an engine over that code ----
  // The run calls the engine forms above; these are for callers without the run's engine. The code
  // must not be null; the object makes an engine over it at the first of these calls and keeps it for
  // the next ones (a new one when another code is given), so the code must outlive the object. They
  // throw what the engine forms throw (see above), and leave a value not computed as it is.
  //
  // nN (resp. nS): the mean number of non-synonymous (resp. synonymous) sites of the owned container
  // for the transition / transversion ratio.
  void determine_nN(const bpp::StandardGeneticCode* code, double ratio);
  void determine_nS(const bpp::StandardGeneticCode* code, double ratio);
  // fixN (resp. fixS): the non-synonymous (resp. synonymous) substitutions between the sequences,
  // every one counted (minimum frequency 0.0); only with at least two sequences, else left at 0.0.
  void determine_fixN(const bpp::StandardGeneticCode* code);
  void determine_fixS(const bpp::StandardGeneticCode* code);
  // The numbers of sequences, of codon sites and of complete codon sites of the owned container
  // (counting needs no genetic code).
  void countSequencesAndSites();
  // nN, nS, fixN, fixS, fixS / nS, then the counts.
  void determine_all_attributes(const bpp::StandardGeneticCode* code, double ratio);

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
  // The sequences of the owned container, in its order: copies of those given, or consensus
  // sequences made here.
  std::vector<std::unique_ptr<bpp::Sequence> > _sequences;
  // The owned container: null until the library reads it.
  std::unique_ptr<bpp::PolymorphismSequenceContainer> _container;
  // The engine of the genetic-code forms, made at the first of them; declared before the codes,
  // which may lease their arrays from it.
  std::unique_ptr<StatisticsEngine> _engine;
  // The sequences' codon codes, read at the first statistic asked.
  std::unique_ptr<CodonColumns> _columns;

  // Builds the container now when it would refuse the sequences.
  void _refuseWhatNoContainerHolds();
  const bpp::PolymorphismSequenceContainer& _library();
  // _library as the statistics engine takes it.
  std::function<const bpp::PolymorphismSequenceContainer&()> _library_input();
  // The codes, read at the first request into arrays of the workspace given (owned without one).
  const CodonColumns& _codons(Workspace* workspace);
  // The engine of the genetic-code forms over `code`.
  StatisticsEngine& _engine_over(const bpp::StandardGeneticCode* code);
  // Adds a consensus of `container` made here to the sequences.
  void _addConsensus(const bpp::PolymorphismSequenceContainer& container, const std::string& name);
  // The three counts, the complete sites given.
  void _setCounts(size_t complete_sites);
  size_t _nb_sequences() const { return _sequences.size(); }
};

}  // namespace mrv

// nN and nS of the ingroup / outgroup consensus pair into the store, with the pair's number of
// sequences and of complete codon sites, measured by a SelectionIndicators of the pair (kappa the
// transition / transversion ratio). The form the run calls.
void collectSelectionIndicators(const bpp::Sequence* ingroup_consensus, const bpp::Sequence* outgroup_consensus,
                                const bpp::CodonAlphabet* codon_alphabet, mrv::StatisticsEngine& engine,
                                ResultsWarehouse* store, double kappa);
// The same with a genetic code (not null) in place of the run's engine: an engine over the code
// serves the call. Stores exactly what the engine form stores; throws what it throws, and then
// nothing has been stored.
void collectSelectionIndicators(const bpp::Sequence* ingroup_consensus, const bpp::Sequence* outgroup_consensus,
                                const bpp::CodonAlphabet* codon_alphabet, const bpp::StandardGeneticCode* code,
                                ResultsWarehouse* store, double kappa);
