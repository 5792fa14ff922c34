#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "TestSupport.h"
#include "WriterTestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "report/MainOutputFile.h"

using testsupport::readFile;
using testsupport::splitLines;
using testsupport::TempDir;

namespace {

std::vector<double> bounds(int n) {
  std::vector<double> b;
  for (int k = 1; k <= n; ++k) b.push_back(k * (1.0 / n));
  return b;
}

std::string nanText() {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%g", std::nan(""));
  return buffer;
}

const std::string kFixed =
    "Contig_name\tStatus\tBiAllelic_SNP\tTriAllelic_SNP\tQuadriAllelic_SNP\tnN\tnS\tfixN\tfixS\tpolymN0.0\t"
    "polymS0.0\tpolymN0.2\tpolymS0.2\tMK_nN\tMK_nS\t";
const std::string kEightClasses =
    "GCalfreq<=0.125\tGCalfreq<=0.25\tGCalfreq<=0.375\tGCalfreq<=0.5\tGCalfreq<=0.625\tGCalfreq<=0.75\t"
    "GCalfreq<=0.875\tGCalfreq<=1\t";
const std::string kSpecies =
    "Sp1_nb_sequence\tSp1_nb_complete_site\tSp1_GC3\tSp1_piN\tSp1_piS\tSp1_Fit\tSp1_WeirCockerham84_Fit\t";

}  // namespace

TEST(MainOutputFile, HeaderTitles) {
  TempDir dir;
  mrv::Population two(dir.write("two.txt", "P1;A;B\nP2;C\n"));
  auto eight = bounds(8);
  testing::internal::CaptureStdout();
  const std::string header = buildHeaderLine(&two, eight, "Sp1", true);
  const std::string echo = testing::internal::GetCapturedStdout();
  EXPECT_EQ(header, kFixed + kEightClasses + kSpecies + "H(A)\tH(B)\tH(C)\tFst(P1,P2)\t");
  EXPECT_EQ(std::count(header.begin(), header.end(), '\t'), 34);
  EXPECT_EQ(echo, "(buildHeaderLine) Builded Header line:\n\n" + header + "\n\n");

  mrv::Population one(dir.write("one.txt", "All_individuals;x;y\n"));
  auto three = bounds(3);
  testing::internal::CaptureStdout();
  EXPECT_EQ(buildHeaderLine(&one, three, "S", false),
            kFixed + "GCalfreq<=0.333333\tGCalfreq<=0.666667\tGCalfreq<=1\tS_nb_sequence\tS_nb_complete_site\tS_GC3\t"
                     "S_piN\tS_piS\tS_Fit\tS_WeirCockerham84_Fit\tH(x)\tH(y)\t");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  mrv::Population none(dir.write("none.txt", ""));
  EXPECT_EQ(buildHeaderLine(&none, eight, "Sp1", false), kFixed + kEightClasses + kSpecies);
}

TEST(MainOutputFile, FileWithRowsAndNumberFormats) {
  TempDir dir;
  const std::string alignment = dir.write("seqs.fas", ">C1|Sp1|A|1\nAAA\n");
  const std::string population_file = dir.write("pop.txt", "P1;A;B\nP2;C\n");
  const std::string out = dir.file("table.txt");
  mrv::Population population(population_file);
  auto eight = bounds(8);

  ResultsWarehouse first(&population, 8);
  first.set_name("C1");
  first.set_status("OK");
  auto* record = new SpeciesDataWarehouse();
  record->set_species_name("Sp1");
  record->set_number_of_sequences(6);
  record->set_number_of_complete_sites(280);
  record->set_GC3(std::nan(""));
  record->set_piN(0.5);
  record->set_piS(1e-05);
  record->set_WC84_Fit(2e+06);
  first.store_species_data(record);
  first.set_specific_individual_heterozygosity("A", 0.5);
  first.set_specific_individual_heterozygosity("C", 1e-05);
  first.set_specific_Fst(0, 1, 2e+06);
  first.increase_class(0, 3);

  ResultsWarehouse second(&population, 8);
  second.set_name("C2");
  second.set_status("OK");
  auto* record2 = new SpeciesDataWarehouse();
  record2->set_species_name("Sp1");
  second.store_species_data(record2);
  second.set_nb_bi_allelic_SNP(9);
  second.set_nb_tri_allelic_SNP(10);
  second.set_nb_quadri_allelic_SNP(11);
  second.set_nN(123.456789);
  second.set_nS(0.25);
  const std::vector<void (ResultsWarehouse::*)(int)> setters = {
      &ResultsWarehouse::set_fixN,      &ResultsWarehouse::set_fixS,      &ResultsWarehouse::set_polymN_0,
      &ResultsWarehouse::set_polymS_0,  &ResultsWarehouse::set_polymN_02, &ResultsWarehouse::set_polymS_02,
      &ResultsWarehouse::set_MK_nN,     &ResultsWarehouse::set_MK_nS};
  for (size_t k = 0; k < setters.size(); ++k) (second.*setters[k])(static_cast<int>(k + 1));
  second.increase_class(7, 2);

  std::vector<ResultsWarehouse*> warehouses = {&first, &second};
  const std::string row1 = "C1\tOK\t0\t0\t0\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t-1\t3\t0\t0\t0\t0\t0\t0\t0\t6\t280\t" +
                           nanText() + "\t0.5\t1e-05\t-999\t2e+06\t0.5\t-999\t1e-05\t2e+06\t";
  const std::string row2 =
      "C2\tOK\t9\t10\t11\t123.457\t0.25\t1\t2\t3\t4\t5\t6\t7\t8\t0\t0\t0\t0\t0\t0\t0\t2\t0\t0\t0\t-1\t-1\t-999\t-999\t"
      "-999\t-999\t-999\t-999\t";

  for (bool header : {true, false}) {
    auto options = writertest::options({"-alignment_file=" + alignment, "-ingroup=Sp1", "-out=" + out,
                                        "-population_file=" + population_file, "-debug_mode=true",
                                        std::string("-print_header=") + (header ? "true" : "false")});
    testing::internal::CaptureStdout();
    writeMainOutputFile(options.get(), warehouses, &population, eight);
    const std::string console = testing::internal::GetCapturedStdout();
    const auto lines = splitLines(readFile(out));
    std::vector<std::string> expected = {row1, row2};
    if (header) expected.insert(expected.begin(), kFixed + kEightClasses + kSpecies + "H(A)\tH(B)\tH(C)\tFst(P1,P2)\t");
    EXPECT_EQ(lines, expected);
    for (const auto& line : lines) EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 34);
    const std::string announce = "All results are now written into the following file: " + out + "\n\n";
    EXPECT_EQ(console.substr(0, announce.size()), announce);
    EXPECT_EQ(console.find("(buildHeaderLine)") != std::string::npos, header);
  }
}
