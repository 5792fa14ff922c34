// The per-contig values of the summary, copied out of the contigs' result stores.
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "input/Population.h"
#include "report/Summary.h"

#include <cmath>
#include <limits>

namespace {

// A double truncated toward zero into a 32-bit int; out-of-range values are clamped and NaN reads
// as the not-computed marker -1.
int truncateToInt(double value) {
  if (std::isnan(value)) return -1;
  if (value >= 2147483647.0) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

}  // namespace

void Summary::initial_data_extraction(std::vector<ResultsWarehouse*> warehouses, std::string ingroup_species_name,
                                      mrv::Population* population) {
  _total_SNP2 = 0;
  _total_SNP3 = 0;
  _total_SNP4 = 0;
  // A store without a record of the ingroup species reads as a fresh record: every value not computed.
  const SpeciesDataWarehouse not_computed;
  for (ResultsWarehouse* w : warehouses) {
    const SpeciesDataWarehouse* sd = w->get_specific_species_data(ingroup_species_name);
    if (sd == nullptr) sd = &not_computed;
    SummaryContigValues v;
    v.nb_bi_allelic_SNP = w->get_nb_bi_allelic_SNP();
    v.nb_tri_allelic_SNP = w->get_nb_tri_allelic_SNP();
    v.nb_quadri_allelic_SNP = w->get_nb_quadri_allelic_SNP();
    v.piS = sd->get_piS();
    v.piN = sd->get_piN();
    v.Fit = sd->get_Fit();
    v.number_of_complete_sites = sd->get_number_of_complete_sites();
    v.WC84_total_B = sd->get_WC84_total_B();
    v.WC84_total_C = sd->get_WC84_total_C();
    v.nN = w->get_nN();
    v.nS = w->get_nS();
    v.fixN = w->get_fixN();
    v.fixS = w->get_fixS();
    v.polymS_0 = w->get_polymS_0();
    v.polymN_0 = w->get_polymN_0();
    v.polymS_02 = w->get_polymS_02();
    v.polymN_02 = w->get_polymN_02();
    _append_contig(v);
    complex_data_extraction(w, population);
  }
}

void Summary::complex_data_extraction(ResultsWarehouse* warehouse, mrv::Population* population) {
  std::vector<double> heterozygosity;
  for (const std::string& name : population->get_all_individuals())
    heterozygosity.push_back(warehouse->get_specific_individual_heterozygosity(name));
  _contig_individual_heterozygosity.push_back(heterozygosity);

  std::vector<double> fst;
  const unsigned int n = population->get_number_of_population();
  if (n >= 2) {
    for (unsigned int i = 0; i + 1 < n; ++i)
      for (unsigned int j = i + 1; j < n; ++j) fst.push_back(warehouse->get_specific_Fst(i, j));
  }
  _contig_population_fst.push_back(fst);
}

void Summary::_append_contig(const SummaryContigValues& v) {
  _total_SNP2 += v.nb_bi_allelic_SNP;
  _total_SNP3 += v.nb_tri_allelic_SNP;
  _total_SNP4 += v.nb_quadri_allelic_SNP;
  _contig_piS.push_back(v.piS);
  _contig_piN.push_back(v.piN);
  _contig_Fit.push_back(v.Fit);
  _contig_complete_sites.push_back(static_cast<int>(v.number_of_complete_sites));
  _contig_WC84_total_B.push_back(v.WC84_total_B);
  _contig_WC84_total_C.push_back(v.WC84_total_C);
  _contig_nN.push_back(truncateToInt(v.nN));
  _contig_nS.push_back(truncateToInt(v.nS));
  _contig_fixN.push_back(v.fixN);
  _contig_fixS.push_back(v.fixS);
  _contig_polymS_0.push_back(v.polymS_0);
  _contig_polymN_0.push_back(v.polymN_0);
  _contig_polymS_02.push_back(v.polymS_02);
  _contig_polymN_02.push_back(v.polymN_02);
}
