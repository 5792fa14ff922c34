#include "analysis/ContigView.h"

#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/Site.h>

#include "analysis/StatisticsEngine.h"
#include "input/CompactContig.h"
#include "input/PolymorphismSequenceContainerAddons.h"

namespace mrv {

namespace {

// A container of the given sequences (site-major codes, n per site), site by site, sites numbered from 1.
std::unique_ptr<bpp::PolymorphismSequenceContainer> containerOf(const std::vector<std::string>& names,
                                                                 const int* codes, size_t nb_sites,
                                                                 const bpp::Alphabet* alphabet) {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> container(
      new bpp::PolymorphismSequenceContainer(names, alphabet));
  const size_t n = names.size();
  for (size_t s = 0; s < nb_sites; ++s)
    container->addSite(bpp::Site(std::vector<int>(codes + s * n, codes + (s + 1) * n), alphabet,
                                 static_cast<int>(s + 1)),
                       false);
  return container;
}

// The consensus codons of site-major codes (n per site), through the engine.
std::vector<int> consensusOf(const std::vector<std::string>& names, const int* codes, size_t nb_sites,
                             const bpp::Alphabet* alphabet, StatisticsEngine& engine) {
  const CodonColumns columns(codes, names.size(), nb_sites, alphabet, &engine.workspace());
  std::unique_ptr<bpp::PolymorphismSequenceContainer> library;
  return engine.consensus(columns, [&]() -> const bpp::PolymorphismSequenceContainer& {
    if (!library) library = containerOf(names, codes, nb_sites, alphabet);
    return *library;
  });
}

}  // namespace

ContigView::ContigView(const CompactContig& contig, const bpp::CodonAlphabet* codon,
                       const bpp::NucleicAlphabet* nucleic, StatisticsEngine& engine)
    : _all_names(contig.names()),
      _all_groups(contig.groups()),
      _alphabet(codon),
      _codon(codon),
      _nucleic(nucleic),
      _nb_sites(contig.nb_sites()),
      _codes_store(&engine.workspace()) {
  const size_t n = contig.nb_sequences();
  std::vector<size_t> rows, outgroup;
  for (size_t i = 0; i < n; ++i) {
    if (contig.ingroup()[i]) rows.push_back(i);
    if (contig.groups()[i] == 1) outgroup.push_back(i);
  }
  for (size_t i : rows) {
    _names.push_back(_all_names[i]);
    _counts.push_back(contig.counts()[i]);
    _groups.push_back(contig.groups()[i]);
    _ingroup.push_back(contig.ingroup()[i]);
  }
  const size_t nr = rows.size();
  _codes.resize(nr * _nb_sites);
  for (size_t r = 0; r < nr; ++r) {
    const std::int8_t* row = contig.row(rows[r]);
    for (size_t s = 0; s < _nb_sites; ++s) _codes[s * nr + r] = row[s];
  }
  _finish(&engine.workspace());
  _ingroup_consensus = consensusOf(_names, _codes.data(), _nb_sites, _alphabet, engine);
  if (!outgroup.empty()) {
    std::vector<std::string> names;
    Workspace::Lease<int> codes_store(&engine.workspace());
    std::vector<int>& codes = *codes_store;
    const size_t no = outgroup.size();
    codes.resize(no * _nb_sites);
    for (size_t o = 0; o < no; ++o) {
      names.push_back(_all_names[outgroup[o]]);
      const std::int8_t* row = contig.row(outgroup[o]);
      for (size_t s = 0; s < _nb_sites; ++s) codes[s * no + o] = row[s];
    }
    _outgroup_consensus = consensusOf(names, codes.data(), _nb_sites, _alphabet, engine);
  }
}

ContigView::ContigView(const bpp::PolymorphismSequenceContainer& container, const bpp::CodonAlphabet* codon,
                       const bpp::NucleicAlphabet* nucleic, StatisticsEngine* engine, bool split_groups)
    : _all_names(container.getSequencesNames()),
      _alphabet(container.getAlphabet()),
      _codon(codon),
      _nucleic(nucleic),
      _nb_sites(container.getNumberOfSites()),
      _codes_store(engine ? &engine->workspace() : nullptr) {
  const size_t n = _all_names.size();
  std::vector<size_t> rows, outgroup;
  _all_groups.resize(n);
  for (size_t i = 0; i < n; ++i) {
    _all_groups[i] = static_cast<unsigned int>(container.getGroupId(i));
    if (!split_groups || container.isIngroupMember(i)) rows.push_back(i);
    if (split_groups && _all_groups[i] == 1) outgroup.push_back(i);
  }
  for (size_t i : rows) {
    _names.push_back(_all_names[i]);
    _counts.push_back(container.getSequenceCount(i));
    _groups.push_back(_all_groups[i]);
    _ingroup.push_back(container.isIngroupMember(i));
  }
  const size_t nr = rows.size();
  _codes.resize(nr * _nb_sites);
  for (size_t s = 0; s < _nb_sites; ++s) {
    const bpp::Site& site = container.getSite(s);
    if (site.size() < n)
      throw bpp::Exception("ContigView: site " + std::to_string(s) + " is shorter than the container");
    for (size_t r = 0; r < nr; ++r) _codes[s * nr + r] = site[rows[r]];
  }
  _finish(engine ? &engine->workspace() : nullptr);
  if (!engine || !split_groups) return;
  _ingroup_consensus = consensusOf(_names, _codes.data(), _nb_sites, _alphabet, *engine);
  if (!outgroup.empty()) {
    std::vector<std::string> names;
    std::vector<int> codes(outgroup.size() * _nb_sites);
    for (size_t o = 0; o < outgroup.size(); ++o) {
      names.push_back(_all_names[outgroup[o]]);
      for (size_t s = 0; s < _nb_sites; ++s) codes[s * outgroup.size() + o] = container.getSite(s)[outgroup[o]];
    }
    _outgroup_consensus = consensusOf(names, codes.data(), _nb_sites, _alphabet, *engine);
  }
}

void ContigView::_finish(Workspace* workspace) {
  _constant.resize(_nb_sites);
  for (size_t s = 0; s < _nb_sites; ++s) _constant[s] = CodonSiteStatistics::is_constant(site(s), nb_rows());
  _columns.reset(new CodonColumns(_codes.data(), nb_rows(), _nb_sites, _alphabet, workspace));
  _nucleotides.reset(new NucleotideRows(_codes.data(), nb_rows(), _nb_sites, _codon, _nucleic, workspace));
}

std::unique_ptr<bpp::PolymorphismSequenceContainer> ContigView::container() const {
  std::unique_ptr<bpp::PolymorphismSequenceContainer> c = containerOf(_names, _codes.data(), _nb_sites, _alphabet);
  setSequenceAttributes(*c, _counts, _groups, _ingroup);
  return c;
}

}  // namespace mrv
