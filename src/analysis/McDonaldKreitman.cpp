#include "analysis/McDonaldKreitman.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/ContigView.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"

namespace mrv {

namespace {

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

int truncateSiteNumber(double sites) {
  if (std::isnan(sites)) return 0;
  if (sites >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (sites <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(sites);
}

}  // namespace mrv

namespace {

// The analysis of the rows of `ingroup` followed by the `nout` sequences of `outgroup` (flagged
// outgroup), read as their codes; `merged` is the same as a container, built when the library is
// asked, or at once when the library would refuse the merge (a name twice, another alphabet or length).
void analyseMerged(const mrv::ContigView& ingroup, const bpp::Sequence* const* outgroup, size_t nout,
                   const mrv::StatisticsEngine::LibraryInput& merged, ResultsWarehouse* store, unsigned int kappa,
                   mrv::StatisticsEngine& engine, bool debug) {
  const std::vector<std::string>& names = ingroup.names();
  const size_t nin = ingroup.nb_rows();
  const size_t n = nin + nout;
  const size_t nb_sites = ingroup.nb_sites();
  bool readable = true;
  for (size_t o = 0; o < nout; ++o) {
    const std::string& name = outgroup[o]->getName();
    for (const std::string& row : names) readable = readable && row != name;
    for (size_t p = 0; p < o; ++p) readable = readable && outgroup[p]->getName() != name;
    readable = readable && outgroup[o]->size() == nb_sites &&
               mrv::sameAlphabetType(outgroup[o]->getAlphabet(), ingroup.alphabet());
  }
  if (!readable) merged();
  // Ingroup flags of the rows, then the outgroup's; the merged sites: each site's row codes, then
  // the outgroup codes.
  std::vector<char> rows(ingroup.ingroup_flags());
  rows.resize(n, 0);
  mrv::Workspace::Lease<int> codes_store(&engine.workspace());
  std::vector<int>& codes = *codes_store;
  if (readable) {
    codes.resize(n * nb_sites);
    for (size_t s = 0; s < nb_sites; ++s) {
      std::copy(ingroup.site(s), ingroup.site(s) + nin, codes.data() + s * n);
      for (size_t o = 0; o < nout; ++o) codes[s * n + nin + o] = (*outgroup[o])[s];
    }
  }
  const mrv::CodonColumns columns(codes.data(), n, readable ? nb_sites : 0, ingroup.alphabet(), &engine.workspace());
  const double ratio = static_cast<double>(kappa);
  const double non_synonymous_sites = engine.mean_non_synonymous_sites(columns, merged, ratio);
  const double synonymous_sites = engine.mean_synonymous_sites(columns, merged, ratio);
  const std::vector<mrv::StatisticsEngine::Table> tables =
      engine.mcdonald_kreitman_tables(columns, rows, merged, {0.0, 0.2});
  mrv::storeAnalysis(store, tables, non_synonymous_sites, synonymous_sites, debug);
}

}  // namespace

void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, bpp::PolymorphismSequenceContainer* outgroup,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* codon_alphabet,
                              mrv::StatisticsEngine& engine, bool debug) {
  const mrv::ContigView view(*ingroup, codon_alphabet, codon_alphabet->getNucleicAlphabet(), &engine, false);
  // Copies: a container rebuilds the sequence it returns at each request.
  std::vector<std::unique_ptr<bpp::Sequence> > copies;
  std::vector<const bpp::Sequence*> sequences;
  for (size_t o = 0; o < outgroup->getNumberOfSequences(); ++o) {
    copies.emplace_back(outgroup->getSequence(o).clone());
    sequences.push_back(copies.back().get());
  }
  std::unique_ptr<bpp::PolymorphismSequenceContainer> merged;
  analyseMerged(
      view, sequences.data(), sequences.size(),
      [&]() -> const bpp::PolymorphismSequenceContainer& {
        if (!merged) merged = mrv::mergeIngroupAndOutgroup(*ingroup, *outgroup);
        return *merged;
      },
      store, kappa, engine, debug);
}

void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, bpp::PolymorphismSequenceContainer* outgroup,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* codon_alphabet,
                              const bpp::StandardGeneticCode* code, bool debug) {
  mrv::StatisticsEngine engine(*code);
  mcDonaldKreitmanAnalysis(ingroup, outgroup, store, kappa, codon_alphabet, engine, debug);
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
  // The one-sequence outgroup container refuses a consensus of another alphabet.
  if (!mrv::sameAlphabetType(outgroup_consensus->getAlphabet(), codon_alphabet)) library();
  analyseMerged(ingroup, &outgroup_consensus, 1, library, store, kappa, engine, debug);
}
