// The statistics computed from site codes read once are compared, with exact equality, with the
// library's own functions on random contigs shaped like real ones: mostly monomorphic sites,
// polymorphisms of two to four sense codons at any frequency, gap and NNN codons, one to 41
// sequences, several transition/transversion ratios and minimum frequencies.
#include <gtest/gtest.h>

#include <Bpp/PopGen/PolymorphismSequenceContainerTools.h>
#include <Bpp/PopGen/SequenceStatistics.h>
#include <Bpp/Seq/Alphabet/DNA.h>
#include <Bpp/Seq/CodonSiteTools.h>
#include <Bpp/Seq/Container/SiteContainerIterator.h>
#include <Bpp/Seq/Container/SiteContainerTools.h>

#include <random>

#include "CodonContigSupport.h"
#include "TestSupport.h"
#include "analysis/CodonSiteStatistics.h"
#include "analysis/AlleleFrequency.h"
#include "analysis/DistanceBetweenIndividuals.h"
#include "analysis/FocalSpeciesDrivers.h"
#include "analysis/GCAnalysis.h"
#include "analysis/InbreedingCoefficients.h"
#include "analysis/McDonaldKreitman.h"
#include "analysis/NucleotideRows.h"
#include "analysis/PairedSequenceContainer.h"
#include "analysis/Polymorphism.h"
#include "analysis/PopulationDiversification.h"
#include "analysis/ResultsWarehouse.h"
#include "analysis/SelectionIndicators.h"
#include "analysis/SpeciesDataWarehouse.h"
#include "analysis/StatisticsEngine.h"
#include "input/Population.h"

using analysistest::alphabets;
using Container = bpp::PolymorphismSequenceContainer;
using Table = std::vector<unsigned int>;
using Route = mrv::StatisticsEngine::Route;

namespace {

bool isStop(int c) { return c == 48 || c == 50 || c == 56; }

// Codon rows of a contig: per site, a reference codon, sometimes one to three others (one or two
// positions changed) at random frequencies, and now and then a gap or NNN codon.
std::vector<std::vector<int> > randomRows(std::mt19937& rng, size_t n, size_t sites, double polymorphic = 0.3) {
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto sense = [&](int c) {
    while (isStop(c)) c = uniform(0, 63);
    return c;
  };
  std::vector<std::vector<int> > rows(n, std::vector<int>(sites));
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (size_t s = 0; s < sites; ++s) {
    std::vector<int> codons{sense(uniform(0, 63))};
    if (u(rng) < polymorphic)
      for (int v = uniform(1, 3); v > 0; --v) {
        int c = codons[0];
        for (int m = uniform(1, 2); m > 0; --m) {
          const int weight = std::vector<int>{16, 4, 1}[uniform(0, 2)];
          c += (uniform(0, 3) - (c / weight) % 4) * weight;
        }
        codons.push_back(sense(c));
      }
    const double rare = u(rng);  // share of the other codons
    for (size_t q = 0; q < n; ++q) {
      rows[q][s] = u(rng) < rare ? codons[uniform(0, static_cast<int>(codons.size()) - 1)] : codons[0];
      if (u(rng) < 0.01) rows[q][s] = uniform(0, 1) == 0 ? -1 : 65;
    }
  }
  return rows;
}

// A one-population store (the population file is read quietly).
struct Store {
  testsupport::TempDir dir;
  std::unique_ptr<mrv::Population> population;
  std::unique_ptr<ResultsWarehouse> warehouse;
  Store() {
    testing::internal::CaptureStdout();
    population.reset(new mrv::Population(dir.write("pop.txt", "All;i0;i1;i2;i3;i4;i5;i6;i7\n")));
    testing::internal::GetCapturedStdout();
    warehouse.reset(new ResultsWarehouse(population.get(), 4));
  }
};

std::unique_ptr<Container> containerOf(const std::vector<std::vector<int> >& rows, const std::string& prefix = "s") {
  std::unique_ptr<Container> c(new Container(alphabets().codon));
  for (size_t q = 0; q < rows.size(); ++q)
    c->addSequenceWithFrequency(bpp::BasicSequence(prefix + std::to_string(q), rows[q], alphabets().codon), 1, true);
  return c;
}

// The McDonald-Kreitman tables straight from the library's containers and functions.
std::vector<Table> libraryTables(const Container& merged, const std::vector<double>& frequencies) {
  using Tools = bpp::PolymorphismSequenceContainerTools;
  const bpp::GeneticCode& code = *alphabets().code;
  std::unique_ptr<Container> complete(Tools::getCompleteSites(merged));
  std::unique_ptr<Container> in(Tools::extractIngroup(*complete)), out(Tools::extractOutgroup(*complete));
  std::unique_ptr<bpp::Sequence> ci(bpp::SiteContainerTools::getConsensus(*in, "i")),
      co(bpp::SiteContainerTools::getConsensus(*out, "o"));
  size_t ds = 0, dn = 0;
  for (size_t k = 0; k < in->getNumberOfSites(); ++k) {
    const auto v = bpp::CodonSiteTools::fixedDifferences(in->getSite(k), out->getSite(k), ci->getValue(k),
                                                         co->getValue(k), code);
    ds += v[0] > 3 ? 0 : v[0];
    dn += v[1] > 3 ? 0 : v[1];
  }
  std::vector<Table> tables;
  for (double f : frequencies)
    tables.push_back({bpp::SequenceStatistics::numberOfNonSynonymousSubstitutions(*in, code, f),
                      bpp::SequenceStatistics::numberOfSynonymousSubstitutions(*in, code, f), unsigned(dn),
                      unsigned(ds)});
  return tables;
}

}  // namespace

TEST(CodonSiteStatistics, LibraryValuesOnRandomContigs) {
  std::mt19937 rng(777);
  const bpp::GeneticCode& code = *alphabets().code;
  mrv::StatisticsEngine engine(code);
  const size_t sizes[] = {1, 2, 3, 4, 7, 20, 41};
  for (int trial = 0; trial < 140; ++trial) {
    const size_t n = sizes[trial % 7];
    auto c = containerOf(randomRows(rng, n, 1 + trial % 37));
    SCOPED_TRACE("trial " + std::to_string(trial));
    const mrv::CodonColumns columns(*c);
    const mrv::CodonSiteStatistics statistics(columns, engine.tables());
    ASSERT_TRUE(statistics.usable());
    EXPECT_EQ(bpp::PolymorphismSequenceContainerTools::getNumberOfCompleteSites(*c, false), columns.nb_complete_sites());
    for (double kappa : {0.5, 1.0, 2.0, 4.0, 10.0}) {
      EXPECT_EQ(bpp::SequenceStatistics::meanNumberOfSynonymousSites(*c, code, kappa),
                statistics.sum_of_mean_synonymous_positions(kappa));
      EXPECT_EQ(bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(*c, code, kappa),
                statistics.mean_number_of_non_synonymous_sites(kappa));
    }
    for (double f : {0.0, 0.1, 0.2, 0.5}) {
      EXPECT_EQ(bpp::SequenceStatistics::numberOfSynonymousSubstitutions(*c, code, f),
                statistics.number_of_synonymous_substitutions(f));
      EXPECT_EQ(bpp::SequenceStatistics::numberOfNonSynonymousSubstitutions(*c, code, f),
                statistics.number_of_non_synonymous_substitutions(f));
    }
    double piS = 0.0, piN = 0.0;
    for (size_t s = 0; s < c->getNumberOfSites(); ++s) {
      if (!columns.is_complete(s)) continue;
      const double libS = bpp::CodonSiteTools::piSynonymous(c->getSite(s), code, false);
      const double libN = bpp::CodonSiteTools::piNonSynonymous(c->getSite(s), code, false);
      EXPECT_EQ(libS, statistics.pi_synonymous(s));
      EXPECT_EQ(libN, statistics.pi_non_synonymous(s));
      piS += n >= 3 ? libS * n / (n - 1) : libS;
      piN += n >= 3 ? libN * n / (n - 1) : libN;
    }
    EXPECT_EQ(piS, mrv::Polymorphism::sumOfSynonymousPi(*c, engine));
    EXPECT_EQ(piN, mrv::Polymorphism::sumOfNonSynonymousPi(*c, engine));

    // Consensus of every sequence, and of every other one.
    std::vector<size_t> all(n), odd;
    for (size_t q = 0; q < n; ++q) {
      all[q] = q;
      if (q % 2 == 1) odd.push_back(q);
    }
    std::unique_ptr<bpp::Sequence> mine(mrv::consensusOfSequences(*c, all, "cons"));
    std::unique_ptr<bpp::Sequence> lib(bpp::SiteContainerTools::getConsensus(*c, "cons", true, false));
    EXPECT_EQ(lib->getName(), mine->getName());
    EXPECT_EQ(lib->toString(), mine->toString());
    if (!odd.empty()) {
      std::unique_ptr<Container> part(bpp::PolymorphismSequenceContainerTools::getSelectedSequences(*c, odd));
      lib.reset(bpp::SiteContainerTools::getConsensus(*part, "x", true, false));
      mine.reset(mrv::consensusOfSequences(*c, odd, "x"));
      EXPECT_EQ(lib->toString(), mine->toString());
    }
  }
}

// The outgroup site is read as far as the ingroup's, its consensus past its own end. With the run's
// outgroup, its consensus alone, that is what the library's own pipeline reads past the site's end;
// with several outgroup sequences, ingroup sequences flagged outgroup and polymorphic outgroups, the
// program's arithmetic gives what the library gives on the site so read.
TEST(CodonSiteStatistics, McDonaldKreitmanOutgroupReadAsItsConsensusPastItsEnd) {
  std::mt19937 rng(99);
  mrv::StatisticsEngine own(*alphabets().code, Route::kOwnArithmetic), library(*alphabets().code, Route::kLibrary);
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const std::vector<double> frequencies{0.0, 0.2};
  for (int trial = 0; trial < 200; ++trial) {
    const size_t nin = static_cast<size_t>(uniform(1, 12)), nout = static_cast<size_t>(uniform(1, 3));
    const size_t sites = static_cast<size_t>(uniform(1, 30));
    auto rows = randomRows(rng, nin + nout, sites, 0.5);
    // The outgroup mostly one other codon at the polymorphic and some other sites.
    for (size_t s = 0; s < sites; ++s)
      if (uniform(0, 2) == 0)
        for (size_t q = nin; q < nin + nout; ++q) rows[q][s] = rows[uniform(0, static_cast<int>(nin) - 1)][s];
    auto in = containerOf(std::vector<std::vector<int> >(rows.begin(), rows.begin() + nin), "in");
    auto out = containerOf(std::vector<std::vector<int> >(rows.begin() + nin, rows.end()), "out");
    if (nin > 2 && uniform(0, 3) == 0) in->setAsOutgroupMember(static_cast<size_t>(uniform(0, 1)));
    SCOPED_TRACE("trial " + std::to_string(trial));
    auto merged = mrv::mergeIngroupAndOutgroup(*in, *out);
    const auto expected_tables = mrv::mcDonaldKreitmanTables(*merged, library, frequencies);
    EXPECT_EQ(expected_tables, mrv::mcDonaldKreitmanTables(*merged, own, frequencies));
    EXPECT_EQ(expected_tables[1], mrv::mcDonaldKreitmanTable(*in, *out, own, 0.2));

    // The analysis with the outgroup as one consensus sequence, as a container and as the library.
    std::unique_ptr<bpp::Sequence> consensus(bpp::SiteContainerTools::getConsensus(*out, "Outgroup_consensus"));
    auto single = analysistest::makeContainer({});
    single->addSequenceWithFrequency(*consensus, 1, true);
    const unsigned int kappa = static_cast<unsigned int>(uniform(1, 4));
    Store fromSequence, fromContainer;
    mcDonaldKreitmanAnalysis(in.get(), consensus.get(), fromSequence.warehouse.get(), kappa, alphabets().codon, own,
                             false);
    mcDonaldKreitmanAnalysis(in.get(), single.get(), fromContainer.warehouse.get(), kappa, alphabets().codon, library,
                             false);
    auto merged1 = mrv::mergeIngroupAndOutgroup(*in, *single);
    const auto lib = libraryTables(*merged1, frequencies);
    const std::vector<int> expected{int(lib[0][2]), int(lib[0][3]), int(lib[0][0]), int(lib[0][1]), int(lib[1][0]),
                                    int(lib[1][1]),
                                    mrv::truncateSiteNumber(bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(
                                        *merged1, *alphabets().code, kappa)),
                                    mrv::truncateSiteNumber(bpp::SequenceStatistics::meanNumberOfSynonymousSites(
                                        *merged1, *alphabets().code, kappa))};
    for (const ResultsWarehouse* w : {fromSequence.warehouse.get(), fromContainer.warehouse.get()})
      EXPECT_EQ(expected, (std::vector<int>{w->get_fixN(), w->get_fixS(), w->get_polymN_0(), w->get_polymS_0(),
                                            w->get_polymN_02(), w->get_polymS_02(), w->get_MK_nN(), w->get_MK_nS()}));
  }
}

// The consensus pair read as sequences gives what the two-sequence container gives.
TEST(CodonSiteStatistics, SelectionIndicatorsOfTheConsensusPair) {
  std::mt19937 rng(5);
  mrv::StatisticsEngine engine(*alphabets().code);
  for (int trial = 0; trial < 60; ++trial) {
    const auto rows = randomRows(rng, 2, 1 + trial % 25, 0.6);
    const bpp::BasicSequence first("Ingroup_consensus", rows[0], alphabets().codon);
    const bpp::BasicSequence second("Outgroup_consensus", rows[1], alphabets().codon);
    Store held;
    ResultsWarehouse& store = *held.warehouse;
    collectSelectionIndicators(&first, &second, alphabets().codon, engine, &store, 2.0);
    mrv::SelectionIndicators indicators(&first, &second, alphabets().codon);
    indicators.determine_all_attributes(engine, 2.0);
    auto pair = containerOf(rows);
    SCOPED_TRACE("trial " + std::to_string(trial));
    EXPECT_EQ(bpp::SequenceStatistics::meanNumberOfNonSynonymousSites(*pair, *alphabets().code, 2.0), store.get_nN());
    EXPECT_EQ(bpp::SequenceStatistics::meanNumberOfSynonymousSites(*pair, *alphabets().code, 2.0), store.get_nS());
    EXPECT_EQ(store.get_nN(), indicators.get_nN());
    EXPECT_EQ(store.get_nS(), indicators.get_nS());
    EXPECT_EQ(double(bpp::SequenceStatistics::numberOfNonSynonymousSubstitutions(*pair, *alphabets().code, 0.0)),
              indicators.get_fixN());
    EXPECT_EQ(double(bpp::SequenceStatistics::numberOfSynonymousSubstitutions(*pair, *alphabets().code, 0.0)),
              indicators.get_fixS());
    EXPECT_EQ(bpp::PolymorphismSequenceContainerTools::getNumberOfCompleteSites(*pair, false),
              store.get_nb_sites_in_consensus());
  }
}

// Codes answered from tables, and alphabet equality tested without type names first: the answers
// are the base class's and the type names'.
TEST(CodonSiteStatistics, CodonAlphabetLookUpsAnswerAsBefore) {
  const mrv::FrameshiftCodonAlphabet& codon = *static_cast<const mrv::FrameshiftCodonAlphabet*>(alphabets().codon);
  const bpp::CodonAlphabet& base = codon;
  for (int code = -5; code <= 70; ++code) {
    EXPECT_EQ(code >= -1 && code <= 65, codon.isIntInAlphabet(code)) << code;
    if (codon.isIntInAlphabet(code)) EXPECT_EQ(base.AbstractAlphabet::intToChar(code), codon.intToChar(code));
  }
  EXPECT_EQ("!!!", codon.intToChar(64));
  EXPECT_EQ("NNN", codon.intToChar(65));
  EXPECT_THROW(codon.getState(66), bpp::BadIntException);
  const mrv::FrameshiftCodonAlphabet copy(codon);
  EXPECT_EQ("Stop", copy.getState(48).getName());

  bpp::DNA dna;
  const bpp::CodonAlphabet sameNucleic(alphabets().nucleic), otherNucleic(&dna);
  const mrv::FrameshiftCodonAlphabet otherFrameshift(&dna);
  const bpp::Alphabet* others[] = {&codon, &copy, &sameNucleic, &otherNucleic, &otherFrameshift, &dna};
  const bool expected[] = {true, true, true, false, true, false};
  for (size_t k = 0; k < 6; ++k) EXPECT_EQ(expected[k], codon.equals(*others[k])) << k;
}

// Sites of one codon everywhere take a shortcut in the differentiation counters: compared with the
// pairwise reading over contigs of mostly monomorphic sites.
TEST(CodonSiteStatistics, DifferentiationCountersOnMostlyMonomorphicContigs) {
  std::mt19937 rng(31);
  testsupport::TempDir dir;
  testing::internal::CaptureStdout();
  mrv::Population population(dir.write("pop.txt", "A;i0;i1;i2\nB;i3;i4\nC;i5\n"));
  testing::internal::GetCapturedStdout();
  for (int trial = 0; trial < 40; ++trial) {
    const auto rows = randomRows(rng, 12, 30, 0.2);
    std::unique_ptr<Container> c(new Container(alphabets().codon));
    for (size_t q = 0; q < rows.size(); ++q)
      c->addSequenceWithFrequency(
          bpp::BasicSequence(analysistest::seqName("i" + std::to_string(q / 2), int(q % 2) + 1), rows[q],
                             alphabets().codon),
          1, true);
    const mrv::PopulationDiversification d(c.get(), &population, alphabets().codon, alphabets().nucleic);
    std::vector<std::int64_t> tw(3, 0), dw(3, 0);
    std::vector<std::vector<std::int64_t> > tb(3, std::vector<std::int64_t>(3, 0)), db = tb;
    for (size_t i = 0; i < rows.size(); ++i)
      for (size_t j = 0; j < rows.size(); ++j) {
        if (i / 2 == j / 2) continue;
        const int pi = population.get_population_id("i" + std::to_string(i / 2));
        const int pj = population.get_population_id("i" + std::to_string(j / 2));
        for (size_t s = 0; s < 30; ++s)
          for (size_t k = 0; k < 3; ++k) {
            const int x = alphabets().codon->getNPosition(rows[i][s], k);
            const int y = alphabets().codon->getNPosition(rows[j][s], k);
            if (alphabets().nucleic->isUnresolved(x) || alphabets().nucleic->isUnresolved(y)) continue;
            (pi != pj ? tb[pi][pj] : tw[pi]) += 1;
            (pi != pj ? db[pi][pj] : dw[pi]) += x != y;
          }
      }
    EXPECT_EQ(tw, d.get_all_totalWithin());
    EXPECT_EQ(dw, d.get_all_differenceWithin());
    EXPECT_EQ(tb, d.get_all_totalBetween());
    EXPECT_EQ(db, d.get_all_differenceBetween());
  }
}

// The pair containers are made from what the source holds (names, codes, sequence comments) without
// its sequence copies: they hold what getSequence gives, comments included.
TEST(CodonSiteStatistics, PairSequencesAreTheSourceSequences) {
  std::mt19937 rng(8);
  auto rows = randomRows(rng, 6, 9, 0.5);
  std::unique_ptr<Container> source(new Container(alphabets().codon));
  for (size_t q = 0; q < rows.size(); ++q)
    source->addSequenceWithFrequency(
        bpp::BasicSequence("c|Sp|i" + std::to_string(q / 2) + "|allele_" + std::to_string(q % 2 + 1), rows[q],
                           alphabets().codon),
        1, true);
  source->setComments(3, {"first note", "second note"});
  mrv::PairedSequenceContainer pairs(source.get(), alphabets().codon, "|", 3);
  ASSERT_EQ(3u, pairs.get_nb_pair());
  for (unsigned int i = 0; i < 3; ++i)
    for (size_t a = 0; a < 2; ++a) {
      const bpp::Sequence& expected = source->getSequence(2 * i + a);
      const bpp::Sequence& made = pairs.get_pair(i)->getSequence(a);
      EXPECT_EQ(expected.getName(), made.getName());
      EXPECT_EQ(expected.toString(), made.toString());
      EXPECT_EQ(expected.getComments(), made.getComments());
    }
  EXPECT_EQ((std::vector<std::string>{"first note", "second note"}), pairs.get_pair(1)->getSequence(1).getComments());
}

// Positions of one allele are skipped and distances counted from typed masks: on contigs of mostly
// monomorphic sites, Fit, Weir & Cockerham, the GC classes and the distances equal the position-by-
// position reading (every position's allele counts, the library's substitution counts, one distance
// object per pair read through the pair containers).
TEST(CodonSiteStatistics, PerPositionStatisticsOnMostlyMonomorphicContigs) {
  std::mt19937 rng(123);
  Store held;
  mrv::StatisticsEngine engine(*alphabets().code);
  const std::vector<double> bounds{0.25, 0.5, 0.75, 1.0};
  for (int trial = 0; trial < 25; ++trial) {
    const auto rows = randomRows(rng, 16, 40, 0.25);
    std::unique_ptr<Container> c(new Container(alphabets().codon));
    for (size_t q = 0; q < rows.size(); ++q)
      c->addSequenceWithFrequency(bpp::BasicSequence("c|Sp|i" + std::to_string(q / 2) + "|allele_" +
                                                         std::to_string(q % 2 + 1),
                                                     rows[q], alphabets().codon),
                                  1, true);
    mrv::PairedSequenceContainer pairs(c.get(), alphabets().codon, "|", 3);
    SpeciesDataWarehouse record;
    ResultsWarehouse results(held.population.get(), 4);
    computeFit(&pairs, alphabets().codon, alphabets().nucleic, &record, 40, false);
    computeWeirCockerhamFit(&pairs, alphabets().codon, alphabets().nucleic, &record, 40, false);
    nonOrientedGCAnalysis(c.get(), bounds, &results, alphabets().codon, alphabets().nucleic, engine);
    computeAllDistancesBetweenIndividuals(&results, &pairs, alphabets().codon, alphabets().nucleic, false);

    double expected = 0.0, totalB = 0.0, totalC = 0.0;
    unsigned int observed = 0, bi = 0;
    std::vector<double> classes(bounds.size(), 0.0);
    const mrv::NucleotideRows nucleotides(*c, alphabets().codon, alphabets().nucleic);
    for (int s = 0; s < 40; ++s)
      for (int k = 0; k < 3; ++k) {
        const mrv::AlleleFrequency f(&pairs, s, k, alphabets().codon, alphabets().nucleic);
        if (f.is_bi_allelic()) {
          const double n = f.get_nb_typed(), p = f.get_allele_1_occurence() / (2.0 * n);
          observed += static_cast<unsigned int>(f.get_nb_observed_heterozygosity());
          expected += ((2.0 * p) * (f.get_allele_2_occurence() / (2.0 * n))) * n;
          if (n > 1.0) {
            const double h = f.get_nb_observed_heterozygosity() / n;
            totalB += determineWeirCockerhamTermB(n, p, h, false);
            totalC += 0.5 * h;
          }
        }
        mrv::AlleleFrequency g(nucleotides, static_cast<size_t>(3 * s + k));
        if (!g.is_bi_allelic()) continue;
        ++bi;
        bpp::Site site(c->getSite(static_cast<size_t>(s)));
        replaceUnresolvedCharInCodonSite(site, alphabets().codon, 16, static_cast<unsigned int>(g.get_allele_2_rank()));
        if (bpp::CodonSiteTools::numberOfSubstitutions(site, *alphabets().code, 0.0) != 1 ||
            bpp::CodonSiteTools::numberOfNonSynonymousSubstitutions(site, *alphabets().code, 0.0) != 0)
          continue;
        g.determine_GC_frequencies();
        for (size_t b = 0; b < bounds.size(); ++b)
          if (bounds[b] >= g.get_GC_relative_frequency()) {
            classes[b] += 1.0;
            break;
          }
      }
    SCOPED_TRACE("trial " + std::to_string(trial));
    if (expected != 0.0) EXPECT_EQ(1.0 - observed / expected, record.get_Fit());
    if (totalB + totalC != 0.0) EXPECT_EQ(totalB / (totalB + totalC), record.get_WC84_Fit());
    EXPECT_EQ(bi, results.get_nb_bi_allelic_SNP());
    EXPECT_EQ(classes, results.get_GC_allele_frequency_classes());
    const std::vector<std::string> names = pairs.get_pair_names();
    for (unsigned int i = 0; i < pairs.get_nb_pair(); ++i)
      for (unsigned int j = 0; j < pairs.get_nb_pair(); ++j) {
        mrv::DistanceBetweenIndividuals d(names[i], names[j]);
        d.computeDistance(pairs.get_pair(i), pairs.get_pair(j), alphabets().codon, alphabets().nucleic, false);
        double distance = 0.0;
        int positions = 0;
        results.find_distance(names[i] + "|" + names[j], distance, positions);
        EXPECT_EQ(d.get_distance(), distance);
        EXPECT_EQ(d.get_nb_resolved_positions(), positions);
      }
  }
}
