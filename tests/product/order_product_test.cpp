// The light product the elimination order is chosen on: its copy of the
// product's structure, the cost of summing a variable out, and the cost cache
// that the two steps keep exact.
#include <gtest/gtest.h>

#include <random>

#include "order_test_support.hpp"

namespace pedlik::testing {
namespace {

TEST(TempProdBuild, MapsLiveSlotsAcrossGapsAndListsFunctionsInSlotOrder) {
    ProductBench bench;
    Variable& a = bench.var(2);
    releaseVariable(*bench.product, bench.var(3));
    Variable& c = bench.var(4);
    releaseFunction(*bench.product, bench.table({&a}));
    bench.table({&a, &c});
    bench.table({&c});
    buildFunctionIndex(*bench.product);

    const std::unique_ptr<TempProd> tempProd = buildTempProd(*bench.product);
    ASSERT_EQ(tempProd->variableCount, 2);
    ASSERT_EQ(tempProd->functionCount, 2);
    OrderVariable& tc = orderVariableOf(*tempProd, c);
    EXPECT_EQ(&tc, &tempProd->variables[1]);
    EXPECT_EQ(tc.node, c.node);
    EXPECT_EQ(tc.valueCount, 4);
    EXPECT_EQ(tc.funcs, (std::vector<OrderFunction*>{&tempProd->functions[0], &tempProd->functions[1]}));
    EXPECT_EQ(tempProd->functions[0].vars, (std::vector<OrderVariable*>{&orderVariableOf(*tempProd, a), &tc}));
}

struct CostCase {
    const char* name;
    std::vector<int> valueCounts;  // variable 0 is the one whose cost is asked
    std::vector<std::vector<int>> functions;
    double cost;
};

class OrderCost : public ::testing::TestWithParam<CostCase> {};

TEST_P(OrderCost, IsTheSizeOfTheTableThatSummingOutWouldCreate) {
    OrderBench bench(GetParam().valueCounts, GetParam().functions);
    const std::unique_ptr<TempProd> tempProd = bench.tempProd();
    for (OrderVariable& stale : tempProd->variables) stale.mark = 1;  // left over from another scan
    EXPECT_EQ(orderCost(bench.orderVar(*tempProd, 0)), GetParam().cost);
}

INSTANTIATE_TEST_SUITE_P(
    Neighbourhoods, OrderCost,
    ::testing::Values(CostCase{"NoFunctions", {3, 2}, {{1}}, 0.0},
                      CostCase{"LargestFunctionHoldsAll", {3, 2, 4}, {{0, 1}, {2, 1, 0}, {0}}, 0.0},
                      CostCase{"TwoFunctions", {2, 3, 4}, {{0, 1}, {2, 0}}, 12.0},
                      CostCase{"OwnValueCountDivides", {3, 2, 5}, {{0, 1}, {2, 0}, {1, 2}}, 10.0},
                      CostCase{"SharedNeighbourCountedOnce", {2, 3, 4, 5}, {{0, 1, 2}, {1, 0, 3}}, 60.0}),
    [](const auto& info) { return std::string(info.param.name); });

// After any sequence of steps a cached cost is what a fresh computation
// gives, so caching cannot change the order; and every variable lists
// exactly the live functions that list it.
TEST(CostCache, StaysExactOverRandomSteps) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        const RandomProductShape shape = randomProductShape(random, 9);
        OrderBench bench(shape.valueCounts, shape.functions);
        const std::unique_ptr<TempProd> tempProd = bench.tempProd();
        while (tempProd->variableCount > 0) {
            std::vector<OrderVariable*> live;
            for (OrderVariable& variable : tempProd->variables) {
                if (!variable.inUse) continue;
                live.push_back(&variable);
                variable.cost = orderCost(variable);
            }
            OrderVariable& chosen = *live[random() % live.size()];
            random() % 3 == 0 ? conditionTemp(*tempProd, chosen) : sumOutTemp(*tempProd, chosen);
            for (OrderVariable* variable : live) {
                if (!variable->inUse) continue;
                ASSERT_TRUE(variable->cost == costUnknown || variable->cost == orderCost(*variable)) << "seed " << seed;
                ASSERT_LE(variable->funcCount(), variable->funcCapacity) << "seed " << seed;
                for (OrderFunction& function : tempProd->functions) {
                    const bool lists = function.inUse && std::count(function.vars.begin(), function.vars.end(), variable);
                    ASSERT_EQ(std::count(variable->funcs.begin(), variable->funcs.end(), &function), lists ? 1 : 0)
                        << "seed " << seed;
                }
            }
        }
    }
}

}  // namespace
}  // namespace pedlik::testing
