#pragma once
// The values of one species in one contig. Starting values mark a value as not computed.
#include <string>

class SpeciesDataWarehouse {
 public:
  SpeciesDataWarehouse();
  virtual ~SpeciesDataWarehouse();

  void set_species_name(std::string value) { species_name = value; }
  void set_number_of_sequences(unsigned int value) { number_of_sequences = value; }
  void set_number_of_sites(unsigned int value) { number_of_sites = value; }
  void set_number_of_complete_sites(unsigned int value) { number_of_complete_sites = value; }
  void set_GC3(double value) { GC3 = value; }
  void set_piN(double value) { piN = value; }
  void set_piS(double value) { piS = value; }
  void set_Fit(double value) { Fit = value; }
  void set_WC84_total_B(double value) { WC84_total_B = value; }
  void set_WC84_total_C(double value) { WC84_total_C = value; }
  void set_WC84_Fit(double value) { WC84_Fit = value; }

  std::string get_species_name() const { return species_name; }
  unsigned int get_number_of_sequences() const { return number_of_sequences; }
  unsigned int get_number_of_sites() const { return number_of_sites; }
  unsigned int get_number_of_complete_sites() const { return number_of_complete_sites; }
  double get_GC3() const { return GC3; }
  double get_piN() const { return piN; }
  double get_piS() const { return piS; }
  double get_Fit() const { return Fit; }
  double get_WC84_total_B() const { return WC84_total_B; }
  double get_WC84_total_C() const { return WC84_total_C; }
  double get_WC84_Fit() const { return WC84_Fit; }

 private:
  std::string species_name;
  unsigned int number_of_sequences;
  unsigned int number_of_sites;
  unsigned int number_of_complete_sites;  // the contig's weight in the summary
  double GC3;
  double piN;           // -1.0: not computed
  double piS;           // -1.0: not computed
  double Fit;           // -999.0: not computed
  double WC84_total_B;  // -999.0: not computed
  double WC84_total_C;  // -999.0: not computed
  double WC84_Fit;      // -999.0: not computed
};
