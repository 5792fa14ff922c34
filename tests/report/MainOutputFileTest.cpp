// The main output table: the titles of its header and its rows, whole, in the stream's number format.
#include <cstdio>
#include <sstream>

#include "ReportTestSupport.h"
#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "report/MainOutputFile.h"

// Two rows: a contig with its ingroup record, heterozygosity and Fst set, and one with the outgroup
// counts set; what is not set shows its marker (-1, -999). With -debug_mode the header is echoed when it is written.
TEST(MainOutputFile, WholeFileWithAndWithoutHeader) {
  testsupport::TempDir dir;
  const std::string alignment = dir.write("seqs.fas", ">C1|Sp1|A|1\nAAA\n");
  const std::string population_file = dir.write("pop.txt", "P1;A;B\nP2;C\n"), out = dir.file("table.txt");
  mrv::Population population(population_file);
  std::vector<double> eight;
  for (int k = 1; k <= 8; ++k) eight.push_back(k * (1.0 / 8));
  ResultsWarehouse first(&population, 8), second(&population, 8);
  first.set_name("C1"), second.set_name("C2"), first.set_status("OK"), second.set_status("OK");
  auto* record = new SpeciesDataWarehouse();
  record->set_species_name("Sp1"), record->set_number_of_sequences(6), record->set_number_of_complete_sites(280);
  record->set_GC3(std::nan("")), record->set_piN(0.5), record->set_piS(1e-05), record->set_WC84_Fit(2e+06);
  first.store_species_data(record);
  first.set_specific_individual_heterozygosity("A", 0.5), first.set_specific_individual_heterozygosity("C", 1e-05);
  first.set_specific_Fst(0, 1, 2e+06), first.increase_class(0, 3);
  second.store_species_data(new SpeciesDataWarehouse());
  second.get_all_species_data()[0]->set_species_name("Sp1");
  second.set_nb_bi_allelic_SNP(9), second.set_nb_tri_allelic_SNP(10), second.set_nb_quadri_allelic_SNP(11);
  second.set_nN(123.456789), second.set_nS(0.25), second.increase_class(7, 2);
  int k = 0;
  for (auto setter : {&ResultsWarehouse::set_fixN, &ResultsWarehouse::set_fixS, &ResultsWarehouse::set_polymN_0,
                      &ResultsWarehouse::set_polymS_0, &ResultsWarehouse::set_polymN_02, &ResultsWarehouse::set_polymS_02,
                      &ResultsWarehouse::set_MK_nN, &ResultsWarehouse::set_MK_nS})
    (second.*setter)(++k);
  std::vector<ResultsWarehouse*> warehouses = {&first, &second};
  char nan[16];
  std::snprintf(nan, sizeof nan, "%g", std::nan(""));
  const std::string columns =
      "Contig_name\tStatus\tBiAllelic_SNP\tTriAllelic_SNP\tQuadriAllelic_SNP\tnN\tnS\tfixN\tfixS\tpolymN0.0\t"
      "polymS0.0\tpolymN0.2\tpolymS0.2\tMK_nN\tMK_nS\tGCalfreq<=0.125\tGCalfreq<=0.25\tGCalfreq<=0.375\t"
      "GCalfreq<=0.5\tGCalfreq<=0.625\tGCalfreq<=0.75\tGCalfreq<=0.875\tGCalfreq<=1\tSp1_nb_sequence\t"
      "Sp1_nb_complete_site\tSp1_GC3\tSp1_piN\tSp1_piS\tSp1_Fit\tSp1_WeirCockerham84_Fit\tH(A)\tH(B)\tH(C)\tFst(P1,P2)\t\n";
  const std::string rows =
      "C1\tOK\t0\t0\t0\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t3\t0\t0\t0\t0\t0\t0\t0\t6\t280\t" + std::string(nan) +
      "\t0.5\t1e-05\t-999\t2e+06\t0.5\t-999\t1e-05\t2e+06\t\n"
      "C2\tOK\t9\t10\t11\t123.457\t0.25\t1\t2\t3\t4\t5\t6\t7\t8\t0\t0\t0\t0\t0\t0\t0\t2\t0\t0\t0\t-1\t-1\t-999\t-999\t"
      "-999\t-999\t-999\t-999\t\n";
  for (bool header : {true, false}) {
    auto options = reporttest::options({"-alignment_file=" + alignment, "-ingroup=Sp1", "-out=" + out,
                                        "-population_file=" + population_file, "-debug_mode=true",
                                        std::string("-print_header=") + (header ? "true" : "false")});
    testing::internal::CaptureStdout();
    writeMainOutputFile(options.get(), warehouses, &population, eight);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "All results are now written into the following file: " + out + "\n\n" +
                  (header ? "(buildHeaderLine) Builded Header line:\n\n" + columns.substr(0, columns.size() - 1) + "\n\n" : ""));
    EXPECT_EQ(testsupport::readFile(out), (header ? columns : "") + rows);
  }
  // The one-line forms give the same header (echoed only with debug) and the same rows.
  for (bool debug : {true, false}) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(buildHeaderLine(&population, eight, "Sp1", debug) + "\n", columns);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              debug ? "(buildHeaderLine) Builded Header line:\n\n" + columns.substr(0, columns.size() - 1) + "\n\n" : "");
  }
  std::ostringstream written;
  for (ResultsWarehouse* warehouse : warehouses) writeUnitaryResultLine(written, warehouse, &population, "Sp1");
  EXPECT_EQ(written.str(), rows);
}
