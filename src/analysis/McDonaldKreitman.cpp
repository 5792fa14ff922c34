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
#include <set>
#include <string>

#include "analysis/CodonSiteStatistics.h"
#include "analysis/ResultsWarehouse.h"

namespace mrv {

namespace {

// A codon has three positions: a larger per-site count went below zero.
size_t clampSiteCount(size_t count) { return count > 3 ? 0 : count; }

// The tables as the library builds them, from a merged container.
std::vector<std::vector<unsigned int> > libraryTables(const bpp::PolymorphismSequenceContainer& merged,
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

// The same tables from the codes of the merged sites: the ingroup sequences are those flagged in
// `ingroup_row`, the others the outgroup. Only the complete sites count; a site adds its fixed
// differences and, when polymorphic in the ingroup, its substitutions. False (tables untouched)
// when the codes cannot be read here or a group is empty.
bool tablesFromCodes(const CodonColumns& columns, const std::vector<char>& ingroup_row,
                     const bpp::GeneticCode& genetic_code, const std::vector<double>& minimum_frequencies,
                     std::vector<std::vector<unsigned int> >& tables) {
  const CodonSiteStatistics statistics(columns, genetic_code);
  if (!statistics.usable()) return false;
  const size_t n = columns.nb_sequences();
  size_t nin = 0;
  for (size_t q = 0; q < n; ++q) nin += ingroup_row[q] ? 1 : 0;
  const size_t nout = n - nin;
  if (nin == 0 || nout == 0) return false;

  const size_t nf = minimum_frequencies.size();
  std::vector<size_t> all(nf, 0), non_synonymous(nf, 0);
  std::vector<unsigned int> non_synonymous_sum(nf, 0);
  size_t ds = 0, dn = 0;
  std::vector<int> in(nin), out(nout);
  for (size_t s = 0; s < columns.nb_sites(); ++s) {
    if (!columns.is_complete(s)) continue;
    const int* codes = columns.site(s);
    for (size_t q = 0, i = 0, o = 0; q < n; ++q) {
      if (ingroup_row[q])
        in[i++] = codes[q];
      else
        out[o++] = codes[q];
    }
    const std::vector<size_t> v =
        statistics.fixed_differences(codes, n, ingroup_row, in.data(), nin, out.data(), nout,
                                     CodonSiteStatistics::consensus(in.data(), nin),
                                     CodonSiteStatistics::consensus(out.data(), nout));
    ds += clampSiteCount(v[0]);
    dn += clampSiteCount(v[1]);
    if (CodonSiteStatistics::is_constant(in.data(), nin)) continue;  // no substitution at all
    for (size_t f = 0; f < nf; ++f) {
      const std::pair<size_t, size_t> counts = statistics.substitution_counts(in.data(), nin, minimum_frequencies[f]);
      const size_t na = counts.second;
      all[f] += counts.first;
      non_synonymous[f] += na;
      non_synonymous_sum[f] += static_cast<unsigned int>(na);
    }
  }
  tables.clear();
  for (size_t f = 0; f < nf; ++f)
    tables.push_back({non_synonymous_sum[f], static_cast<unsigned int>(all[f] - non_synonymous[f]),
                      static_cast<unsigned int>(dn), static_cast<unsigned int>(ds)});
  return true;
}

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

// The site numbers and the tables {0.0, 0.2} of the analysis from the codes of the merged sites;
// false when they cannot be read here.
bool analysisFromCodes(const CodonColumns& columns, const std::vector<char>& rows, const bpp::GeneticCode& genetic_code,
                       double ratio, double& non_synonymous_sites, double& synonymous_sites,
                       std::vector<std::vector<unsigned int> >& tables) {
  const CodonSiteStatistics statistics(columns, genetic_code);
  if (!statistics.usable() || !tablesFromCodes(columns, rows, genetic_code, {0.0, 0.2}, tables)) return false;
  non_synonymous_sites = statistics.mean_number_of_non_synonymous_sites(ratio);
  synonymous_sites = statistics.sum_of_mean_synonymous_positions(ratio);
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

std::vector<std::vector<unsigned int> > mcDonaldKreitmanTables(const bpp::PolymorphismSequenceContainer& merged,
                                                               const bpp::GeneticCode& genetic_code,
                                                               const std::vector<double>& minimum_frequencies) {
  const CodonColumns columns(merged);
  std::vector<char> rows(merged.getNumberOfSequences());
  for (size_t i = 0; i < rows.size(); ++i) rows[i] = merged.isIngroupMember(i) ? 1 : 0;
  std::vector<std::vector<unsigned int> > tables;
  if (tablesFromCodes(columns, rows, genetic_code, minimum_frequencies, tables)) return tables;
  return libraryTables(merged, genetic_code, minimum_frequencies);
}

std::vector<unsigned int> mcDonaldKreitmanTable(const bpp::PolymorphismSequenceContainer& ingroup,
                                                const bpp::PolymorphismSequenceContainer& outgroup,
                                                const bpp::GeneticCode& genetic_code, double minimum_frequency) {
  std::vector<char> rows;
  if (mergedRows(ingroup, outgroup.getSequencesNames(), rows)) {
    const CodonColumns columns(ingroup, outgroup);
    std::vector<std::vector<unsigned int> > tables;
    if (tablesFromCodes(columns, rows, genetic_code, {minimum_frequency}, tables)) return tables.front();
  }
  auto merged = mergeIngroupAndOutgroup(ingroup, outgroup);
  return libraryTables(*merged, genetic_code, {minimum_frequency}).front();
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
  const double ratio = static_cast<double>(kappa);
  double non_synonymous_sites = 0.0, synonymous_sites = 0.0;
  std::vector<std::vector<unsigned int> > tables;
  // The merged container is only put together when its sites cannot be read from the two groups.
  std::vector<char> rows;
  bool done = false;
  if (mrv::mergedRows(*ingroup, outgroup->getSequencesNames(), rows)) {
    const mrv::CodonColumns columns(*ingroup, *outgroup);
    done = mrv::analysisFromCodes(columns, rows, *genetic_code, ratio, non_synonymous_sites, synonymous_sites, tables);
  }
  if (!done) {
    auto merged = mrv::mergeIngroupAndOutgroup(*ingroup, *outgroup);
    non_synonymous_sites = bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(*merged, *genetic_code, ratio);
    synonymous_sites = bpp::SequenceStatistics::meanNumberOfSynonymousSites(*merged, *genetic_code, ratio);
    tables = mrv::libraryTables(*merged, *genetic_code, {0.0, 0.2});
  }
  mrv::storeAnalysis(store, tables, non_synonymous_sites, synonymous_sites, debug);
}

void mcDonaldKreitmanAnalysis(bpp::PolymorphismSequenceContainer* ingroup, const bpp::Sequence* outgroup_consensus,
                              ResultsWarehouse* store, unsigned int kappa, const bpp::CodonAlphabet* codon_alphabet,
                              bpp::StandardGeneticCode* genetic_code, bool debug) {
  std::vector<char> rows;
  if (mrv::sameAlphabetType(outgroup_consensus->getAlphabet(), codon_alphabet) &&
      mrv::mergedRows(*ingroup, {outgroup_consensus->getName()}, rows)) {
    const mrv::CodonColumns columns(*ingroup, *outgroup_consensus);
    std::vector<std::vector<unsigned int> > tables;
    double non_synonymous_sites = 0.0, synonymous_sites = 0.0;
    if (mrv::analysisFromCodes(columns, rows, *genetic_code, static_cast<double>(kappa), non_synonymous_sites,
                               synonymous_sites, tables)) {
      mrv::storeAnalysis(store, tables, non_synonymous_sites, synonymous_sites, debug);
      return;
    }
  }
  std::unique_ptr<bpp::PolymorphismSequenceContainer> outgroup(new bpp::PolymorphismSequenceContainer(codon_alphabet));
  outgroup->addSequenceWithFrequency(*outgroup_consensus, 1, true);
  mcDonaldKreitmanAnalysis(ingroup, outgroup.get(), store, kappa, codon_alphabet, genetic_code, debug);
}
