// The container forms of the contig analysis read the contig through its view: they print and store
// what the run's form does, on random contigs with an outgroup, debug lines and distances on.
#include <gtest/gtest.h>

#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>

#include <random>

#include "TestSupport.h"
#include "analysis/AlleleFrequencyClasses.h"
#include "analysis/ContigView.h"
#include "analysis/FocalSpeciesAnalysis.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/CompactContig.h"
#include "run/RunSequence.h"

namespace {

using testsupport::Lines;

// The console lines of `analyse` followed by the debug inventory of the store it returns.
Lines linesAndInventory(const std::function<ResultsWarehouse*()>& analyse, ParametersManagement* options,
                        mrv::Population* population, std::vector<double>& bounds) {
  std::unique_ptr<ResultsWarehouse> warehouse;
  Lines lines = testsupport::coutLines([&] { warehouse.reset(analyse()); });
  const Lines inventory = testsupport::coutLines(
      [&] { ResultsWarehouse::warehouseInventory(warehouse.get(), options, population, bounds); });
  lines.insert(lines.end(), inventory.begin(), inventory.end());
  return lines;
}

TEST(ContigAnalysis, ContainerFormsGiveWhatTheViewGives) {
  testsupport::Alphabets a;
  testsupport::TempDir dir;
  auto options = testsupport::options({"-alignment_file=" + dir.write("a.fas", ">c1|Sp|i0|allele_1\nATG\n"),
                                       "-ingroup=Sp", "-outgroup=Out", "-compute_distances=1", "-debug_mode=1"});
  auto population = testsupport::makePopulation("P1;i0;i1;i2\nP2;i3;i4;i5\n");
  std::vector<double> bounds = setAlleleFrequencyClass(options.get());
  mrv::StatisticsEngine engine(a.code);
  std::mt19937 rng(17);
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    testsupport::Records records = testsupport::randomContig(rng, 6, 15 + round);
    const size_t nin = records.size();
    for (auto& record : testsupport::randomContig(rng, 1 + round % 2, 15 + round))
      records.push_back({"c1|Out|o|allele_" + std::to_string(records.size()), record.second});
    auto contig = testsupport::makeContainer(a.codon, records);
    for (size_t i = nin; i < records.size(); ++i) {
      contig->setGroupId(i, 1);
      contig->setAsOutgroupMember(i);
    }
    const mrv::ContigView view(mrv::CompactContig(*contig), &a.codon, &a.nucleic, engine);
    auto dataset = [&](bool from_container) {
      return linesAndInventory(
          [&] {
            return from_container ? analyseDataset(options.get(), contig.get(), population.get(), &a.codon,
                                                   &a.nucleic, engine, bounds)
                                  : analyseDataset(options.get(), view, population.get(), engine, bounds);
          },
          options.get(), population.get(), bounds);
    };
    EXPECT_EQ(dataset(false), dataset(true));
    EXPECT_NE(dataset(true).size(), 0u);

    // The focal-species road alone, from the ingroup container and its consensus.
    std::unique_ptr<bpp::PolymorphismSequenceContainer> ingroup(
        bpp::PolymorphismSequenceContainerTools::extractIngroup(*contig));
    std::unique_ptr<bpp::Sequence> consensus(
        bpp::SiteContainerTools::getConsensus(*ingroup, "Ingroup_consensus", true, false));
    auto focal = [&](bool from_container) {
      return linesAndInventory(
          [&] {
            auto* warehouse = new ResultsWarehouse(population.get(), options->get_nb_gc_bin());
            auto* species = new SpeciesDataWarehouse();
            warehouse->store_species_data(species);
            if (from_container)
              analyseFocalSpecies(options.get(), ingroup.get(), consensus.get(), population.get(), &a.codon,
                                  &a.nucleic, engine, bounds, species, warehouse);
            else
              analyseFocalSpecies(options.get(), view, population.get(), engine, bounds, species, warehouse);
            return warehouse;
          },
          options.get(), population.get(), bounds);
    };
    EXPECT_EQ(focal(false), focal(true));
  }
}

}  // namespace
