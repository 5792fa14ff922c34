#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "TestSupport.h"
#include "analysis/ResultsWarehouse.h"
#include "input/Population.h"

namespace {

std::unique_ptr<mrv::Population> populationFile(const std::string& content) {
  testsupport::TempDir dir;
  return std::unique_ptr<mrv::Population>(new mrv::Population(dir.write("pop.txt", content)));
}

int destroyed = 0;
struct CountedDistance : mrv::DistanceBetweenIndividuals {
  CountedDistance(const std::string& a, const std::string& b, double d, int m) : DistanceBetweenIndividuals(a, b) {
    set_distance(d);
    set_nb_resolved_positions(m);
  }
  ~CountedDistance() override { ++destroyed; }
};

}  // namespace

TEST(ResultsWarehouse, NewWarehouseForTwoPopulations) {
  auto pop = populationFile("P1;a;b;c\nP2;d;e\n");
  ResultsWarehouse w(pop.get(), 8);
  EXPECT_EQ(w.get_all_Fst(), std::vector<std::vector<double> >(2, std::vector<double>(2, -999.0)));
  EXPECT_EQ(w.get_GC_allele_frequency_classes(), std::vector<double>(8, 0.0));
  const auto h = w.get_all_individual_heterozygosity();
  EXPECT_EQ(h, (std::map<std::string, double>{{"a", -999}, {"b", -999}, {"c", -999}, {"d", -999}, {"e", -999}}));

  double d = 0;
  int m = 7;
  EXPECT_FALSE(w.find_distance("a|a", d, m));  // reads the default, creates nothing
  EXPECT_EQ(d + m, -1.0);
  auto* aa = w.get_specific_distance_object("a|a");
  ASSERT_NE(aa, nullptr);
  EXPECT_EQ(w.get_specific_distance_object("a|a"), aa);  // the same object on later requests
  const auto all = w.get_all_distance_objects();
  EXPECT_EQ(all.size(), 25u);
  for (const auto& entry : all) {
    ASSERT_NE(entry.second, nullptr) << entry.first;
    EXPECT_EQ(entry.second->get_pair_name(), entry.first);
    EXPECT_EQ(entry.second->get_distance(), -1.0);
    EXPECT_EQ(entry.second->get_nb_resolved_positions(), 0);
  }
  EXPECT_EQ(all.at("e|d")->get_first_individual_name() + all.at("e|d")->get_second_individual_name(), "ed");
  auto one = populationFile("All;x;y\n");
  ResultsWarehouse w1(one.get(), 1);
  EXPECT_EQ(w1.get_all_Fst(), std::vector<std::vector<double> >(1, std::vector<double>(1, -999.0)));
}

TEST(ResultsWarehouse, ComputedDistancesAndOtherKeys) {
  auto pop = populationFile("P1;a;b\nP2;c\n");
  destroyed = 0;
  {
    ResultsWarehouse w(pop.get(), 8);
    w.set_specific_distance_object("a|b", new CountedDistance("a", "b", 0.25, 12));
    w.set_specific_distance_object("b|a", new CountedDistance("b", "a", 0.5, 3));
    w.set_specific_distance_object("b|a", new CountedDistance("b", "a", 0.75, 4));  // replaces
    double d = 0;
    int m = 0;
    EXPECT_TRUE(w.find_distance("b|a", d, m));
    EXPECT_EQ(d * m, 0.75 * 4);
    EXPECT_FALSE(w.find_distance("a|c", d, m));
    EXPECT_EQ(d, -1.0);
    auto* ab = w.get_specific_distance_object("a|b");
    ASSERT_NE(ab, nullptr);
    EXPECT_EQ(ab->get_distance(), 0.25);
    EXPECT_EQ(ab->get_nb_resolved_positions(), 12);
    EXPECT_EQ(w.get_specific_distance_object("c|c")->get_distance(), -1.0);

    // An individual of the contig that no population lists: the object itself is kept.
    auto* zz = new CountedDistance("z", "a", 0.125, 8);
    w.set_specific_distance_object("z|a", zz);
    EXPECT_EQ(w.get_specific_distance_object("z|a"), zz);
    EXPECT_TRUE(w.find_distance("z|a", d, m));
    EXPECT_EQ(d, 0.125);
    const int before = destroyed;
    w.set_specific_distance_object("z|a", new CountedDistance("z", "a", 0.0, 1));
    EXPECT_EQ(destroyed, before + 1);  // the earlier object is released

    // An absent key that is no population pair is entered with null.
    EXPECT_EQ(w.get_specific_distance_object("a|q"), nullptr);
    EXPECT_FALSE(w.find_distance("a|q", d, m));
    EXPECT_EQ(w.get_all_distance_objects().size(), 9u + 2u);
    EXPECT_EQ(w.get_all_distance_objects().at("a|q"), nullptr);
  }
  EXPECT_EQ(destroyed, 5);  // every object handed over is released exactly once
}

TEST(ResultsWarehouse, PairKeysOfNamesHoldingAPipe) {
  // "x|y|z" reads as (x|y, z) or as (x, y|z); the later pair in population order names it.
  auto pop = populationFile("P;x|y;z;x;y|z\n");
  ResultsWarehouse w(pop.get(), 1);
  auto* o = w.get_specific_distance_object("x|y|z");
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(o->get_first_individual_name(), "x");
  EXPECT_EQ(o->get_second_individual_name(), "y|z");
  EXPECT_EQ(w.get_all_distance_objects().size(), 15u);  // 16 pairs, two of which share a key
  w.set_specific_distance_object("z|x|y", new mrv::DistanceBetweenIndividuals("z", "x|y"));
  w.get_specific_distance_object("z|x|y")->set_distance(0.5);
  double d = 0;
  int m = 0;
  EXPECT_TRUE(w.find_distance("z|x|y", d, m));
  EXPECT_EQ(d, 0.5);
}

TEST(ResultsWarehouse, HeterozygosityClassesFstAndSpeciesRecords) {
  auto pop = populationFile("P1;b;a\nP2;c\n");
  ResultsWarehouse w(pop.get(), 8);
  w.set_specific_individual_heterozygosity("b", 0.5);
  EXPECT_EQ(w.get_specific_individual_heterozygosity("b"), 0.5);
  EXPECT_EQ(w.get_specific_individual_heterozygosity("a"), -999.0);
  EXPECT_EQ(w.get_specific_individual_heterozygosity("zz"), 0.0);  // entered from now on
  w.set_specific_individual_heterozygosity("outsider", 0.25);
  EXPECT_EQ(w.get_all_individual_heterozygosity(),
            (std::map<std::string, double>{{"a", -999}, {"b", 0.5}, {"c", -999}, {"outsider", 0.25}, {"zz", 0.0}}));

  w.increase_class(3, 1);
  w.increase_class(3, 1);
  w.increase_class(7, 5);
  EXPECT_EQ(w.get_GC_allele_frequency_classes(), (std::vector<double>{0, 0, 0, 2, 0, 0, 0, 5}));
  EXPECT_THROW(w.increase_class(8, 1), std::out_of_range);
  EXPECT_THROW(w.increase_class(-1, 1), std::out_of_range);

  w.set_specific_Fst(0, 1, 0.3);
  w.set_specific_Fst(1, 0, 0.3);
  EXPECT_EQ(w.get_all_Fst(), (std::vector<std::vector<double> >{{-999, 0.3}, {0.3, -999}}));
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
  auto pop = populationFile("P1;a;b\nP2;c;d\n");
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
  for (const auto& c : cases) {
    double d = 7;
    int m = 7;
    EXPECT_EQ(w.find_distance(c.key, d, m), c.held) << c.key;
    EXPECT_EQ(d, c.distance) << c.key;
    EXPECT_EQ(m, c.positions) << c.key;
  }
  // Objects answer the same, made once; "c|b" is a population pair never computed, "q|d" is none.
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
  // Every population pair (16), the table's pairs with q (3) and the pairs with p|r (5).
  const auto all = w.get_all_distance_objects();
  for (const char* key : {"a|d", "d|a", "q|q", "c|q", "q|p|r", "p|r|c"}) EXPECT_NE(all.at(key), nullptr) << key;
  EXPECT_EQ(all.at("q|c")->get_distance(), 0.2);
  size_t objects = 0;
  for (const auto& entry : all) objects += entry.second != nullptr;
  EXPECT_EQ(objects, 16u + 3u + 5u);
}

TEST(ResultsWarehouse, EachWarehouseAnswersForItsOwnPopulation) {
  auto first = populationFile("P;a;b\n");
  auto second = populationFile("P;b;c\n");
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
  EXPECT_TRUE(w3.get_all_Fst().empty());
}
