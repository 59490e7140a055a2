// Bucket-tree elimination on the oracle datasets: its likelihood is that of
// elimination, the expected recombination counts its beliefs give are the
// enumerator's posteriors, and EM never lowers the likelihood.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "buckettree/bte_run.hpp"
#include "buckettree/expected_values.hpp"
#include "buckettree/merging.hpp"
#include "buckettree/reestimation.hpp"
#include "buckettree/tree_construction.hpp"
#include "driver/bucket_tree_mode.hpp"
#include "input/process_state.hpp"
#include "network/assembly_steps.hpp"
#include "oracle/enumerator.hpp"
#include "ordering/order_product.hpp"
#include "product/trimming.hpp"
#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

// What the mode keeps between its stages; the trees go before the products.
struct Stage {
    ProductArray products;
    std::vector<EliminationOrder> orders;
    BucketTreeArray trees;
    ~Stage() {
        trees.clear();
        products.clear();
        resetNodeLinks(runParameters.pedigrees);
    }
};

// Products, trimming and orders at the current fractions; with trees merged
// at most `mergeLimit` times unless `trees` is false. Null for likelihood 0.
std::unique_ptr<Stage> prepare(int mergeLimit, bool trees = true, const OrderLimits& limits = {}) {
    return quietly([&] {
        resetNodeLinks(runParameters.pedigrees);
        auto stage = std::make_unique<Stage>();
        int failed = 0;
        stage->products = buildProducts(failed, runParameters.pedigrees);
        if (failed == 0) runParameters.logLikelihood += trimProducts(stage->products, runParameters.pedigrees, failed);
        if (failed == 1) return std::unique_ptr<Stage>();
        stage->orders = makeEliminationOrders(stage->products, runParameters.pedigrees, runParameters.lociCount, limits);
        if (!trees) return stage;
        stage->trees = createBucketTrees(stage->products, stage->orders);
        createVarArrays(stage->trees);
        MergeBuckets(stage->trees, mergeLimit);
        CountMeioses(runParameters.pedigrees);
        return stage;
    });
}

double runTrees(Stage& stage, const BteSettings& settings = {}) {
    return quietly([&] {
        bteLogLikelihood = 0.0;
        for (auto& tree : stage.trees) RunBte(*tree, settings);
        return runParameters.logLikelihood + bteLogLikelihood;
    });
}

double eliminationLogLikelihood() {
    const std::unique_ptr<Stage> stage = prepare(0, false);
    if (stage == nullptr) return -HUGE_VAL;
    quietly([&] { computeLikelihoods(stage->products, stage->orders, runParameters.pedigrees); });
    return runParameters.logLikelihood;
}

// Tiny datasets, consistent or not, and gene-dropped families up to 60, by name.
const std::vector<std::pair<std::string, oracle::Dataset>>& datasets() {
    static const auto all = [] {
        std::vector<std::pair<std::string, oracle::Dataset>> list;
        for (const auto [persons, minLoci, maxLoci] : std::initializer_list<std::array<int, 3>>{{4, 1, 2}, {3, 3, 3}, {6, 1, 3}}) {
            for (std::uint64_t seed = 1; seed <= 100; ++seed) {
                const oracle::TinyOptions options{.geneDropped = seed % 3 != 0, .minLoci = minLoci, .maxLoci = maxLoci, .maxPersons = persons};
                list.emplace_back("tiny " + std::to_string(seed) + " persons " + std::to_string(persons), oracle::randomTinyDataset(seed, options));
            }
        }
        for (std::uint64_t seed = 1; seed <= 43; ++seed) {
            const oracle::GeneDropOptions options{.maxPersons = 6, .maxPedigrees = 2, .maxMarkers = 2, .maxAlleles = 4};
            const oracle::GeneDropOptions large{.minPersons = 30, .maxPedigrees = 2, .maxMarkers = 3, .maxAlleles = 5};
            list.emplace_back("dropped " + std::to_string(seed), oracle::geneDroppedDataset(seed, seed <= 40 ? options : large));
        }
        return list;
    }();
    return all;
}

bool same(double a, double b) {
    const bool possible = a > impossibleLogLikelihood, alsoPossible = b > impossibleLogLikelihood;
    if (!possible || !alsoPossible) return possible == alsoPossible;
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

struct TreeVariant {
    const char* name;
    int mergeLimit;
    BteSettings settings;
    int every;  // every dataset, or every second, third ...
    OrderLimits limits = {};
    bool treeOrders = false;  // the limits are those of the bucket-tree mode's orders
};

// A bucket tree's order never conditions, and it keeps its tables within
// the memory, or else keeps no more than the greedy order. Counts the
// orders that keep fewer entries than the greedy order, where one branch of
// the greedy order would fit the memory, and where no order found fits.
void checkTreeOrders(const Stage& stage, const OrderLimits& limits, const std::string& name, std::array<int, 2>& smaller) {
    int index = 0;
    for (const Pedigree* pedigree = runParameters.pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++index) {
        const Product& product = *stage.products[index];
        EliminationOrder greedy;
        const OrderCost greedyCost = makeGreedyOrder(product, greedy, *pedigree, runParameters.lociCount, runParameters.isSexLinked, limits);
        const std::unique_ptr<TempProd> replay = buildTempProd(product);
        for (const OrderEntry& entry : stage.orders[index].entries) {
            EXPECT_EQ(entry.conditioned, 0) << name;
            sumOutTemp(*replay, orderVariableOf(*replay, *entry.node->variable));
        }
        EXPECT_LE(replay->tracking.cost.keptEntries, std::max(limits.memoryEntries, greedyCost.keptEntries)) << name;
        const double kept = replay->tracking.cost.keptEntries;
        smaller[0] += kept < greedyCost.keptEntries && greedyCost.peakEntries <= limits.memoryEntries ? 1 : 0;
        smaller[1] += kept < greedyCost.keptEntries && kept > limits.memoryEntries ? 1 : 0;
    }
}

class TwoEngines : public ::testing::TestWithParam<TreeVariant> {};

TEST_P(TwoEngines, BucketTreeRunEqualsElimination) {
    const TreeVariant& variant = GetParam();
    int possible = 0, sexLinked = 0, index = 0;
    std::array<int, 2> smallerThanGreedy{};
    for (const auto& [name, data] : datasets()) {
        if (index++ % variant.every != 0 || !loadDataset(data)) continue;
        const double elimination = eliminationLogLikelihood();
        const std::unique_ptr<Stage> stage = prepare(variant.mergeLimit, true, variant.limits);
        if (stage == nullptr) {
            EXPECT_FALSE(elimination > impossibleLogLikelihood) << name;
            continue;
        }
        if (variant.treeOrders) checkTreeOrders(*stage, variant.limits, name, smallerThanGreedy);
        const double bucketTree = runTrees(*stage, variant.settings);
        EXPECT_TRUE(same(bucketTree, elimination)) << name << ": " << bucketTree << " vs " << elimination;
        possible += elimination > impossibleLogLikelihood ? 1 : 0;
        sexLinked += runParameters.isSexLinked;
    }
    EXPECT_GE(possible, 200 / variant.every);
    EXPECT_GE(sexLinked, 50 / variant.every);
    // Past the memory, the search runs and finds smaller trees.
    EXPECT_TRUE(!variant.treeOrders || (smallerThanGreedy[0] > 0 && smallerThanGreedy[1] > 0));
}

INSTANTIATE_TEST_SUITE_P(
    Trees, TwoEngines,
    ::testing::Values(TreeVariant{"Unmerged", 0, {}, 1}, TreeVariant{"Merged", 85, {}, 1},
                      TreeVariant{"MergedOneVariableAtATime", 85, {.onePassThreshold = 0}, 1},
                      TreeVariant{"MergedBlockwise", 85, {.blockThreshold = 4096}, 3},
                      TreeVariant{"MergedTinyBlocks", 85, {.blockThreshold = 4}, 7},
                      TreeVariant{"MergedOnOrdersSearchedForSmallMemory", 85, {}, 2, bucketTreeOrderLimits({.memoryEntries = 200.0}), true}),
    [](const auto& info) { return std::string(info.param.name); });

using oracle::Condition;

// The expected recombination counts of the first run (every kind of belief
// goes into them), then EM on past the mode's stopping point, until the
// change is not a number.
class Beliefs : public ::testing::TestWithParam<bool> {};

TEST_P(Beliefs, GiveThePosteriorRecombinationCountsAndNoIterationLowersTheLikelihood) {
    const bool sexLinked = GetParam();
    int counted = 0, rising = 0;
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        const oracle::Dataset data = oracle::randomTinyDataset(seed, {.geneDropped = seed % 4 != 0, .minLoci = 3, .maxPersons = sexLinked ? 5 : 4, .sexLinked = sexLinked});
        const std::string where = "seed " + std::to_string(seed);
        if (!loadDataset(data)) continue;
        const std::unique_ptr<Stage> stage = prepare(85);
        // Trimming does not find every impossible pedigree.
        if (stage == nullptr || oracle::logLikelihood(data) == impossibleLogLikelihood || meiosisCount == 0) continue;
        std::vector<double> values{runTrees(*stage)};
        double change = ExpectedValues(runParameters.pedigrees);
        for (int i = 0; i + 1 < runParameters.lociCount; ++i, ++counted) {
            // Over every meiosis, the posterior probability of a recombination.
            double expected = 0.0;
            for (int q = 0; q < static_cast<int>(data.pedigrees.size()); ++q) {
                for (int line = 0; line < static_cast<int>(data.pedigrees[q].persons.size()); ++line) {
                    for (int side = sexLinked ? 1 : 0; side < 2 && data.pedigrees[q].persons[line].father >= 0; ++side) {
                        for (int value = 0; value < 2; ++value) {
                            expected += oracle::jointPosterior(data, q, {{Condition::Kind::Selector, line, i, side == 0, value},
                                                                        {Condition::Kind::Selector, line, i + 1, side == 0, 1 - value}});
                        }
                    }
                }
            }
            EXPECT_NEAR(runParameters.thetaVals[i].theta * meiosisCount, expected, 1e-9 * meiosisCount) << where << " interval " << i;
        }
        quietly([&] {
            while (!std::isnan(change) && values.size() < 5) {
                change = Reestimate(runParameters.pedigrees, stage->products, stage->trees, runParameters.isSexLinked, values.emplace_back());
            }
        });
        for (size_t k = 1; k < values.size(); ++k) {
            EXPECT_GE(values[k], values[k - 1] - 1e-9 * std::max(1.0, std::fabs(values[k - 1]))) << where << " iteration " << k;
        }
        rising += values.back() > values.front() + 1e-6 ? 1 : 0;
    }
    EXPECT_GE(counted, 200);
    EXPECT_GE(rising, 10);
}

INSTANTIATE_TEST_SUITE_P(Data, Beliefs, ::testing::Values(false, true));

}  // namespace
}  // namespace pedlik::testing
