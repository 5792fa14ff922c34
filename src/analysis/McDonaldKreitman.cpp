#include "analysis/McDonaldKreitman.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <iostream>
#include <set>
#include <string>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/ContigView.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"

namespace mrv {

namespace {

using Tables = std::vector<std::vector<unsigned int> >;

// Ingroup flags of the sequences of `ingroup` followed by those of `outgroup` (all outgroup), as in
// the merged container; false when an outgroup name is already an ingroup name (the merge refuses it).
bool mergedRows(const bpp::PolymorphismSequenceContainer& ingroup, const std::vector<std::string>& outgroup_names,
                std::vector<char>& rows) {
  const std::vector<std::string> names = ingroup.getSequencesNames();
  const std::set<std::string> known(names.begin(), names.end());
  for (const std::string& name : outgroup_names)
    if (known.count(name)) return false;
  rows.assign(ingroup.getNumberOfSequences() + outgroup_names.size(), 0);
  for (size_t i = 0; i < ingroup.getNumberOfSequences(); ++i) rows[i] = ingroup.isIngroupMember(i) ? 1 : 0;
  return true;
}

void storeAnalysis(ResultsWarehouse* store, const std::vector<std::vector<unsigned int> >& tables,
                   double non_synonymous_sites, double synonymous_sites, bool debug) {
  const std::vector<unsigned int>& t0 = tables[0];
  const std::vector<unsigned int>& t2 = tables[1];
  if (debug) {
    std::cout << "(DEBUG - mcDonaldKreitmanAnalysis) MK table (all SNPs): pn=" << t0[0] << " ps=" << t0[1]
              << " dn=" << t0[2] << " ds=" << t0[3] << std::endl;
    std::cout << "(DEBUG - mcDonaldKreitmanAnalysis) MK table (freq<0.2): pn=" << t2[0] << " ps=" << t2[1]
              << " dn=" << t2[2] << " ds=" << t2[3] << std::endl;
  }
  store->set_fixN(static_cast<int>(t0[2]));
  store->set_fixS(static_cast<int>(t0[3]));
  store->set_polymN_0(static_cast<int>(t0[0]));
  store->set_polymS_0(static_cast<int>(t0[1]));
  store->set_polymN_02(static_cast<int>(t2[0]));
  store->set_polymS_02(static_cast<int>(t2[1]));
  store->set_MK_nN(truncateSiteNumber(non_synonymous_sites));
  store->set_MK_nS(truncateSiteNumber(synonymous_sites));
}

}  // namespace

std::unique_ptr<bpp::PolymorphismSequenceContainer> mergeIngroupAndOutgroup(
    const bpp::PolymorphismSequenceContainer& ingroup, const bpp::PolymorphismSequenceContainer& outgroup) {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> merged(new bpp::PolymorphismSequenceContainer(ingroup));
  for (size_t i = 0; i < outgroup.getNumberOfSequences(); ++i) {
    merged->addSequenceWithFrequency(outgroup.getSequence(i), 1, true);
    const std::string name = outgroup.getName(i);
    merged->setAsOutgroupMember(name);
  }
  return merged;
}

Tables mcDonaldKreitmanTables(const bpp::PolymorphismSequenceContainer& merged, StatisticsEngine& engine,
                              const std::vector<double>& minimum_frequencies) {
  const CodonColumns columns(merged, &engine.workspace());
  std::vector<char> rows(merged.getNumberOfSequences());
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = merged.isIngroupMember(i) ? 1 : 0;
  return engine.mcdonald_kreitman_tables(
      columns, rows, [&merged]() -> const bpp::PolymorphismSequenceContainer& { return merged; }, minimum_frequencies);
}

std::vector<unsigned int> mcDonaldKreitmanTable(const bpp::PolymorphismSequenceContainer& ingroup,
                                                const bpp::PolymorphismSequenceContainer& outgroup,
                                                StatisticsEngine& engine, double minimum_frequency) {
  std::vector<char> rows;
  if (!mergedRows(ingroup, outgroup.getSequencesNames(), rows)) {
    auto merged = mergeIngroupAndOutgroup(ingroup, outgroup);  // refused by the library
    return mcDonaldKreitmanTables(*merged, engine, {minimum_frequency}).front();
  }
  const CodonColumns columns(ingroup, outgroup, &engine.workspace());
  std::unique_ptr<bpp::PolymorphismSequenceContainer> merged;
  return engine
      .mcdonald_kreitman_tables(columns, rows,
                                [&]() -> const bpp::PolymorphismSequenceContainer& {
                                  if (!merged) merged = mergeIngroupAndOutgroup(ingroup, outgroup);
                                  return *merged;
                                },
                                {minimum_frequency})
      .front();
}

int truncateSiteNumber(double sites) {
  if (std::isnan(sites)) return 0;
  if (sites >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (sites <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(sites);
}

}  // namespace mrv

namespace {

// The analysis of the merged sites read as `columns` (ingroup flags `rows`), `merged` the same as a
// container, built when the library is asked.
void analyseMergedSites(const mrv::CodonColumns& columns, const std::vector<char>& rows,
                        const mrv::StatisticsEngine::LibraryInput& merged, ResultsWarehouse* store, unsigned int kappa,
                        mrv::StatisticsEngine& engine, bool debug) {
  const double ratio = static_cast<double>(kappa);
  const double non_synonymous_sites = engine.mean_non_synonymous_sites(columns, merged, ratio);
  const double synonymous_sites = engine.mean_synonymous_sites(columns, merged, ratio);
  const std::vector<mrv::StatisticsEngine::Table> tables =
      engine.mcdonald_kreitman_tables(columns, rows, merged, {0.0, 0.2});
  mrv::storeAnalysis(store, tables, non_synonymous_sites, synonymous_sites, debug);
}

}  // namespace

void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, bpp::PolymorphismSequenceContainer* outgroup,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* /*codon_alphabet*/,
                              mrv::StatisticsEngine& engine, bool debug) {
  // The merged container is only put together when the library reads it (or is to refuse it).
  std::unique_ptr<bpp::PolymorphismSequenceContainer> merged;
  const mrv::StatisticsEngine::LibraryInput library = [&]() -> const bpp::PolymorphismSequenceContainer& {
    if (!merged) merged = mrv::mergeIngroupAndOutgroup(*ingroup, *outgroup);
    return *merged;
  };
  std::vector<char> rows;
  if (!mrv::mergedRows(*ingroup, outgroup->getSequencesNames(), rows)) library();
  const mrv::CodonColumns columns(*ingroup, *outgroup, &engine.workspace());
  analyseMergedSites(columns, rows, library, store, kappa, engine, debug);
}

void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, const bpp::Sequence* outgroup_consensus,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* codon_alphabet,
                              mrv::StatisticsEngine& engine, bool debug) {
  // The outgroup container and the merged one are only put together when the library reads them.
  std::unique_ptr<bpp::PolymorphismSequenceContainer> outgroup, merged;
  const mrv::StatisticsEngine::LibraryInput library = [&]() -> const bpp::PolymorphismSequenceContainer& {
    if (!merged) {
      outgroup.reset(new bpp::PolymorphismSequenceContainer(codon_alphabet));
      outgroup->addSequenceWithFrequency(*outgroup_consensus, 1, true);
      merged = mrv::mergeIngroupAndOutgroup(*ingroup, *outgroup);
    }
    return *merged;
  };
  std::vector<char> rows;
  if (!mrv::sameAlphabetType(outgroup_consensus->getAlphabet(), codon_alphabet) ||
      !mrv::mergedRows(*ingroup, {outgroup_consensus->getName()}, rows))
    library();
  const mrv::CodonColumns columns(*ingroup, *outgroup_consensus, &engine.workspace());
  analyseMergedSites(columns, rows, library, store, kappa, engine, debug);
}

void mcDonaldKreitmanAnalysis(const mrv::ContigView& ingroup, const bpp::Sequence* outgroup_consensus,
                              ResultsWarehouse* store, unsigned int kappa, mrv::StatisticsEngine& engine, bool debug) {
  const bpp::CodonAlphabet* codon_alphabet = ingroup.codon_alphabet();
  std::unique_ptr<bpp::PolymorphismSequenceContainer> in, outgroup, merged;
  const mrv::StatisticsEngine::LibraryInput library = [&]() -> const bpp::PolymorphismSequenceContainer& {
    if (!merged) {
      in = ingroup.container();
      outgroup.reset(new bpp::PolymorphismSequenceContainer(codon_alphabet));
      outgroup->addSequenceWithFrequency(*outgroup_consensus, 1, true);
      merged = mrv::mergeIngroupAndOutgroup(*in, *outgroup);
    }
    return *merged;
  };
  // Ingroup flags of the rows, then the outgroup consensus; a consensus named as a row is refused by
  // the merge.
  const std::vector<std::string>& names = ingroup.names();
  bool clash = false;
  for (const std::string& name : names) clash = clash || name == outgroup_consensus->getName();
  std::vector<char> rows(ingroup.ingroup_flags());
  rows.push_back(0);
  if (!mrv::sameAlphabetType(outgroup_consensus->getAlphabet(), codon_alphabet) || clash) library();
  // The merged sites: each site's ingroup codes and the consensus codon.
  const size_t n = ingroup.nb_rows() + 1;
  const size_t nb_sites = ingroup.nb_sites();
  mrv::Workspace::Lease<int> codes_store(&engine.workspace());
  std::vector<int>& codes = *codes_store;
  const bool readable = outgroup_consensus->size() == nb_sites &&
                        mrv::sameAlphabetType(outgroup_consensus->getAlphabet(), ingroup.alphabet());
  if (!readable) library();  // the merge refuses a consensus of another length or alphabet
  if (readable) {
    codes.resize(n * nb_sites);
    for (size_t s = 0; s < nb_sites; ++s) {
      std::copy(ingroup.site(s), ingroup.site(s) + (n - 1), codes.data() + s * n);
      codes[s * n + n - 1] = (*outgroup_consensus)[s];
    }
  }
  const mrv::CodonColumns columns(codes.data(), n, readable ? nb_sites : 0, ingroup.alphabet(), &engine.workspace());
  analyseMergedSites(columns, rows, library, store, kappa, engine, debug);
}
