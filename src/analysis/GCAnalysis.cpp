#include "analysis/GCAnalysis.h"

#include <Bpp/Exceptions.h>
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/CodonAlphabet.h>
#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/GeneticCode/GeneticCode.h>
#include <Bpp/Seq/Site.h>

#include "analysis/AlleleFrequency.h"
#include "analysis/CodonSiteStatistics.h"
#include "analysis/ContigView.h"
#include "analysis/NucleotideRows.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/StatisticsEngine.h"

void replaceUnresolvedCharInCodonSite(bpp::Site& site, const bpp::CodonAlphabet* codonAlphabet, unsigned int count,
                                      unsigned int reference) {
  const size_t size = site.size();
  if (count > size)  // refused before anything is changed
    throw bpp::IndexOutOfBoundsException("replaceUnresolvedCharInCodonSite: sequence", count - 1, 0, size - 1);
  for (unsigned int i = 0; i < count; ++i) {
    if (!codonAlphabet->isUnresolved(site[i])) continue;
    if (reference >= size)
      throw bpp::IndexOutOfBoundsException("replaceUnresolvedCharInCodonSite: reference", reference, 0, size - 1);
    site[i] = site[reference];
  }
}

bool isSynonymousSite(bpp::Site& site, unsigned int count, const bpp::CodonAlphabet* codonAlphabet,
                      const bpp::GeneticCode* geneticCode, int reference) {
  replaceUnresolvedCharInCodonSite(site, codonAlphabet, count, static_cast<unsigned int>(reference));
  return bpp::CodonSiteTools::numberOfNonSynonymousSubstitutions(site, *geneticCode, 0.0) == 0;
}

namespace {

// Counts the GC allele frequency of a bi-allelic position in the first class whose upper bound is
// not below it; a frequency above the last bound changes no class.
void addToGCClass(mrv::AlleleFrequency& alleles, const std::vector<double>& classBounds, ResultsWarehouse* results) {
  alleles.determine_GC_frequencies();
  const double frequency = alleles.get_GC_relative_frequency();
  for (size_t c = 0; c < classBounds.size(); ++c) {
    if (classBounds[c] >= frequency) {
      results->increase_class(static_cast<int>(c), 1);
      return;
    }
  }
}

}  // namespace

void nonOrientedGCAnalysis(bpp::PolymorphismSequenceContainer* ingroup, std::vector<double> classBounds,
                           ResultsWarehouse* results, const bpp::CodonAlphabet* codonAlphabet,
                           const bpp::NucleicAlphabet* nucleicAlphabet, mrv::StatisticsEngine& engine) {
  const mrv::ContigView view(*ingroup, codonAlphabet, nucleicAlphabet, &engine, false);
  nonOrientedGCAnalysis(view, classBounds, results, engine);
}

void nonOrientedGCAnalysis(const mrv::ContigView& view, const std::vector<double>& classBounds,
                           ResultsWarehouse* results, mrv::StatisticsEngine& engine) {
  const bpp::CodonAlphabet* codonAlphabet = view.codon_alphabet();
  const bpp::GeneticCode* geneticCode = &engine.genetic_code();
  unsigned int bi = 0;
  unsigned int tri = 0;
  unsigned int quadri = 0;
  const mrv::NucleotideRows& rows = view.nucleotides();
  const unsigned int nbSequences = static_cast<unsigned int>(view.nb_rows());
  const size_t nbSites = rows.get_nb_sites();
  const size_t nbRows = rows.get_nb_rows();
  const mrv::ResolvedNucleotides& resolved = rows.resolved();
  // The substitution counts of a site read from its codes (the library's own counts) when the engine
  // reads them.
  const mrv::CodonColumns& codons = view.columns();
  const mrv::CodonSiteStatistics statistics(codons, engine.tables());
  const bool ownCounts = engine.reads_codes(codons) && nbSequences == codons.nb_sequences();
  std::vector<int> replaced(nbSequences);
  const bool byCodon = codons.usable() && codons.nb_sites() == nbSites && codons.nb_sequences() == nbRows;
  for (size_t s = 0; s < nbSites; ++s) {
    // One codon in every sequence: one nucleotide at each of its positions.
    if (byCodon && view.constant_site(s)) continue;
    for (size_t k = 0; k < 3; ++k) {
      const size_t position = 3 * s + k;
      // A position with at most one resolved nucleotide value has at most one allele: nothing counted.
      {
        size_t r = 0;
        while (r < nbRows && !resolved(rows.row(r)[position])) ++r;
        bool single = true;
        if (r < nbRows) {
          const int8_t first = rows.row(r)[position];
          for (++r; r < nbRows && single; ++r) {
            const int8_t a = rows.row(r)[position];
            single = a == first || !resolved(a);
          }
        }
        if (single) continue;
      }
      mrv::AlleleFrequency alleles(rows, position);
      if (alleles.is_bi_allelic()) {
        const int reference = alleles.get_allele_2_rank();
        if (ownCounts) {
          // The unresolved codons replaced by the reference's, as on the site copy below.
          const int* codes = codons.site(s);
          for (unsigned int i = 0; i < nbSequences; ++i)
            replaced[i] = codonAlphabet->isUnresolved(codes[i]) ? codes[static_cast<size_t>(reference)] : codes[i];
          if (statistics.all_sense(replaced.data(), nbSequences)) {
            const std::pair<size_t, size_t> counts = statistics.substitution_counts(replaced.data(), nbSequences, 0.0);
            bi += 1;
            if (counts.first == 1 && counts.second == 0) {
              addToGCClass(alleles, classBounds, results);
            }
            continue;
          }
        }
        const int* codes = view.site(s);
        bpp::Site copy(std::vector<int>(codes, codes + nbSequences), view.alphabet());
        replaceUnresolvedCharInCodonSite(copy, codonAlphabet, nbSequences, static_cast<unsigned int>(reference));
        const size_t substitutions = bpp::CodonSiteTools::numberOfSubstitutions(copy, *geneticCode, 0.0);
        bi += 1;
        if (substitutions == 1 && isSynonymousSite(copy, nbSequences, codonAlphabet, geneticCode, reference)) {
          addToGCClass(alleles, classBounds, results);
        }
      } else if (alleles.get_number_of_allele() == 3) {
        tri += 1;
      } else if (alleles.get_number_of_allele() == 4) {
        quadri += 1;
      }
    }
  }
  results->set_nb_bi_allelic_SNP(bi);
  results->set_nb_tri_allelic_SNP(tri);
  results->set_nb_quadri_allelic_SNP(quadri);
}
