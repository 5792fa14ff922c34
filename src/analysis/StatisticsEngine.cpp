#include "analysis/StatisticsEngine.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/Container/SiteContainerIterator.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>
#include <Bpp/Seq/GeneticCode/GeneticCode.h>
#include <Bpp/Seq/Sequence.h>
#include <Bpp/Seq/Site.h>

#include <memory>

namespace mrv {

// ---- The rules ----

double rescaledPi(double library_pi, size_t n) {
  if (n >= 3) library_pi = library_pi * static_cast<double>(n) / static_cast<double>(n - 1);
  return library_pi;
}

size_t clampedFixedCount(size_t library_count) { return library_count > 3 ? 0 : library_count; }

std::vector<int> outgroupSiteAsRead(const int* out, size_t nout, size_t nin, int consensus_out) {
  std::vector<int> site(out, out + nout);
  if (nout < nin) site.resize(nin, consensus_out);
  return site;
}

// ---- The engine ----

namespace {

using Container = bpp::PolymorphismSequenceContainer;

// Over the complete sites of a container, the library's per-site pi with rule 1.
double libraryPiSum(const Container& container, const bpp::GeneticCode& code, bool synonymous) {
  double sum = 0.0;
  bpp::CompleteSiteContainerIterator it(container);
  while (it.hasMoreSites()) {
    const bpp::Site* site = it.nextSite();
    const double pi = synonymous ? bpp::CodonSiteTools::piSynonymous(*site, code, false)
                                 : bpp::CodonSiteTools::piNonSynonymous(*site, code, false);
    sum += rescaledPi(pi, site->size());
  }
  return sum;
}

}  // namespace

StatisticsEngine::StatisticsEngine(const bpp::GeneticCode& code, Route route) : _tables(code), _route(route) {}

bool StatisticsEngine::reads_codes(const CodonColumns& columns) {
  return _route == Route::kOwnArithmetic && CodonSiteStatistics(columns, _tables).usable();
}

double StatisticsEngine::pi_sum(const CodonColumns& columns, const LibraryInput& library, bool synonymous) {
  if (!reads_codes(columns)) return libraryPiSum(library(), genetic_code(), synonymous);
  const CodonSiteStatistics statistics(columns, _tables);
  const size_t n = columns.nb_sequences();
  double sum = 0.0;
  for (size_t s = 0; s < columns.nb_sites(); ++s) {
    if (!columns.is_complete(s)) continue;
    sum += rescaledPi(synonymous ? statistics.pi_synonymous(s) : statistics.pi_non_synonymous(s), n);
  }
  return sum;
}

double StatisticsEngine::mean_synonymous_sites(const CodonColumns& columns, const LibraryInput& library,
                                               double ratio) {
  if (!reads_codes(columns))
    return bpp::SequenceStatistics::meanNumberOfSynonymousSites(library(), genetic_code(), ratio);
  return CodonSiteStatistics(columns, _tables).sum_of_mean_synonymous_positions(ratio);
}

double StatisticsEngine::mean_non_synonymous_sites(const CodonColumns& columns, const LibraryInput& library,
                                                   double ratio) {
  if (!reads_codes(columns))
    return bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(library(), genetic_code(), ratio);
  return CodonSiteStatistics(columns, _tables).mean_number_of_non_synonymous_sites(ratio);
}

unsigned int StatisticsEngine::synonymous_substitutions(const CodonColumns& columns, const LibraryInput& library,
                                                        double freqmin) {
  if (!reads_codes(columns))
    return bpp::SequenceStatistics::numberOfSynonymousSubstitutions(library(), genetic_code(), freqmin);
  return CodonSiteStatistics(columns, _tables).number_of_synonymous_substitutions(freqmin);
}

unsigned int StatisticsEngine::non_synonymous_substitutions(const CodonColumns& columns, const LibraryInput& library,
                                                            double freqmin) {
  if (!reads_codes(columns))
    return bpp::SequenceStatistics::numberOfNonSynonymousSubstitutions(library(), genetic_code(), freqmin);
  return CodonSiteStatistics(columns, _tables).number_of_non_synonymous_substitutions(freqmin);
}

size_t StatisticsEngine::complete_sites(const CodonColumns& columns, const LibraryInput& library) {
  return complete_sites(columns, library, _route);
}

size_t StatisticsEngine::complete_sites(const CodonColumns& columns, const LibraryInput& library, Route route) {
  // Counting complete sites needs no genetic code: the codes are read whenever they can be.
  if (route == Route::kOwnArithmetic && columns.usable()) return columns.nb_complete_sites();
  return bpp::PolymorphismSequenceContainerTools::getNumberOfCompleteSites(library(), false);
}

std::vector<StatisticsEngine::Table> StatisticsEngine::mcdonald_kreitman_tables(
    const CodonColumns& columns, const std::vector<char>& ingroup_row, const LibraryInput& merged,
    const std::vector<double>& frequencies) {
  const size_t n = columns.nb_sequences();
  size_t nin = 0;
  for (size_t q = 0; q < n && q < ingroup_row.size(); ++q) nin += ingroup_row[q] ? 1 : 0;
  const size_t nout = n - nin;
  const size_t nf = frequencies.size();
  size_t ds = 0, dn = 0;
  std::vector<Table> tables;
  if (reads_codes(columns) && ingroup_row.size() == n && nin > 0 && nout > 0) {
    // Only the complete sites count; a site adds its fixed differences and, when polymorphic in the
    // ingroup, its substitutions.
    const CodonSiteStatistics statistics(columns, _tables);
    std::vector<size_t> all(nf, 0), non_synonymous(nf, 0);
    std::vector<unsigned int> non_synonymous_sum(nf, 0);
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
          statistics.fixed_differences(in.data(), nin, out.data(), nout, CodonSiteStatistics::consensus(in.data(), nin),
                                       CodonSiteStatistics::consensus(out.data(), nout));
      ds += clampedFixedCount(v[0]);
      dn += clampedFixedCount(v[1]);
      if (CodonSiteStatistics::is_constant(in.data(), nin)) continue;  // no substitution at all
      for (size_t f = 0; f < nf; ++f) {
        const std::pair<size_t, size_t> counts = statistics.substitution_counts(in.data(), nin, frequencies[f]);
        all[f] += counts.first;
        non_synonymous[f] += counts.second;
        non_synonymous_sum[f] += static_cast<unsigned int>(counts.second);
      }
    }
    for (size_t f = 0; f < nf; ++f)
      tables.push_back({non_synonymous_sum[f], static_cast<unsigned int>(all[f] - non_synonymous[f]),
                        static_cast<unsigned int>(dn), static_cast<unsigned int>(ds)});
    return tables;
  }
  // The library's pipeline: the complete sites, their ingroup and outgroup parts and the consensus
  // of each part.
  using Tools = bpp::PolymorphismSequenceContainerTools;
  const bpp::GeneticCode& code = genetic_code();
  std::unique_ptr<Container> complete(Tools::getCompleteSites(merged()));
  std::unique_ptr<Container> in(Tools::extractIngroup(*complete));
  std::unique_ptr<Container> out(Tools::extractOutgroup(*complete));
  std::unique_ptr<bpp::Sequence> consensus_in(bpp::SiteContainerTools::getConsensus(*in, "consensusIn"));
  std::unique_ptr<bpp::Sequence> consensus_out(bpp::SiteContainerTools::getConsensus(*out, "consensusOut"));
  for (size_t k = 0; k < in->getNumberOfSites(); ++k) {
    const bpp::Site& in_site = in->getSite(k);
    const bpp::Site& out_site = out->getSite(k);
    const int consensus = consensus_out->getValue(k);
    const bpp::Site out_read(
        outgroupSiteAsRead(out_site.size() > 0 ? &out_site[0] : nullptr, out_site.size(), in_site.size(), consensus),
        out_site.getAlphabet());
    const std::vector<size_t> v =
        bpp::CodonSiteTools::fixedDifferences(in_site, out_read, consensus_in->getValue(k), consensus, code);
    ds += clampedFixedCount(v[0]);
    dn += clampedFixedCount(v[1]);
  }
  for (double f : frequencies)
    tables.push_back({bpp::SequenceStatistics::numberOfNonSynonymousSubstitutions(*in, code, f),
                      bpp::SequenceStatistics::numberOfSynonymousSubstitutions(*in, code, f),
                      static_cast<unsigned int>(dn), static_cast<unsigned int>(ds)});
  return tables;
}

std::vector<int> StatisticsEngine::consensus(const CodonColumns& columns, const LibraryInput& library) {
  if (_route == Route::kLibrary || !columns.usable()) {
    std::unique_ptr<bpp::Sequence> consensus(
        bpp::SiteContainerTools::getConsensus(library(), "consensus", true, false));
    std::vector<int> codons(consensus->size());
    for (size_t s = 0; s < codons.size(); ++s) codons[s] = (*consensus)[s];
    return codons;
  }
  std::vector<int> codons(columns.nb_sites());
  for (size_t s = 0; s < codons.size(); ++s)
    codons[s] = CodonSiteStatistics::consensus(columns.site(s), columns.nb_sequences());
  return codons;
}

}  // namespace mrv
