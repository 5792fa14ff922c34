#include "analysis/McDonaldKreitman.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>
#include <Bpp/Seq/GeneticCode/StandardGeneticCode.h>
#include <Bpp/Seq/Sequence.h>

#include <climits>
#include <cmath>
#include <iostream>
#include <string>

#include "analysis/ResultsWarehouse.h"

namespace mrv {

namespace {

// A codon has three positions: a larger per-site count went below zero.
size_t clampSiteCount(size_t count) { return count > 3 ? 0 : count; }

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

std::vector<std::vector<unsigned int> > mcDonaldKreitmanTables(const bpp::PolymorphismSequenceContainer& merged,
                                                               const bpp::GeneticCode& genetic_code,
                                                               const std::vector<double>& minimum_frequencies) {
  using Tools = bpp::PolymorphismSequenceContainerTools;
  std::unique_ptr<bpp::PolymorphismSequenceContainer> complete(Tools::getCompleteSites(merged));
  std::unique_ptr<bpp::PolymorphismSequenceContainer> in(Tools::extractIngroup(*complete));
  std::unique_ptr<bpp::PolymorphismSequenceContainer> out(Tools::extractOutgroup(*complete));
  std::unique_ptr<bpp::Sequence> consensus_in(bpp::SiteContainerTools::getConsensus(*in, "consensusIn"));
  std::unique_ptr<bpp::Sequence> consensus_out(bpp::SiteContainerTools::getConsensus(*out, "consensusOut"));

  size_t ds = 0, dn = 0;
  for (size_t k = 0; k < in->getNumberOfSites(); ++k) {
    const std::vector<size_t> v = bpp::CodonSiteTools::fixedDifferences(
        in->getSite(k), out->getSite(k), consensus_in->getValue(k), consensus_out->getValue(k), genetic_code);
    ds += clampSiteCount(v[0]);
    dn += clampSiteCount(v[1]);
  }

  std::vector<std::vector<unsigned int> > tables;
  for (double f : minimum_frequencies) {
    tables.push_back({bpp::SequenceStatistics::numberOfNonSynonymousSubstitutions(*in, genetic_code, f),
                      bpp::SequenceStatistics::numberOfSynonymousSubstitutions(*in, genetic_code, f),
                      static_cast<unsigned int>(dn), static_cast<unsigned int>(ds)});
  }
  return tables;
}

std::vector<unsigned int> mcDonaldKreitmanTable(const bpp::PolymorphismSequenceContainer& ingroup,
                                                const bpp::PolymorphismSequenceContainer& outgroup,
                                                const bpp::GeneticCode& genetic_code, double minimum_frequency) {
  auto merged = mergeIngroupAndOutgroup(ingroup, outgroup);
  return mcDonaldKreitmanTables(*merged, genetic_code, {minimum_frequency}).front();
}

int truncateSiteNumber(double sites) {
  if (std::isnan(sites)) return 0;
  if (sites >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (sites <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(sites);
}

}  // namespace mrv

void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, bpp::PolymorphismSequenceContainer* outgroup,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* /*codon_alphabet*/,
                              bpp::StandardGeneticCode* genetic_code, bool debug) {
  auto merged = mrv::mergeIngroupAndOutgroup(*ingroup, *outgroup);
  const double ratio = static_cast<double>(kappa);
  const double non_synonymous_sites =
      bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(*merged, *genetic_code, ratio);
  const double synonymous_sites = bpp::SequenceStatistics::meanNumberOfSynonymousSites(*merged, *genetic_code, ratio);

  const auto tables = mrv::mcDonaldKreitmanTables(*merged, *genetic_code, {0.0, 0.2});
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
  store->set_MK_nN(mrv::truncateSiteNumber(non_synonymous_sites));
  store->set_MK_nS(mrv::truncateSiteNumber(synonymous_sites));
}
