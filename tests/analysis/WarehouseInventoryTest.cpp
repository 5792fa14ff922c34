#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"
#include "run/ParametersManagement.h"

using testsupport::splitLines;

namespace {

struct InventoryRun {
  testsupport::TempDir dir;
  std::unique_ptr<ParametersManagement> options;
  std::unique_ptr<mrv::Population> population;

  explicit InventoryRun(const std::string& population_text) {
    const std::string alignment = dir.write("a.fas", ">C1|Sp1|x|1\nAAA\n");
    std::vector<std::string> args = {"Selvantrix", "-alignment_file=" + alignment, "-ingroup=Sp1"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    testing::internal::CaptureStdout();
    options.reset(new ParametersManagement(3.0, "12-06-2013", static_cast<int>(argv.size()), argv.data()));
    testing::internal::GetCapturedStdout();
    population.reset(new mrv::Population(dir.write("pop.txt", population_text)));
  }

  std::vector<std::string> inventory(ResultsWarehouse& w, std::vector<double> bounds) {
    testing::internal::CaptureStdout();
    ResultsWarehouse::warehouseInventory(&w, options.get(), population.get(), bounds);
    return splitLines(testing::internal::GetCapturedStdout());
  }
};

const std::string kHashes(81, '#');

std::vector<std::string> banner() {
  return {"", kHashes, "#                              Warehouse Inventory                              #", kHashes, ""};
}

std::vector<std::string> ending() {
  return {"", kHashes, "#                           Warehouse Inventory - END                           #", kHashes, ""};
}

std::vector<std::string> join(std::vector<std::vector<std::string> > parts) {
  std::vector<std::string> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

}  // namespace

TEST(WarehouseInventory, OnePopulationEightClasses) {
  InventoryRun run("All_individuals;ind2;ind10\n");
  ResultsWarehouse w(run.population.get(), 8);
  w.set_name("Contig7");
  w.set_status("OK");
  auto* other = new SpeciesDataWarehouse();
  other->set_species_name("Sp2");
  auto* focal = new SpeciesDataWarehouse();
  focal->set_species_name("Sp1");
  focal->set_number_of_sequences(10);
  focal->set_number_of_sites(300);
  focal->set_number_of_complete_sites(280);
  focal->set_piN(0.00125);
  focal->set_piS(1.0 / 81.0);
  focal->set_WC84_Fit(0.5);
  focal->set_GC3(0.6);
  w.store_species_data(focal);
  w.store_species_data(other);
  w.set_specific_individual_heterozygosity("ind10", 0.25);
  w.set_specific_individual_heterozygosity("zed", 1e-05);
  w.increase_class(0, 3);
  w.increase_class(7, 1);
  w.set_nb_bi_allelic_SNP(4);
  w.set_nb_tri_allelic_SNP(1);
  std::vector<double> bounds;
  for (int k = 1; k <= 8; ++k) bounds.push_back(k * (1.0 / 8));

  const auto expected = join({banner(),
                              {"Content of the warehouse for dataset Contig7 (Status: OK):", "", " -- 1 species analysis -- ",
                               "", " -> Focal species Data:", "", "  --> Name: Sp1", "  --> Number of sequence: 10",
                               "  --> Number of site: 300", "  --> Number of complete site: 280", "  --> piN: 0.00125",
                               "  --> piS: 0.0123457", "  --> Fit: -999", "  --> WC84 Fit: 0.5", "  --> GC3: 0.6", "",
                               " -> Individual Heterozygosity:", "", "  --> H(ind10) = 0.25", "  --> H(ind2) = -999",
                               "  --> H(zed) = 1e-05", "", " -> GC frequencies:", "", "  --> Range [0 - 0.125]: 3",
                               "  --> Range [0.125 - 0.25]: 0", "  --> Range [0.25 - 0.375]: 0",
                               "  --> Range [0.375 - 0.5]: 0", "  --> Range [0.5 - 0.625]: 0",
                               "  --> Range [0.625 - 0.75]: 0", "  --> Range [0.75 - 0.875]: 0",
                               "  --> Range [0.875 - 1]: 1", "", " -> SNP data:", "", "  --> Bi-allelic SNP: 4",
                               "  --> Tri-allelic SNP: 1", "  --> Quadri-allelic SNP: 0", "", " -- 2 species analysis -- ",
                               "", " -> Selection indicators:", "", "  --> nN: -1", "  --> nS: -1", "  --> nbseq_div: 0",
                               "  --> nbsite_div: 0", "", " -> mcDonald-Kreitman Analysis:", "", "  --> FixN: -1",
                               "  --> FixS: -1", "  --> PolymN 0.0: -1", "  --> PolymS 0.0: -1", "  --> PolymN 0.2: -1",
                               "  --> PolymS 0.2: -1", "  --> MK_nN: -1", "  --> MK_nS: -1"},
                              ending()});
  EXPECT_EQ(run.inventory(w, bounds), expected);
}

TEST(WarehouseInventory, ThreePopulationsOneClassOutgroupValues) {
  InventoryRun run("A;x\nB;y\nC;z\n");
  ResultsWarehouse w(run.population.get(), 1);
  auto* focal = new SpeciesDataWarehouse();
  focal->set_species_name("Sp1");
  w.store_species_data(focal);
  w.set_specific_Fst(0, 1, 0.1);
  w.set_specific_Fst(1, 0, 7.0);  // the lower triangle is not shown
  w.set_specific_Fst(1, 2, 0.25);
  w.increase_class(0, 2);
  w.set_nN(12.5);
  w.set_nS(4);
  w.set_nb_sequences_in_consensus(2);
  w.set_nb_sites_in_consensus(99);
  w.set_fixN(3);
  w.set_fixS(0);
  w.set_polymN_0(5);
  w.set_polymS_0(6);
  w.set_polymN_02(1);
  w.set_polymS_02(2);
  w.set_MK_nN(200);
  w.set_MK_nS(60);

  const auto expected = join({banner(),
                              {"Content of the warehouse for dataset No_name (Status: Not_OK):", "",
                               " -- 1 species analysis -- ", "", " -> Focal species Data:", "", "  --> Name: Sp1",
                               "  --> Number of sequence: 0", "  --> Number of site: 0",
                               "  --> Number of complete site: 0", "  --> piN: -1", "  --> piS: -1", "  --> Fit: -999",
                               "  --> WC84 Fit: -999", "  --> GC3: 0", "", " -> Individual Heterozygosity:", "",
                               "  --> H(x) = -999", "  --> H(y) = -999", "  --> H(z) = -999", "", " -> Fst:", "",
                               "  --> Fst(A,B): 0.1", "  --> Fst(A,C): -999", "  --> Fst(B,C): 0.25", "",
                               " -> GC frequencies:", "", "  --> Range [0 - 1]: 2", "", " -> SNP data:", "",
                               "  --> Bi-allelic SNP: 0", "  --> Tri-allelic SNP: 0", "  --> Quadri-allelic SNP: 0", "",
                               " -- 2 species analysis -- ", "", " -> Selection indicators:", "", "  --> nN: 12.5",
                               "  --> nS: 4", "  --> nbseq_div: 2", "  --> nbsite_div: 99", "",
                               " -> mcDonald-Kreitman Analysis:", "", "  --> FixN: 3", "  --> FixS: 0",
                               "  --> PolymN 0.0: 5", "  --> PolymS 0.0: 6", "  --> PolymN 0.2: 1", "  --> PolymS 0.2: 2",
                               "  --> MK_nN: 200", "  --> MK_nS: 60"},
                              ending()});
  EXPECT_EQ(run.inventory(w, {1.0}), expected);

  // A warehouse without a record of the focal species shows an empty record.
  ResultsWarehouse bare(run.population.get(), 1);
  const auto lines = run.inventory(bare, {1.0});
  EXPECT_EQ(lines.at(11), "  --> Name: No_name");
  EXPECT_EQ(lines.size(), expected.size());
}
