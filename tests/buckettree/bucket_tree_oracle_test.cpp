// Bucket-tree elimination on the oracle datasets: its likelihood is that of
// elimination, the expected recombination counts its beliefs give are the
// enumerator's posteriors, and EM never lowers the likelihood; all the same
// when the trees are made one per conditioning branch.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

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
    BranchedPedigrees branched;
    BucketTreeArray trees;
    ~Stage() {
        trees.clear();
        products.clear();
        resetNodeLinks(runParameters.pedigrees);
    }
};

// How every pedigree's tree is taken to be predicted before the branches
// are planned: fitting the memory, past it, or fitting it at a cost past
// any branches'.
enum class TreePrediction { fits, pastMemory, pastAnyCost };

// Products, trimming and orders at the current fractions; with trees merged
// at most `mergeLimit` times unless `trees` is false, pedigrees made branch
// by branch as the plan for `prediction` says. Null for likelihood 0.
std::unique_ptr<Stage> prepare(int mergeLimit, bool trees = true, const OrderLimits& limits = {},
                               TreePrediction prediction = TreePrediction::fits) {
    return quietly([&] {
        resetNodeLinks(runParameters.pedigrees);
        auto stage = std::make_unique<Stage>();
        int failed = 0;
        stage->products = buildProducts(failed, runParameters.pedigrees);
        if (failed == 0) runParameters.logLikelihood += trimProducts(stage->products, runParameters.pedigrees, failed);
        if (failed == 1) return std::unique_ptr<Stage>();
        stage->orders = makeEliminationOrders(stage->products, runParameters.pedigrees, runParameters.lociCount, limits);
        if (!trees) return stage;
        for (EliminationOrder& order : stage->orders) {
            order.predictedEntries = prediction == TreePrediction::pastMemory ? HUGE_VAL : 0.0;
            if (prediction == TreePrediction::pastAnyCost) order.predictedMultiplyAdds = HUGE_VAL;
        }
        stage->branched = planBranches(stage->orders,
                                       makeEliminationOrders(stage->products, runParameters.pedigrees,
                                                             runParameters.lociCount, bucketTreeBranchLimits(limits)),
                                       limits);
        stage->branched.mergeLimit = mergeLimit;
        stage->trees = createBucketTrees(stage->products, stage->orders, stage->branched);
        createVarArrays(stage->trees);
        MergeBuckets(stage->trees, mergeLimit);
        CountMeioses(runParameters.pedigrees);
        return stage;
    });
}

double runTrees(Stage& stage, const BteSettings& settings = {}) {
    return quietly([&] {
        RunAllTrees(runParameters.pedigrees, stage.products, stage.trees, &stage.branched, settings);
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
    TreePrediction prediction = TreePrediction::fits;  // with the limits, which pedigrees are made branch by branch
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
    int possible = 0, sexLinked = 0, index = 0, pedigrees = 0, branchedPedigrees = 0;
    std::array<int, 2> smallerThanGreedy{};
    for (const auto& [name, data] : datasets()) {
        if (index++ % variant.every != 0 || !loadDataset(data)) continue;
        const double elimination = eliminationLogLikelihood();
        const std::unique_ptr<Stage> stage = prepare(variant.mergeLimit, true, variant.limits, variant.prediction);
        if (stage == nullptr) {
            EXPECT_FALSE(elimination > impossibleLogLikelihood) << name;
            continue;
        }
        if (variant.treeOrders) checkTreeOrders(*stage, variant.limits, name, smallerThanGreedy);
        const double bucketTree = runTrees(*stage, variant.settings);
        EXPECT_TRUE(same(bucketTree, elimination)) << name << ": " << bucketTree << " vs " << elimination;
        possible += elimination > impossibleLogLikelihood ? 1 : 0;
        sexLinked += runParameters.isSexLinked;
        for (std::size_t k = 0; k < stage->trees.size(); ++k) {
            if (!stage->branched.isBranched(k)) continue;
            ++branchedPedigrees;
            EXPECT_TRUE(variant.prediction == TreePrediction::pastMemory || conditions(stage->branched.orders[k])) << name;
        }
        pedigrees += static_cast<int>(stage->trees.size());
        if (variant.prediction == TreePrediction::fits) continue;
        // Branches side by side give the same numbers, bit for bit.
        std::vector<std::vector<double>> counts;
        for (const ExpectedCounts& pedigree : stage->branched.counts) counts.push_back(pedigree.recombinations);
        const std::unique_ptr<Stage> again = prepare(variant.mergeLimit, true, variant.limits, variant.prediction);
        WorkQueue queue(3);
        BteSettings threaded = variant.settings;
        threaded.queue = &queue;
        EXPECT_EQ(runTrees(*again, threaded), bucketTree) << name;
        for (std::size_t k = 0; k < counts.size(); ++k) EXPECT_EQ(again->branched.counts[k].recombinations, counts[k]) << name;
    }
    EXPECT_GE(possible, 200 / variant.every);
    EXPECT_GE(sexLinked, 50 / variant.every);
    // Past the memory, the search runs and finds smaller trees.
    EXPECT_TRUE(!variant.treeOrders || (smallerThanGreedy[0] > 0 && smallerThanGreedy[1] > 0));
    // A tree that fits is split only into branches cheaper than it: never
    // when its cost was low enough to take its order unsearched.
    if (variant.prediction == TreePrediction::fits) {
        EXPECT_EQ(branchedPedigrees, 0);
    } else if (variant.prediction == TreePrediction::pastAnyCost) {
        EXPECT_GT(branchedPedigrees, 0);
        EXPECT_LT(branchedPedigrees, pedigrees);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Trees, TwoEngines,
    ::testing::Values(TreeVariant{"Unmerged", 0, {}, 1}, TreeVariant{"Merged", 85, {}, 1},
                      TreeVariant{"MergedOneVariableAtATime", 85, {.onePassThreshold = 0}, 1},
                      TreeVariant{"MergedBlockwise", 85, {.blockThreshold = 4096}, 3},
                      TreeVariant{"MergedTinyBlocks", 85, {.blockThreshold = 4}, 7},
                      TreeVariant{"MergedOnOrdersSearchedForSmallMemory", 85, {}, 2, bucketTreeOrderLimits({.memoryEntries = 200.0}), true},
                      TreeVariant{"BranchByBranch", 85, {}, 2, {.conditionThreshold = 24.0}, false, TreePrediction::pastMemory},
                      TreeVariant{"BranchByBranchWhereCheaper", 85, {}, 3, {.conditionThreshold = 24.0}, false,
                                  TreePrediction::pastAnyCost}),
    [](const auto& info) { return std::string(info.param.name); });

using oracle::Condition;

// EM from the current fractions on past the mode's stopping point, until the
// change is not a number or five passes: each pass's ln L and the fractions
// it gave. `first` is given the first pass's ln L and sees its fractions
// before EM goes on.
struct EmPath {
    std::vector<double> values;
    std::vector<std::vector<double>> fractions;
};

EmPath runEm(Stage& stage, const std::function<void(double)>& first) {
    const auto fractions = [] {
        std::vector<double> thetas;
        for (const ThetaPair& pair : runParameters.thetaVals) thetas.push_back(pair.theta);
        return thetas;
    };
    EmPath path{{runTrees(stage)}, {}};
    double change = ExpectedValues(runParameters.pedigrees, nullptr, &stage.branched.counts);
    path.fractions.push_back(fractions());
    first(path.values.front());
    quietly([&] {
        while (!std::isnan(change) && path.values.size() < 5) {
            change = Reestimate(runParameters.pedigrees, stage.products, stage.trees, runParameters.isSexLinked,
                                path.values.emplace_back(), {}, &stage.branched);
            path.fractions.push_back(fractions());
        }
    });
    return path;
}

struct BeliefVariant {
    const char* name;
    bool sexLinked;
    // Trees made branch by branch, conditioned from tables of this many
    // entries on, and EM then taking the path it takes with one tree per
    // pedigree; 0 for one tree.
    double conditionThreshold = 0.0;
};

// The expected recombination counts of the first run (every kind of belief
// goes into them), then EM on past the mode's stopping point.
class Beliefs : public ::testing::TestWithParam<BeliefVariant> {};

TEST_P(Beliefs, GiveThePosteriorRecombinationCountsAndNoIterationLowersTheLikelihood) {
    const BeliefVariant& variant = GetParam();
    const bool sexLinked = variant.sexLinked;
    const bool branching = variant.conditionThreshold > 0.0;
    int counted = 0, rising = 0, branched = 0;
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        const oracle::Dataset data = oracle::randomTinyDataset(seed, {.geneDropped = seed % 4 != 0, .minLoci = 3, .maxPersons = sexLinked ? 5 : 4, .sexLinked = sexLinked});
        const std::string where = "seed " + std::to_string(seed);
        if (!loadDataset(data)) continue;
        const std::vector<ThetaPair> start = runParameters.thetaVals;
        EmPath oneTree;
        if (branching) {
            const std::unique_ptr<Stage> stage = prepare(85);
            if (stage != nullptr) oneTree = runEm(*stage, [](double) {});
            runParameters.thetaVals = start;
        }
        const std::unique_ptr<Stage> stage = prepare(85, true, {.conditionThreshold = variant.conditionThreshold},
                                                     branching ? TreePrediction::pastMemory : TreePrediction::fits);
        // Trimming does not find every impossible pedigree.
        if (stage == nullptr || oracle::logLikelihood(data) == impossibleLogLikelihood || meiosisCount == 0) continue;
        for (std::size_t k = 0; k < stage->trees.size(); ++k) branched += stage->branched.isBranched(k) ? 1 : 0;
        const EmPath path = runEm(*stage, [&](double value) {
            EXPECT_NEAR(value, oracle::logLikelihood(data), 1e-9 * std::max(1.0, std::fabs(value))) << where;
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
        });
        const std::vector<double>& values = path.values;
        for (size_t k = 1; k < values.size(); ++k) {
            EXPECT_GE(values[k], values[k - 1] - 1e-9 * std::max(1.0, std::fabs(values[k - 1]))) << where << " iteration " << k;
        }
        rising += values.back() > values.front() + 1e-6 ? 1 : 0;
        if (!branching) continue;
        ASSERT_EQ(path.values.size(), oneTree.values.size()) << where;
        for (size_t k = 0; k < values.size(); ++k) {
            EXPECT_NEAR(values[k], oneTree.values[k], 1e-9 * std::max(1.0, std::fabs(values[k]))) << where << " iteration " << k;
            for (size_t i = 0; i < path.fractions[k].size(); ++i) {
                EXPECT_NEAR(path.fractions[k][i], oneTree.fractions[k][i], 1e-9) << where << " iteration " << k << " interval " << i;
            }
        }
    }
    EXPECT_GE(counted, 200);
    EXPECT_GE(rising, 10);
    EXPECT_GE(branched, branching ? 100 : 0);
}

INSTANTIATE_TEST_SUITE_P(Data, Beliefs,
                         ::testing::Values(BeliefVariant{"Autosomal", false}, BeliefVariant{"SexLinked", true},
                                           BeliefVariant{"AutosomalBranchByBranch", false, 8.0},
                                           BeliefVariant{"SexLinkedBranchByBranch", true, 8.0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
