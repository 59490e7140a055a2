// The greedy choice: cheapest first, cheap enough taken at once, ties to the
// first met from where the last scan stopped, conditioning when even the
// cheapest step is too costly, and an entry for every live variable.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "order_test_support.hpp"
#include "product/elimination_order.hpp"
#include "product/order_choice.hpp"

namespace pedlik::testing {
namespace {

EliminationOrder greedy(OrderBench& bench, OrderLimits limits) {
    EliminationOrder order;
    std::unique_ptr<TempProd> tempProd = bench.tempProd();
    greedyOrder(*tempProd, order, limits);
    EXPECT_EQ(tempProd->variableCount, 0);
    return order;
}

struct GreedyCase {
    const char* name;
    std::vector<int> valueCounts;
    std::vector<std::vector<int>> functions;
    double conditionThreshold;
    const char* order;  // variable indices, "!" marking a conditioning entry
};

class Greedy : public ::testing::TestWithParam<GreedyCase> {};

TEST_P(Greedy, HandWorkedOrder) {
    OrderBench bench(GetParam().valueCounts, GetParam().functions);
    EXPECT_EQ(bench.render(greedy(bench, {.conditionThreshold = GetParam().conditionThreshold})), GetParam().order);
}

// A 4-cycle of 5, 4, 5, 4 values: the sides of 5 values cost 16, the others
// 25; once a side is gone, its opposite costs 16 against 20.
const std::vector<std::vector<int>> cycle{{0, 1}, {1, 2}, {2, 3}, {3, 0}};

INSTANTIATE_TEST_SUITE_P(
    SmallProducts, Greedy,
    ::testing::Values(
        // w (4) and then u (5) cost nothing; the scan then starts at slot 6,
        // so of the costs of 16 it meets 6 before 0.
        GreedyCase{"TiesGoToTheFirstMetFromTheScanStart",
                   {5, 4, 5, 4, 2, 2, 5, 4, 5, 4},
                   {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {4}, {6, 7}, {7, 8}, {8, 9}, {9, 6}},
                   2e6,
                   "4 5 6 8 9 7 0 2 3 1"},
        // Variable 0 comes first with cost 3 x 5 or 4 x 4; 1 costs nothing.
        GreedyCase{"CostFifteenIsTakenAtOnce", {2, 2, 3, 5}, {{0, 2}, {0, 3}, {1}}, 2e6, "0 1 2 3"},
        GreedyCase{"CostSixteenIsNot", {2, 2, 4, 4}, {{0, 2}, {0, 3}, {1}}, 2e6, "1 2 3 0"},
        // At a smallest cost of 16 the step conditions on the costliest
        // variable, 1, which leaves the others nothing to join.
        GreedyCase{"SmallestCostAtTheThresholdConditions", {5, 4, 5, 4}, cycle, 16.0, "!1 2 3 0"},
        GreedyCase{"SmallestCostBelowTheThresholdSums", {5, 4, 5, 4}, cycle, 17.0, "0 2 3 1"},
        GreedyCase{"VariableWithoutFunctionsComesLast", {2, 3, 2}, {{1, 2}}, 2e6, "1 2 0"}),
    [](const auto& info) { return std::string(info.param.name); });

// x (0) and z (8): four functions, cost 16, weight 32; y (5): two
// functions, cost 20, weight 28.3.
TEST(ChooseConditioned, LargestCostTimesRootOfFunctionCountFirstOneWins) {
    OrderBench bench({2, 2, 2, 2, 2, 2, 4, 5, 2, 2, 2, 2, 2},
                     {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {5, 6}, {5, 7}, {8, 9}, {8, 10}, {8, 11}, {8, 12}});
    std::unique_ptr<TempProd> tempProd = bench.tempProd();
    OrderVariable* x = &bench.orderVar(*tempProd, 0);
    OrderVariable* y = &bench.orderVar(*tempProd, 5);
    OrderVariable* z = &bench.orderVar(*tempProd, 8);
    EXPECT_EQ(chooseConditioned(*tempProd), x);
    EXPECT_EQ(chooseConditioned(std::vector<OrderVariable*>{y, z, x}), z);
    EXPECT_EQ(chooseConditioned(std::vector<OrderVariable*>{&bench.orderVar(*tempProd, 6), y}), y);
}

TEST(GreedyOrder, EveryLiveVariableOnceOnRandomProducts) {
    const double thresholds[] = {2.0, 9.0, 40.0, 2e6};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        const RandomProductShape shape = randomProductShape(random, 12);
        OrderBench bench(shape.valueCounts, shape.functions);
        const EliminationOrder order = greedy(bench, {.conditionThreshold = thresholds[seed % 4]});
        std::set<const Node*> nodes;
        for (const OrderEntry& entry : order.entries) nodes.insert(entry.node);
        ASSERT_EQ(order.entryCount(), bench.product().variableCount) << "seed " << seed;
        ASSERT_EQ(nodes.size(), bench.vars.size()) << "seed " << seed;
        ASSERT_EQ(nodes.count(nullptr), 0u) << "seed " << seed;
    }
}

}  // namespace
}  // namespace pedlik::testing
