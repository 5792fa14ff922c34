#include <gtest/gtest.h>

#include <stdexcept>

#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "core/ParametersManagement.h"

using testsupport::makePopulation;

namespace {

int destroyed = 0;
struct CountedDistance : mrv::DistanceBetweenIndividuals {
  CountedDistance(const std::string& a, const std::string& b, double d, int m) : DistanceBetweenIndividuals(a, b) {
    set_distance(d);
    set_nb_resolved_positions(m);
  }
  ~CountedDistance() override { ++destroyed; }
};

}  // namespace

TEST(ResultsWarehouse, DistanceObjectsHandedOverAreOwnedAndReplaced) {
  auto pop = makePopulation("P1;a;b\nP2;c\n");
  destroyed = 0;
  {
    ResultsWarehouse w(pop.get(), 8);
    w.set_specific_distance_object("a|b", new CountedDistance("a", "b", 0.25, 12));
    w.set_specific_distance_object("b|a", new CountedDistance("b", "a", 0.5, 3));
    w.set_specific_distance_object("b|a", new CountedDistance("b", "a", 0.75, 4));  // replaces
    const mrv::DistanceBetweenIndividuals* ba = w.get_specific_distance_object("b|a");
    EXPECT_EQ(ba->get_distance() * ba->get_nb_resolved_positions(), 0.75 * 4);
    EXPECT_EQ(w.get_specific_distance_object("a|b")->get_distance(), 0.25);
    // An individual of the contig that no population lists: the object itself is kept.
    auto* za = new CountedDistance("z", "a", 0.125, 8);
    w.set_specific_distance_object("z|a", za);
    EXPECT_EQ(w.get_specific_distance_object("z|a"), za);
    w.set_specific_distance_object("z|a", new CountedDistance("z", "a", 0.0, 1));
    EXPECT_EQ(destroyed, 2);  // the earlier objects are released
  }
  EXPECT_EQ(destroyed, 5);  // every object handed over is released exactly once
}

TEST(ResultsWarehouse, PairKeysOfNamesHoldingAPipe) {
  // "x|y|z" reads as (x|y, z) or as (x, y|z); the later pair in population order names it.
  auto pop = makePopulation("P;x|y;z;x;y|z\n");
  ResultsWarehouse w(pop.get(), 1);
  auto* o = w.get_specific_distance_object("x|y|z");
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->get_first_individual_name() + " " + o->get_second_individual_name(), "x y|z");
}

TEST(ResultsWarehouse, ClassesInRangeOnlyAndTheLastRecordOfASpecies) {
  auto pop = makePopulation("P1;b;a\nP2;c\n");
  ResultsWarehouse w(pop.get(), 8);
  w.increase_class(7, 5);
  EXPECT_EQ(w.get_GC_allele_frequency_classes(), (std::vector<double>{0, 0, 0, 0, 0, 0, 0, 5}));
  EXPECT_THROW(w.increase_class(8, 1), std::out_of_range);
  EXPECT_THROW(w.increase_class(-1, 1), std::out_of_range);
  EXPECT_THROW(w.get_specific_Fst(0, 2), std::out_of_range);
  EXPECT_EQ(w.get_specific_species_data("Sp1"), nullptr);
  std::vector<SpeciesDataWarehouse*> records;
  for (const char* species : {"Sp1", "Sp2", "Sp1"}) {
    records.push_back(new SpeciesDataWarehouse());
    records.back()->set_species_name(species);
    w.store_species_data(records.back());
  }
  EXPECT_EQ(w.get_specific_species_data("Sp1"), records[2]);
  EXPECT_EQ(w.get_specific_species_data("Sp2"), records[1]);
  EXPECT_EQ(w.get_specific_species_data("sp1"), nullptr);
}

TEST(ResultsWarehouse, DistanceTablesOfTheContigsIndividuals) {
  auto pop = testsupport::makePopulation("P1;a;b\nP2;c;d\n");
  ResultsWarehouse w(pop.get(), 1);
  // "b" twice (two allele pairs of one name): the later pair of a key wins; "q" is no population
  // individual; a name holding "|" cannot go to the table.
  w.set_distances({"b", "a", "b"}, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9}, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  w.set_specific_distance_object("a|a", new mrv::DistanceBetweenIndividuals("a", "a"));  // replaces the table's
  w.set_distances({"q", "c", "p|r"}, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9}, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  w.set_specific_distance_object("c|d", new mrv::DistanceBetweenIndividuals("c", "d"));
  w.set_distances({"d", "c"}, {0.25, 0.5, 0.75, 1.0}, {10, 20, 30, 40});  // replaces the object of c|d
  const struct {
    std::string key;
    bool held;
    double distance;
    int positions;
  } cases[] = {
      {"b|b", true, 0.9, 9}, {"b|a", true, 0.8, 8}, {"a|b", true, 0.6, 6},     {"a|a", true, -1.0, 0},
      {"q|c", true, 0.2, 2}, {"c|q", true, 0.4, 4}, {"q|p|r", true, 0.3, 3},   {"p|r|p|r", true, 0.9, 9},
      {"c|d", true, 0.75, 30}, {"d|d", true, 0.25, 10}, {"b|c", false, -1.0, 0}, {"c|b", false, -1.0, 0},
      {"q|d", false, -1.0, 0}, {"b", false, -1.0, 0},  {"|b", false, -1.0, 0},  {"b|b|", false, -1.0, 0},
  };
  // Objects are made once; "c|b" is a population pair never computed, "q|d" is none: a null entry.
  for (const auto& c : cases) {
    mrv::DistanceBetweenIndividuals* o = w.get_specific_distance_object(c.key);
    const bool population_pair = c.key == "b|c" || c.key == "c|b";
    ASSERT_EQ(o != nullptr, c.held || population_pair) << c.key;
    if (!o) continue;
    EXPECT_EQ(o->get_pair_name(), c.key);
    EXPECT_EQ(o->get_distance(), c.distance) << c.key;
    EXPECT_EQ(o->get_nb_resolved_positions(), c.positions) << c.key;
    EXPECT_EQ(w.get_specific_distance_object(c.key), o);
  }
}

TEST(ResultsWarehouse, EachWarehouseAnswersForItsOwnPopulation) {
  auto first = testsupport::makePopulation("P;a;b\n");
  auto second = testsupport::makePopulation("P;b;c\n");
  ResultsWarehouse w1(first.get(), 1), w2(second.get(), 1), w3(nullptr, 1);
  const struct {
    ResultsWarehouse* w;
    std::string individual;
    double heterozygosity;
    bool pair_object;  // of the self-pair
  } cases[] = {
      {&w1, "a", -999.0, true}, {&w1, "c", 0.0, false}, {&w2, "c", -999.0, true},
      {&w2, "a", 0.0, false},   {&w3, "a", 0.0, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.w->get_specific_individual_heterozygosity(c.individual), c.heterozygosity) << c.individual;
    EXPECT_EQ(c.w->get_specific_distance_object(c.individual + "|" + c.individual) != nullptr, c.pair_object);
  }
  EXPECT_EQ(w2.get_all_individual_heterozygosity(), (std::map<std::string, double>{{"a", 0}, {"b", -999}, {"c", -999}}));
  // Every pair of the population has its object (never computed: -1 over 0 positions), the null
  // entry of "c|c" entered above stays.
  std::string keys;
  for (const auto& entry : w1.get_all_distance_objects()) {
    keys += entry.first + (entry.second ? " " : "(null) ");
    if (entry.second) EXPECT_EQ(entry.second->get_distance() - entry.second->get_nb_resolved_positions(), -1.0);
  }
  EXPECT_EQ(keys, "a|a a|b b|a b|b c|c(null) ");
  EXPECT_TRUE(w3.get_all_Fst().empty());
}

// The debug inventory: the focal species' record (by name among others), individuals in name order,
// the upper triangle of Fst, the classes, the two-species values.
TEST(ResultsWarehouse, InventoryListsEveryStoredValue) {
  testsupport::TempDir dir;
  const auto options = testsupport::options({"-alignment_file=" + dir.write("a.fas", ">C1|Sp1|x|1\nAAA\n"), "-ingroup=Sp1"});
  const std::string hashes(81, '#');
  auto pop = makePopulation("A;x;ind10\nB;y\nC;z\n");
  ResultsWarehouse w(pop.get(), 2);
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
  w.store_species_data(other);
  w.store_species_data(focal);
  w.set_specific_individual_heterozygosity("ind10", 0.25);
  w.set_specific_individual_heterozygosity("zed", 1e-05);
  w.set_specific_Fst(0, 1, 0.1);
  w.set_specific_Fst(1, 0, 7.0);  // the lower triangle is not shown
  w.set_specific_Fst(1, 2, 0.25);
  w.increase_class(0, 3);
  w.increase_class(1, 1);
  w.set_nb_bi_allelic_SNP(4);
  w.set_nb_tri_allelic_SNP(1);
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
  const testsupport::Lines expected = {
      "", hashes, "#                              Warehouse Inventory                              #", hashes, "",
      "Content of the warehouse for dataset Contig7 (Status: OK):", "", " -- 1 species analysis -- ", "",
      " -> Focal species Data:", "", "  --> Name: Sp1", "  --> Number of sequence: 10", "  --> Number of site: 300",
      "  --> Number of complete site: 280", "  --> piN: 0.00125", "  --> piS: 0.0123457", "  --> Fit: -999",
      "  --> WC84 Fit: 0.5", "  --> GC3: 0.6", "", " -> Individual Heterozygosity:", "", "  --> H(ind10) = 0.25",
      "  --> H(x) = -999", "  --> H(y) = -999", "  --> H(z) = -999", "  --> H(zed) = 1e-05", "", " -> Fst:", "",
      "  --> Fst(A,B): 0.1", "  --> Fst(A,C): -999", "  --> Fst(B,C): 0.25", "", " -> GC frequencies:", "",
      "  --> Range [0 - 0.125]: 3", "  --> Range [0.125 - 1]: 1", "", " -> SNP data:", "", "  --> Bi-allelic SNP: 4",
      "  --> Tri-allelic SNP: 1", "  --> Quadri-allelic SNP: 0", "", " -- 2 species analysis -- ", "",
      " -> Selection indicators:", "", "  --> nN: 12.5", "  --> nS: 4", "  --> nbseq_div: 2", "  --> nbsite_div: 99", "",
      " -> mcDonald-Kreitman Analysis:", "", "  --> FixN: 3", "  --> FixS: 0", "  --> PolymN 0.0: 5",
      "  --> PolymS 0.0: 6", "  --> PolymN 0.2: 1", "  --> PolymS 0.2: 2", "  --> MK_nN: 200", "  --> MK_nS: 60", "",
      hashes, "#                           Warehouse Inventory - END                           #", hashes, ""};
  std::vector<double> bounds = {0.125, 1.0};
  EXPECT_EQ(testsupport::coutLines([&] { ResultsWarehouse::warehouseInventory(&w, options.get(), pop.get(), bounds); }),
            expected);
}
