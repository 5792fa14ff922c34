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

  // No pair is materialised by construction or by the non-inserting lookup.
  double d = 0;
  int m = 7;
  EXPECT_FALSE(w.find_distance("a|a", d, m));
  EXPECT_EQ(d, -1.0);
  EXPECT_EQ(m, 0);
  EXPECT_EQ(w.get_all_species_data().size(), 0u);

  auto* aa = w.get_specific_distance_object("a|a");
  ASSERT_NE(aa, nullptr);
  EXPECT_EQ(aa->get_pair_name(), "a|a");
  EXPECT_EQ(w.get_specific_distance_object("a|a"), aa);  // the same object on later requests
  const auto all = w.get_all_distance_objects();
  EXPECT_EQ(all.size(), 25u);
  for (const auto& entry : all) {
    ASSERT_NE(entry.second, nullptr) << entry.first;
    EXPECT_EQ(entry.second->get_pair_name(), entry.first);
    EXPECT_EQ(entry.second->get_distance(), -1.0);
    EXPECT_EQ(entry.second->get_nb_resolved_positions(), 0);
  }
  EXPECT_EQ(all.at("e|d")->get_first_individual_name(), "e");
  EXPECT_EQ(all.at("e|d")->get_second_individual_name(), "d");

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
    EXPECT_TRUE(w.find_distance("a|b", d, m));
    EXPECT_EQ(d, 0.25);
    EXPECT_EQ(m, 12);
    EXPECT_TRUE(w.find_distance("b|a", d, m));
    EXPECT_EQ(d, 0.75);
    EXPECT_EQ(m, 4);
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
  auto* first = new SpeciesDataWarehouse();
  auto* other = new SpeciesDataWarehouse();
  auto* second = new SpeciesDataWarehouse();
  first->set_species_name("Sp1");
  other->set_species_name("Sp2");
  second->set_species_name("Sp1");
  w.store_species_data(first);
  w.store_species_data(other);
  w.store_species_data(second);
  EXPECT_EQ(w.get_specific_species_data("Sp1"), second);
  EXPECT_EQ(w.get_specific_species_data("Sp2"), other);
  EXPECT_EQ(w.get_specific_species_data("sp1"), nullptr);
}

TEST(ResultsWarehouse, StartingValuesMarkNothingComputed) {
  auto pop = populationFile("P1;a\n");
  ResultsWarehouse w(pop.get(), 8);
  EXPECT_EQ(w.get_name() + " " + w.get_status(), "No_name Not_OK");
  const std::vector<double> doubles = {w.get_nN(), w.get_nS()};
  EXPECT_EQ(doubles, (std::vector<double>{-1.0, -1.0}));
  const std::vector<long> counts = {w.get_nb_bi_allelic_SNP(), w.get_nb_tri_allelic_SNP(), w.get_nb_quadri_allelic_SNP(),
                                    w.get_nb_sequences_in_consensus(), w.get_nb_sites_in_consensus(), w.get_fixN(),
                                    w.get_fixS(), w.get_polymN_0(), w.get_polymS_0(), w.get_polymN_02(),
                                    w.get_polymS_02(), w.get_MK_nN(), w.get_MK_nS()};
  EXPECT_EQ(counts, (std::vector<long>{0, 0, 0, 0, 0, -1, -1, -1, -1, -1, -1, -1, -1}));

  SpeciesDataWarehouse s;
  EXPECT_EQ(s.get_species_name(), "No_name");
  const std::vector<double> values = {double(s.get_number_of_sequences()), double(s.get_number_of_sites()),
                                      double(s.get_number_of_complete_sites()), s.get_GC3(), s.get_piN(), s.get_piS(),
                                      s.get_Fit(), s.get_WC84_total_B(), s.get_WC84_total_C(), s.get_WC84_Fit()};
  EXPECT_EQ(values, (std::vector<double>{0, 0, 0, 0.0, -1.0, -1.0, -999.0, -999.0, -999.0, -999.0}));

  mrv::DistanceBetweenIndividuals fresh("A", "B");
  EXPECT_EQ(fresh.get_pair_name(), "A|B");
  EXPECT_EQ(fresh.get_distance(), -1.0);
  EXPECT_EQ(fresh.get_nb_resolved_positions(), 0);
}
