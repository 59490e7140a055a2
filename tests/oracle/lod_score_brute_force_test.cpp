// The LOD-score mode against the enumerator on random tiny datasets of
// every shape, several pedigrees per file: the library's log-likelihood of
// every value of the varied fraction, and the printed report, under both
// ordering schemes and with the elimination's thresholds lowered so that
// conditioning, rescaling and both sum-out engines run on small problems.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "oracle/enumerator.hpp"
#include "oracle/file_writers.hpp"
#include "oracle/random_datasets.hpp"
#include "support/lod_score_runs.hpp"
#include "support/network_loading.hpp"

namespace pedlik::testing {
namespace {

using oracle::Dataset;

struct Thresholds {
    const char* name;
    OrderLimits limits;
    EliminationSettings settings;
    int seedCount = 150;      // fewer where sanitized runs are slow
    bool conditions = false;  // the lowered thresholds make some runs condition
};

void PrintTo(const Thresholds& thresholds, std::ostream* out) { *out << thresholds.name; }

// Drawn phenotypes (often inconsistent), dropped ones, and dropped ones
// under a rigid model, whose likelihood is often 0 at some values only.
Dataset datasetFor(std::uint64_t seed) {
    oracle::TinyOptions options;
    options.minLoci = 2;
    options.geneDropped = seed % 3 != 0;
    const Dataset data = oracle::randomTinyDataset(seed, options);
    return seed % 3 == 2 ? oracle::withRigidModel(data) : data;
}

// Loads the dataset and makes its network; false when genotype elimination
// stops the run (the soundness test checks those stops).
bool prepared(const Dataset& data) {
    loadProblem(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data));
    return !prepareNetwork().stopped;
}

class LodScoreBruteForce : public ::testing::TestWithParam<Thresholds> {};

TEST_P(LodScoreBruteForce, EveryBlockIsTheEnumeratorsLikelihood) {
    const Thresholds& thresholds = GetParam();
    int runs = 0, zeroBlocks = 0, conditionedRuns = 0;
    const int seedCount = thresholds.seedCount;
    for (std::uint64_t seed = 1; seed <= static_cast<std::uint64_t>(seedCount); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Dataset data = datasetFor(seed);
        if (!prepared(data)) continue;
        ++runs;
        const std::vector<double> thetas = oracle::lodScoreThetas(data);
        const std::vector<double> expected = oracle::reportLogLikelihoods(data);
        zeroBlocks += static_cast<int>(std::count(expected.begin(), expected.end(), impossibleLogLikelihood));
        const LibraryRun library = lodScoreLogLikelihoods(thetas, thresholds.limits, thresholds.settings);
        for (size_t b = 0; b < thetas.size(); ++b) {
            EXPECT_TRUE(sameLogLikelihood(library.logLikelihoods[b], expected[b], 1e-10)) << "theta " << thetas[b];
        }
        ASSERT_TRUE(prepared(data));
        const std::string report = lodScoreReport(thresholds.limits, thresholds.settings);
        EXPECT_TRUE(reportMatches(parseLodReport(report), thetas, expected)) << report;
        conditionedRuns += showsConditioning(report) ? 1 : 0;
        if (HasFailure()) return;
    }
    // Enough runs get through elimination, some blocks are impossible, and
    // lowered conditioning thresholds do make runs condition.
    EXPECT_GE(runs, seedCount / 2);
    EXPECT_GE(zeroBlocks, seedCount / 10);
    EXPECT_GE(conditionedRuns, thresholds.conditions ? runs / 4 : 0);
    EXPECT_EQ(conditionedRuns > 0, thresholds.conditions);
}

// Locus by locus is the scheme of tiny pedigrees; the whole-product scheme
// is reached by lowering its person limit. The sum-out engines agree
// (their own test), so one variant makes every sum-out incremental.
INSTANTIATE_TEST_SUITE_P(
    Thresholds, LodScoreBruteForce,
    ::testing::Values(
        Thresholds{"LocusByLocus", {}, {}}, Thresholds{"WholeProduct", {.locusGroupPersons = 0}, {}},
        Thresholds{"LocusByLocusConditioning", {.conditionThreshold = 24.0}, {.conditioningThreshold = 24.0}, 60, true},
        Thresholds{"WholeProductConditioning",
                   {.conditionThreshold = 24.0, .locusGroupPersons = 0},
                   {.conditioningThreshold = 24.0},
                   150,
                   true},
        Thresholds{"RescaledAfterEveryStep", {}, {.rescaleCountdown = 1}, 60},
        Thresholds{"IncrementalSumsOnly", {.locusGroupPersons = 0}, {.incrementalThreshold = 0.0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
