// Conditioning and rescaling leave every likelihood as it was: on a pedigree
// large enough to condition at the program's own threshold, against
// FASTLINK and a run that never conditions, and on random pedigrees with the
// thresholds lowered.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "oracle/fastlink.hpp"
#include "oracle/file_writers.hpp"
#include "oracle/random_datasets.hpp"
#include "oracle/skip_without_fastlink.hpp"
#include "support/dataset_run.hpp"
#include "support/lod_score_runs.hpp"
#include "support/network_loading.hpp"

namespace pedlik::testing {
namespace {

// Low enough for pedigrees of 8 to 30 persons to condition, high enough
// that their copies stay few.
constexpr double lowered = 2000.0;
constexpr double never = std::numeric_limits<double>::infinity();

void prepare(const oracle::Dataset& data) {
    loadProblem(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data));
    ASSERT_FALSE(prepareNetwork().stopped);
}

// One pedigree of 50 persons, an affection-status locus and five markers:
// its order conditions on one variable at 2,000,000 entries.
oracle::Dataset conditionedAtTheRealThreshold() {
    oracle::GeneDropOptions options;
    options.minPersons = 45;
    options.maxPersons = 60;
    options.minMarkers = 5;
    options.maxPedigrees = 1;
    return oracle::geneDroppedDataset(8, options);
}

TEST(RealThresholdConditioning, RunMatchesFastlinkAndEliminationWithoutConditioning) {
    const oracle::Dataset data = conditionedAtTheRealThreshold();
    const RunResult run = runOnDataset(data);
    ASSERT_TRUE(endedNormally(run)) << run.out;
    ASSERT_TRUE(showsConditioning(run.out));
    const LodReport report = parseLodReport(run.out);
    const std::vector<double> thetas = oracle::lodScoreThetas(data);

    prepare(data);
    const LibraryRun unconditioned =
        lodScoreLogLikelihoods(thetas, {.conditionThreshold = never}, {.conditioningThreshold = never});
    EXPECT_FALSE(showsConditioning(unconditioned.out));
    EXPECT_TRUE(reportMatches(report, thetas, unconditioned.logLikelihoods)) << run.out;
    prepare(data);
    const LibraryRun conditioned = lodScoreLogLikelihoods(thetas);
    ASSERT_TRUE(showsConditioning(conditioned.out));
    for (size_t b = 0; b < thetas.size(); ++b) {
        EXPECT_TRUE(sameLogLikelihood(conditioned.logLikelihoods[b], unconditioned.logLikelihoods[b], 1e-10))
            << "theta " << thetas[b];
    }

    SKIP_WITHOUT_FASTLINK();
    const std::vector<oracle::FastlinkBlock> expected =
        oracle::runFastlink(oracle::toLinkageLocusFile(data), oracle::toLinkagePedigreeFile(data));
    ASSERT_EQ(report.blocks.size(), expected.size());
    for (size_t b = 0; b < expected.size(); ++b) {
        EXPECT_NEAR(report.blocks[b].lnLike, expected[b].lnLikelihood, 1e-5) << "block " << b;
    }
}

struct LoweredCase {
    const char* name;
    int maxPersons;  // 15 keeps the pedigrees in the locus-by-locus scheme
    OrderLimits limits;
    EliminationSettings settings;
    bool conditions;
};

void PrintTo(const LoweredCase& thresholds, std::ostream* out) { *out << thresholds.name; }

class LoweredThresholds : public ::testing::TestWithParam<LoweredCase> {};

// Realistic pedigrees, in both ordering schemes.
TEST_P(LoweredThresholds, LeaveEveryLikelihoodAsItWas) {
    const LoweredCase& thresholds = GetParam();
    int conditionedRuns = 0;
    constexpr int seedCount = 40;
    for (std::uint64_t seed = 1; seed <= seedCount; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        oracle::GeneDropOptions options;
        options.minPersons = 8;
        options.maxPersons = thresholds.maxPersons;
        options.maxPedigrees = 2;
        options.maxMarkers = 4;
        const oracle::Dataset data = oracle::geneDroppedDataset(seed, options);
        const std::vector<double> thetas = oracle::lodScoreThetas(data);
        prepare(data);
        const LibraryRun plain = lodScoreLogLikelihoods(thetas);
        prepare(data);
        const LibraryRun changed = lodScoreLogLikelihoods(thetas, thresholds.limits, thresholds.settings);
        for (size_t b = 0; b < thetas.size(); ++b) {
            EXPECT_TRUE(sameLogLikelihood(changed.logLikelihoods[b], plain.logLikelihoods[b], 1e-10))
                << "theta " << thetas[b];
        }
        conditionedRuns += showsConditioning(changed.out) ? 1 : 0;
        if (HasFailure()) return;
    }
    EXPECT_EQ(conditionedRuns >= seedCount / 4, thresholds.conditions) << conditionedRuns << " runs conditioned";
}

INSTANTIATE_TEST_SUITE_P(
    Variants, LoweredThresholds,
    ::testing::Values(
        LoweredCase{
            "WholeProductConditioning", 30, {.conditionThreshold = lowered}, {.conditioningThreshold = lowered}, true},
        LoweredCase{
            "LocusByLocusConditioning", 15, {.conditionThreshold = lowered}, {.conditioningThreshold = lowered}, true},
        LoweredCase{"RescaledAfterEveryStep", 30, {}, {.rescaleCountdown = 1}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
