// Bucket-tree elimination and elimination with conditioning compute the
// same likelihood: on every dataset of the oracle suites, with the trees as
// built and merged as the mode merges them, and on every third with the
// block-wise tables that a lowered threshold brings about.
#include <gtest/gtest.h>

#include "buckettree/bucket_tree_harness.hpp"
#include "input/process_state.hpp"

namespace pedlik::testing {
namespace {

struct TreeVariant {
    const char* name;
    int mergeLimit;
    BteSettings settings;
    int every;  // on every dataset, or every second, third ... (small blocks make runs slow)
};

BteSettings lowBlockThreshold() {
    BteSettings settings;
    settings.blockThreshold = 4096;
    return settings;
}

// Every list reduced one variable at a time, as large products are.
BteSettings noOnePass() {
    BteSettings settings;
    settings.onePassThreshold = 0;
    return settings;
}

const TreeVariant treeVariants[] = {
    {"unmerged", 0, {}, 1},
    {"merged as the mode does", 85, {}, 1},
    {"merged, one variable at a time", 85, noOnePass(), 1},
    {"merged, block-wise tables", 85, lowBlockThreshold(), 3},
};

class TwoEngines : public ::testing::TestWithParam<TreeVariant> {};

TEST_P(TwoEngines, FirstBucketTreeRunEqualsEliminationOnEveryOracleDataset) {
    const TreeVariant& variant = GetParam();
    int possible = 0, sexLinked = 0, index = 0;
    for (const NamedDataset& dataset : oracleDatasets()) {
        if (index++ % variant.every != 0 || !loadDataset(dataset.data)) continue;
        const double elimination = eliminationLogLikelihood();
        const std::unique_ptr<BucketTreeStage> stage = prepareBucketTrees(variant.mergeLimit);
        if (stage == nullptr) {
            EXPECT_FALSE(elimination > -1.7976931348623157e308) << dataset.name;
            continue;
        }
        const double bucketTree = runBucketTrees(*stage, variant.settings);
        EXPECT_TRUE(sameLogLikelihood(bucketTree, elimination))
            << dataset.name << ": bucket tree " << bucketTree << ", elimination " << elimination;
        possible += elimination > -1.7976931348623157e308 ? 1 : 0;
        sexLinked += runParameters.isSexLinked;
    }
    // The suites must keep both kinds of data, mostly possible ones.
    EXPECT_GE(possible, 200 / variant.every);
    EXPECT_GE(sexLinked, 50 / variant.every);
}

INSTANTIATE_TEST_SUITE_P(Trees, TwoEngines, ::testing::ValuesIn(treeVariants),
                         [](const ::testing::TestParamInfo<TreeVariant>& info) {
                             std::string name = info.param.name;
                             for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

}  // namespace
}  // namespace pedlik::testing
