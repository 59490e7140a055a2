// The greedy choice: cheapest first, cheap enough taken at once, ties to the
// first met from where the last scan stopped, conditioning when even the
// cheapest step is too costly.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "order_test_support.hpp"
#include "product/elimination_order.hpp"
#include "product/order_choice.hpp"

namespace pedlik::testing {
namespace {

std::string greedy(OrderBench& bench, OrderLimits limits = {}) {
    EliminationOrder order;
    std::unique_ptr<TempProd> tempProd = bench.tempProd();
    greedyOrder(*tempProd, order, limits);
    EXPECT_EQ(tempProd->variableCount, 0);
    return bench.render(order);
}

// Two 4-cycles with sides of 5, 4, 5, 4 values (costs 16, 25, 16, 25) around
// a pair w-u that costs nothing.
TEST(GreedyOrder, TakesTheCheapestAndBreaksTiesByTheScanStart) {
    OrderBench bench({5, 4, 5, 4, 2, 2, 5, 4, 5, 4},
                     {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {4}, {6, 7}, {7, 8}, {8, 9}, {9, 6}});
    // w (4) and then u (5) cost nothing; the scan then starts at slot 6, so
    // of the costs of 16 it meets 6 before 0. Once a cycle has lost a
    // variable, its other side of 5 values costs 16 against 20.
    EXPECT_EQ(greedy(bench), "4 5 6 8 9 7 0 2 3 1");
}

struct QuickCase {
    int sideValues[2];  // value counts of the two neighbours of variable 0
    const char* order;
};

class QuickChoice : public ::testing::TestWithParam<QuickCase> {};

// Variable 0 comes first in the scan with cost sideValues[0] x sideValues[1];
// variable 1, next, costs nothing.
TEST_P(QuickChoice, CostOfFifteenOrLessEndsTheScan) {
    OrderBench bench({2, 2, GetParam().sideValues[0], GetParam().sideValues[1]}, {{0, 2}, {0, 3}, {1}});
    EXPECT_EQ(greedy(bench), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(AtTheLimit, QuickChoice,
                         ::testing::Values(QuickCase{{3, 5}, "0 1 2 3"}, QuickCase{{4, 4}, "1 2 3 0"}),
                         [](const auto& info) {
                             return "Cost" + std::to_string(info.param.sideValues[0] * info.param.sideValues[1]);
                         });

struct ThresholdCase {
    double conditionThreshold;
    const char* order;
};

class ConditioningStep : public ::testing::TestWithParam<ThresholdCase> {};

// In the cycle 0-1-2-3 of 5, 4, 5, 4 values the smallest cost is 16. At a
// threshold of 16 the step conditions on the costliest variable, 1 (cost
// 25, two functions), which leaves the others nothing to join.
TEST_P(ConditioningStep, StartsWhenTheSmallestCostReachesTheThreshold) {
    OrderBench bench({5, 4, 5, 4}, {{0, 1}, {1, 2}, {2, 3}, {3, 0}});
    EXPECT_EQ(greedy(bench, {.conditionThreshold = GetParam().conditionThreshold}), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(AroundTheSmallestCost, ConditioningStep,
                         ::testing::Values(ThresholdCase{16.0, "!1 2 3 0"}, ThresholdCase{17.0, "0 2 3 1"}),
                         [](const auto& info) {
                             return "Threshold" + std::to_string(static_cast<int>(info.param.conditionThreshold));
                         });

TEST(GreedyOrder, VariableWithoutFunctionsStillGetsAnEntry) {
    OrderBench bench({2, 3, 2}, {{1, 2}});
    EXPECT_EQ(greedy(bench), "1 2 0");
}

// x (slot 0) and z (slot 8): four functions, cost 16; y (slot 5): two
// functions, cost 20.
struct Choices : ::testing::Test {
    OrderBench bench{{2, 2, 2, 2, 2, 2, 4, 5, 2, 2, 2, 2, 2},
                     {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {5, 6}, {5, 7}, {8, 9}, {8, 10}, {8, 11}, {8, 12}}};
    std::unique_ptr<TempProd> tempProd = bench.tempProd();
    OrderVariable* x = &bench.orderVar(*tempProd, 0);
    OrderVariable* y = &bench.orderVar(*tempProd, 5);
    OrderVariable* z = &bench.orderVar(*tempProd, 8);
};

TEST_F(Choices, ConditionedIsTheLargestCostTimesRootOfFunctionCount) {
    // 16 x 2 = 32 beats 20 x 1.41 = 28.3, though y costs more.
    EXPECT_EQ(chooseConditioned(*tempProd), x);  // x and z tie: the first slot wins
    const std::vector<OrderVariable*> later{y, z, x};
    EXPECT_EQ(chooseConditioned(later), z);  // in a list, the first listed wins
    const std::vector<OrderVariable*> yOnly{y, &bench.orderVar(*tempProd, 6)};
    EXPECT_EQ(chooseConditioned(yOnly), y);
}

TEST_F(Choices, CandidateScanResumesAfterTheChoiceAndWraps) {
    const std::vector<OrderVariable*> candidates{y, x, z};
    int position = 0;
    CostChoice choice = chooseMinCost(candidates, position);
    EXPECT_EQ(choice.variable, x);
    EXPECT_EQ(choice.cost, 16.0);
    EXPECT_EQ(position, 2);
    choice = chooseMinCost(candidates, position);
    EXPECT_EQ(choice.variable, z);  // met before x this time
    EXPECT_EQ(position, 0);
    EXPECT_EQ(tempProd->scanPosition, 0);  // the slot scan keeps its own position
}

// However the steps go, each live variable gets exactly one entry.
TEST(GreedyOrder, EveryLiveVariableOnceOnRandomProducts) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        const RandomProductShape shape = randomProductShape(random, 12);
        OrderBench bench(shape.valueCounts, shape.functions);
        const double thresholds[] = {2.0, 9.0, 40.0, 2'000'000.0};
        EliminationOrder order;
        std::unique_ptr<TempProd> tempProd = bench.tempProd();
        greedyOrder(*tempProd, order, {.conditionThreshold = thresholds[seed % 4]});
        ASSERT_EQ(order.entryCount(), bench.product().variableCount) << "seed " << seed;
        std::set<const Node*> nodes;
        for (const OrderEntry& entry : order.entries) nodes.insert(entry.node);
        ASSERT_EQ(nodes.size(), bench.vars.size()) << "seed " << seed;
        ASSERT_EQ(nodes.count(nullptr), 0u) << "seed " << seed;
    }
}

}  // namespace
}  // namespace pedlik::testing
