// pedlik against the enumerator on random tiny datasets: genotype
// elimination removes only impossible alleles, fixes only certain selectors
// and stops only on impossible data; the assembled product sums to the
// likelihood; the LOD-score mode's every value is the likelihood, and each
// pedigree's measured share its own (also where another's is 0), in both
// ordering schemes, with conditioning and rescaling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/network_nodes.hpp"
#include "oracle/enumerator.hpp"
#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

using oracle::Dataset;

// The stop names a marker whose data alone are impossible in that pedigree.
void expectJustifiedStop(const Dataset& data, const StoppedRun& run) {
    int locus = -1, person = -1, pedigree = -1;
    const char* format = "\nAn input error has been found:\nInvalid value in locus no. %d of person no. %d, pedigree no. %d.\n";
    ASSERT_EQ(std::sscanf(run.err.c_str(), format, &locus, &person, &pedigree), 3) << run.err;
    EXPECT_EQ(run.status, 1);
    ASSERT_TRUE(pedigree >= 0 && pedigree < static_cast<int>(data.pedigrees.size()) && locus >= 0 && locus < static_cast<int>(data.loci.size())) << run.err;
    EXPECT_EQ(data.loci[locus].kind, oracle::LocusKind::NumberedAlleles) << run.err;
    EXPECT_EQ(oracle::likelihood(oracle::onlyLocus(data, locus), pedigree), 0.0) << run.err;
}

// Elimination looks at one marker at a time, so what it must respect is that
// marker alone; founders order their alleles as the network does at locus 0.
void expectSoundLists(const Dataset& data) {
    int p = 0;
    for (const Pedigree* pedigree = runParameters.pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++p) {
        for (int locus = 0; locus < static_cast<int>(data.loci.size()); ++locus) {
            const Dataset alone = oracle::onlyLocus(data, locus);
            const auto phase = locus == 0 ? oracle::FounderPhase::LowerAlleleFromFatherAtFirstLocus : oracle::FounderPhase::Independent;
            if (data.loci[locus].kind != oracle::LocusKind::NumberedAlleles || oracle::likelihood(alone, p) == 0.0) continue;
            for (int line = 0; line < pedigree->personCount; ++line) {
                const PersonLocus& genotype = pedigree->persons[line].loci[locus];
                const std::string where = "pedigree " + std::to_string(p) + " locus " + std::to_string(locus) + " line " + std::to_string(line + 1);
                for (const bool paternal : {true, false}) {
                    const CandidateList& list = paternal ? genotype.paternalCandidates : genotype.maternalCandidates;
                    const int state = paternal ? genotype.paternalSelectorState : genotype.maternalSelectorState;
                    if (paternal && data.sexLinked && pedigree->persons[line].isFemale == 0) {
                        EXPECT_TRUE(list.empty() && state != selectorFixed) << where << ": a male with a paternal half";
                        continue;
                    }
                    ASSERT_FALSE(list.empty()) << where;
                    for (size_t k = 1; k < list.size(); ++k) EXPECT_LT(list[k - 1].allele, list[k].allele) << where;
                    for (int allele = 1; allele <= data.loci[locus].alleleCount(); ++allele) {
                        if (std::any_of(list.begin(), list.end(), [&](const auto& c) { return c.allele == allele; })) continue;
                        EXPECT_EQ(oracle::jointPosterior(alone, p, {{oracle::Condition::Kind::Allele, line, 0, paternal, allele}}, phase), 0.0)
                            << where << (paternal ? " paternal" : " maternal") << " allele " << allele << " removed";
                    }
                    if (state != selectorFixed) continue;
                    const int value = paternal ? genotype.paternalSelectorValue : genotype.maternalSelectorValue;
                    ASSERT_GE(data.pedigrees[p].persons[line].father, 0) << where << ": a founder's selector fixed";
                    EXPECT_EQ(oracle::jointPosterior(alone, p, {{oracle::Condition::Kind::Selector, line, 0, paternal, 1 - value}}, phase), 0.0)
                        << where << " selector fixed to " << value;
                }
            }
        }
    }
}

TEST(PedlikAgainstEnumerator, GenotypeEliminationIsSoundAndTheProductSumsToTheLikelihood) {
    for (std::uint64_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Dataset data = oracle::randomTinyDataset(seed, {.geneDropped = seed % 4 != 1});
        // Often impossible in ways no single locus or person shows.
        if (seed % 4 == 3) data = oracle::withRigidModel(data);
        loadProblem(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data));
        const bool sexLinked = runParameters.isSexLinked == 1;
        const StoppedRun run = runUntilStopped([&] { (sexLinked ? eliminateGenotypesSexLinked : eliminateGenotypes)(runParameters.pedigrees); });
        if (run.stopped) {
            expectJustifiedStop(data, run);
            continue;
        }
        expectSoundLists(data);
        (sexLinked ? createNetworkNodesSexLinked : createNetworkNodes)(runParameters.pedigrees);
        int p = 0;
        for (Pedigree* pedigree = runParameters.pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++p) {
            const double total = std::exp(logAssembledTotal(*pedigree));
            const double expected = oracle::likelihood(data, p);
            EXPECT_LE(std::fabs(total - expected), 1e-12 * expected) << "pedigree " << p << ": " << total << " vs " << expected;
        }
        if (HasFailure()) return;
    }
}

struct Thresholds {
    const char* name;
    OrderLimits limits;
    EliminationSettings settings;
    int seeds = 150;
    bool conditions = false;
    std::vector<int> threadCounts = {};  // each must print the report of one thread, byte for byte
};

class LodScoreMode : public ::testing::TestWithParam<Thresholds> {};

// Each pedigree's ln likelihood at every value against the enumerator's,
// also where another pedigree's is 0; the report's values are their sums.
void expectPedigreeLikelihoods(const Dataset& data, const LodCurve& curve, const std::string& report) {
    const std::vector<double> thetas = oracle::lodScoreThetas(data);
    std::vector<double> totals;
    for (size_t v = 0; v < thetas.size(); ++v) {
        const Dataset at = oracle::withVariedTheta(data, thetas[v]);
        double total = 0.0;
        for (size_t p = 0; p < data.pedigrees.size(); ++p) {
            const double expected = oracle::likelihood(at, static_cast<int>(p));
            total = expected > 0.0 && total > impossibleLogLikelihood ? total + std::log(expected) : impossibleLogLikelihood;
            if (v >= curve.thetas.size()) continue;
            const double measured = curve.logLikelihoods[v].at(p);
            EXPECT_TRUE(expected > 0.0 ? std::fabs(measured - std::log(expected)) <= 1e-6 : measured == impossibleLogLikelihood)
                << "value " << v << " pedigree " << p << ": " << measured << " for " << expected;
        }
        totals.push_back(total);
    }
    EXPECT_EQ(curve.thetas.size(), totals[0] > impossibleLogLikelihood ? thetas.size() : 0u);
    EXPECT_TRUE(reportMatches(parseLodReport(report), thetas, totals)) << report;
}

TEST_P(LodScoreMode, EveryValueIsTheEnumeratorsLikelihood) {
    const Thresholds& t = GetParam();
    int runs = 0, conditioned = 0;
    for (std::uint64_t seed = 1; seed <= static_cast<std::uint64_t>(t.seeds); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        // Drawn phenotypes, dropped ones, and dropped ones under a rigid model.
        Dataset data = oracle::randomTinyDataset(seed, {.geneDropped = seed % 3 != 0, .minLoci = 2});
        if (seed % 3 == 2) data = oracle::withRigidModel(data);
        if (!loadDataset(data)) continue;
        ++runs;
        LodCurve curve;
        const std::string report = lodScoreReport(t.limits, t.settings, &curve);
        expectPedigreeLikelihoods(data, curve, report);
        conditioned += showsConditioning(report) ? 1 : 0;
        // Measuring each pedigree leaves the report as it is; values,
        // pedigrees and branches side by side leave both as they are.
        for (EliminationSettings threaded = t.settings; int threads : t.threadCounts) {
            threaded.threads = threads;
            threaded.threadedFrom = 0.0;
            LodCurve threadedCurve;
            EXPECT_TRUE(loadDataset(data) && lodScoreReport(t.limits, threaded, &threadedCurve) == report) << threads << " threads";
            EXPECT_EQ(threadedCurve.totals, curve.totals) << threads << " threads";
            EXPECT_EQ(threadedCurve.logLikelihoods, curve.logLikelihoods) << threads << " threads";
        }
        if (HasFailure()) return;
    }
    EXPECT_GE(conditioned, t.conditions ? runs / 20 : 0);
    // Whether a searched order conditions within a small memory depends on
    // what its passes find, which rounding may tip.
    if (t.limits.searchFrom != 0.0) {
        EXPECT_EQ(conditioned > 0, t.conditions);
    }
}

// A loop broken the makeped way (a person written twice, both copies
// carrying the loop's code) is merged back: every value is the enumerator's
// likelihood of the unbroken pedigrees.
TEST(LoopBreakers, MergedCopiesGiveTheUnbrokenPedigreesLikelihoods) {
    int merged = 0;
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Dataset data = oracle::randomTinyDataset(seed, {.minLoci = 2});
        const Dataset broken = oracle::withLoopsBroken(data);
        if (!loadDataset(broken)) continue;
        for (size_t p = 0; p < data.pedigrees.size(); ++p) merged += broken.pedigrees[p].persons.size() != data.pedigrees[p].persons.size();
        LodCurve curve;
        expectPedigreeLikelihoods(data, curve, lodScoreReport({}, {}, &curve));
        if (HasFailure()) return;
    }
    EXPECT_GE(merged, 50);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, LodScoreMode,
    ::testing::Values(
        Thresholds{"LocusByLocus", {}, {}}, Thresholds{"WholeProduct", {.locusGroupPersons = 0}, {}},
        Thresholds{"LocusByLocusConditioning", {.conditionThreshold = 24.0}, {.conditioningThreshold = 24.0}, 60, true, {2}},
        Thresholds{"WholeProductConditioning", {.conditionThreshold = 24.0, .locusGroupPersons = 0}, {.conditioningThreshold = 24.0}, 150, true, {2, 3}},
        Thresholds{"SearchedOrder", {.searchFrom = 0.0}, {}, 100},
        Thresholds{"SearchedOrderWithSmallMemory", {.memoryEntries = 400.0, .searchFrom = 0.0}, {}, 40, false, {2}},
        Thresholds{"RescaledAfterEveryStep", {}, {.rescaleCountdown = 1}, 60},
        Thresholds{"IncrementalSumsOnly", {.locusGroupPersons = 0}, {.incrementalThreshold = 0.0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
