// Expectation-maximisation never lowers the likelihood: on the small
// datasets of the oracle suites, each iteration of the bucket-tree mode's
// loop, run on past the mode's stopping point, ends at a log-likelihood at
// least that of the one before.
#include <gtest/gtest.h>

#include <cmath>

#include "buckettree/bucket_tree_harness.hpp"

namespace pedlik::testing {
namespace {

TEST(ExpectationMaximisation, NoIterationLowersTheLikelihoodOnTheSmallOracleDatasets) {
    int rising = 0, runs = 0;
    for (const NamedDataset& dataset : oracleDatasets()) {
        if (dataset.size != DatasetSize::Small || !loadDataset(dataset.data)) continue;
        const std::unique_ptr<BucketTreeStage> stage = prepareBucketTrees(85);
        if (stage == nullptr) continue;
        const std::vector<double> logLikelihoods = emLogLikelihoods(*stage, 5);
        for (size_t k = 1; k < logLikelihoods.size(); ++k) {
            const double before = logLikelihoods[k - 1];
            EXPECT_GE(logLikelihoods[k], before - 1e-9 * std::max(1.0, std::fabs(before)))
                << dataset.name << ": iteration " << k + 1;
        }
        ++runs;
        rising += logLikelihoods.back() > logLikelihoods.front() + 1e-6 ? 1 : 0;
    }
    // Many datasets must have been moved by the iterations.
    EXPECT_GE(runs, 150);
    EXPECT_GE(rising, 20);
}

}  // namespace
}  // namespace pedlik::testing
