#pragma once
// The values of one species in one contig. Starting values mark a value as not computed.
#include <string>

class SpeciesDataWarehouse {
 public:
  SpeciesDataWarehouse();
  virtual ~SpeciesDataWarehouse();

  void set_species_name(std::string value) { _species_name = value; }
  void set_number_of_sequences(unsigned int value) { _number_of_sequences = value; }
  void set_number_of_sites(unsigned int value) { _number_of_sites = value; }
  void set_number_of_complete_sites(unsigned int value) { _number_of_complete_sites = value; }
  void set_GC3(double value) { _gc3 = value; }
  void set_piN(double value) { _piN = value; }
  void set_piS(double value) { _piS = value; }
  void set_Fit(double value) { _fit = value; }
  void set_WC84_total_B(double value) { _wc84_total_B = value; }
  void set_WC84_total_C(double value) { _wc84_total_C = value; }
  void set_WC84_Fit(double value) { _wc84_fit = value; }

  std::string get_species_name() const { return _species_name; }
  unsigned int get_number_of_sequences() const { return _number_of_sequences; }
  unsigned int get_number_of_sites() const { return _number_of_sites; }
  unsigned int get_number_of_complete_sites() const { return _number_of_complete_sites; }
  double get_GC3() const { return _gc3; }
  double get_piN() const { return _piN; }
  double get_piS() const { return _piS; }
  double get_Fit() const { return _fit; }
  double get_WC84_total_B() const { return _wc84_total_B; }
  double get_WC84_total_C() const { return _wc84_total_C; }
  double get_WC84_Fit() const { return _wc84_fit; }

 private:
  std::string _species_name;
  unsigned int _number_of_sequences;
  unsigned int _number_of_sites;
  unsigned int _number_of_complete_sites;  // the contig's weight in the summary
  double _gc3;
  double _piN;           // -1.0: not computed
  double _piS;           // -1.0: not computed
  double _fit;           // -999.0: not computed
  double _wc84_total_B;  // -999.0: not computed
  double _wc84_total_C;  // -999.0: not computed
  double _wc84_fit;      // -999.0: not computed
};
