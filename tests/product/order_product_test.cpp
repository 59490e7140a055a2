// The light product the elimination order is chosen on: its copy of the
// product's structure, the cost of summing a variable out, the two steps and
// the cost cache they keep exact.
#include <gtest/gtest.h>

#include <random>

#include "order_test_support.hpp"

namespace pedlik::testing {
namespace {

std::vector<OrderVariable*> varsOf(const OrderFunction& function) { return function.vars; }

TEST(TempProdBuild, CopiesLiveStructureInSlotOrderAndLeavesTheProductAlone) {
    ProductBench bench;
    Variable& a = bench.var(2);
    releaseVariable(*bench.product, bench.var(3));  // a gap in the variable slots
    Variable& c = bench.var(4);
    Variable& d = bench.var(5);
    releaseFunction(*bench.product, bench.table({&a}));  // a gap in the function slots
    bench.table({&a, &c});
    bench.table({&d, &c});
    bench.table({&d});
    buildFunctionIndex(*bench.product);

    const std::unique_ptr<TempProd> tempProd = buildTempProd(*bench.product);
    ASSERT_EQ(tempProd->variableCount, 3);
    ASSERT_EQ(tempProd->variables.size(), 4u);  // one spare slot
    ASSERT_EQ(tempProd->functionCount, 3);
    ASSERT_EQ(tempProd->functions.size(), 4u);
    OrderVariable* ta = &tempProd->variables[0];
    OrderVariable* tc = &tempProd->variables[1];
    OrderVariable* td = &tempProd->variables[2];
    EXPECT_EQ(tempProd->oldToNewVarMapping, (std::vector<OrderVariable*>{ta, nullptr, tc, td, nullptr, nullptr, nullptr, nullptr}));
    EXPECT_EQ(&orderVariableOf(*tempProd, d), td);
    EXPECT_EQ(ta->node, a.node);
    EXPECT_EQ(td->valueCount, 5);
    EXPECT_EQ(tc->cost, costUnknown);

    OrderFunction* f0 = &tempProd->functions[0];
    OrderFunction* f1 = &tempProd->functions[1];
    OrderFunction* f2 = &tempProd->functions[2];
    EXPECT_EQ(varsOf(*f0), (std::vector<OrderVariable*>{ta, tc}));
    EXPECT_EQ(varsOf(*f1), (std::vector<OrderVariable*>{td, tc}));
    EXPECT_EQ(varsOf(*f2), (std::vector<OrderVariable*>{td}));
    EXPECT_EQ(tc->funcs, (std::vector<OrderFunction*>{f0, f1}));
    EXPECT_EQ(td->funcs, (std::vector<OrderFunction*>{f1, f2}));
    EXPECT_EQ(td->funcCapacity, 2);

    EXPECT_EQ(bench.product->variableCount, 3);
    EXPECT_EQ(bench.product->functionCount, 3);
    EXPECT_EQ(d.funcCount(), 2);
}

struct CostCase {
    const char* name;
    std::vector<int> valueCounts;              // variable 0 is the one whose cost is asked
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
                      CostCase{"OneFunctionHoldsAll", {3, 2, 4}, {{1, 0, 2}, {0}}, 0.0},
                      CostCase{"LargestFunctionHoldsAll", {3, 2, 4}, {{0, 1}, {2, 1, 0}, {0}}, 0.0},
                      CostCase{"TwoFunctions", {2, 3, 4}, {{0, 1}, {2, 0}}, 12.0},
                      CostCase{"OwnValueCountDivides", {3, 2, 5}, {{0, 1}, {2, 0}, {1, 2}}, 10.0},
                      CostCase{"SharedNeighbourCountedOnce", {2, 3, 4, 5}, {{0, 1, 2}, {1, 0, 3}}, 60.0}),
    [](const auto& info) { return std::string(info.param.name); });

// v = 0, a = 1, b = 2, c = 3, d = 4; every variable has two values.
struct TempSteps : ::testing::Test {
    OrderBench bench{{2, 2, 2, 2, 2}, {{1, 0, 2}, {0, 3, 1}, {3, 4}, {2}}};
    std::unique_ptr<TempProd> tempProd = bench.tempProd();
    OrderVariable& v = bench.orderVar(*tempProd, 0);
    OrderVariable& a = bench.orderVar(*tempProd, 1);
    OrderVariable& b = bench.orderVar(*tempProd, 2);
    OrderVariable& c = bench.orderVar(*tempProd, 3);
    OrderVariable& d = bench.orderVar(*tempProd, 4);
    OrderFunction* fcd = &tempProd->functions[2];
    OrderFunction* fb = &tempProd->functions[3];

    void SetUp() override {
        for (OrderVariable* variable : {&v, &a, &b, &c, &d}) variable->cost = orderCost(*variable);
    }
};

TEST_F(TempSteps, SumOutJoinsTheNeighboursInOrderOfFirstAppearance) {
    sumOutTemp(*tempProd, v);
    EXPECT_EQ(v.inUse, 0);
    EXPECT_EQ(tempProd->variableCount, 4);
    EXPECT_EQ(tempProd->functionCount, 3);
    ASSERT_EQ(a.funcCount(), 1);
    OrderFunction* joined = a.funcs[0];
    EXPECT_EQ(varsOf(*joined), (std::vector<OrderVariable*>{&a, &b, &c}));
    EXPECT_EQ(b.funcs, (std::vector<OrderFunction*>{fb, joined}));  // the kept function stays first
    EXPECT_EQ(c.funcs, (std::vector<OrderFunction*>{fcd, joined}));
    EXPECT_EQ(d.funcs, (std::vector<OrderFunction*>{fcd}));
    for (OrderVariable* touched : {&a, &b, &c}) EXPECT_EQ(touched->cost, costUnknown);
    EXPECT_EQ(d.cost, 0.0);  // not a neighbour: its cached cost still holds
}

TEST_F(TempSteps, SumOutOfAVariableWithoutNeighboursCreatesNoFunction) {
    sumOutTemp(*tempProd, v);
    sumOutTemp(*tempProd, a);
    conditionTemp(*tempProd, c);  // leaves b in two functions over b alone
    ASSERT_EQ(b.funcCount(), 2);
    const int functions = tempProd->functionCount;
    sumOutTemp(*tempProd, b);
    EXPECT_EQ(tempProd->functionCount, functions - 2);
    EXPECT_EQ(varsOf(*d.funcs.at(0)), (std::vector<OrderVariable*>{&d}));
    EXPECT_EQ(tempProd->variableCount, 1);
}

TEST_F(TempSteps, ConditioningDropsTheVariableAndKeepsEveryFunction) {
    OrderFunction* fca = v.funcs[1];
    sumOutTemp(*tempProd, d);  // c's function over d becomes one over c alone
    sumOutTemp(*tempProd, b);  // joins a and v
    OrderFunction* fav = v.funcs.at(1);
    ASSERT_EQ(varsOf(*fav), (std::vector<OrderVariable*>{&a, &v}));
    for (OrderVariable* variable : {&v, &a, &c}) variable->cost = orderCost(*variable);
    const int functions = tempProd->functionCount;

    conditionTemp(*tempProd, a);
    EXPECT_EQ(a.inUse, 0);
    EXPECT_EQ(tempProd->functionCount, functions);
    EXPECT_EQ(varsOf(*fca), (std::vector<OrderVariable*>{&v, &c}));
    EXPECT_EQ(varsOf(*fav), (std::vector<OrderVariable*>{&v}));
    EXPECT_EQ(v.funcs, (std::vector<OrderFunction*>{fca, fav}));
    EXPECT_EQ(v.cost, costUnknown);
    EXPECT_EQ(c.cost, costUnknown);

    conditionTemp(*tempProd, v);
    EXPECT_EQ(tempProd->variableCount, 1);
    EXPECT_EQ(tempProd->functionCount, functions);
    EXPECT_EQ(varsOf(*fca), (std::vector<OrderVariable*>{&c}));
    EXPECT_EQ(fav->inUse, 1);  // left with no variable
    EXPECT_TRUE(fav->vars.empty());
}

// After any sequence of steps, a cached cost is the cost a fresh computation
// gives, and every variable lists exactly the live functions that list it.
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
            OrderVariable& chosen = *live[std::uniform_int_distribution<std::size_t>(0, live.size() - 1)(random)];
            if (random() % 3 == 0) {
                conditionTemp(*tempProd, chosen);
            } else {
                sumOutTemp(*tempProd, chosen);
            }
            for (OrderVariable& variable : tempProd->variables) {
                if (!variable.inUse) continue;
                const double cached = variable.cost;
                if (cached != costUnknown) {
                    ASSERT_EQ(cached, orderCost(variable)) << "seed " << seed;
                }
                ASSERT_LE(variable.funcCount(), variable.funcCapacity) << "seed " << seed;
                for (OrderFunction& function : tempProd->functions) {
                    const bool lists = function.inUse && std::count(function.vars.begin(), function.vars.end(), &variable) == 1;
                    ASSERT_EQ(std::count(variable.funcs.begin(), variable.funcs.end(), &function), lists ? 1 : 0)
                        << "seed " << seed;
                }
            }
        }
        ASSERT_LE(tempProd->functionCount, static_cast<int>(tempProd->functions.size())) << "seed " << seed;
    }
}

}  // namespace
}  // namespace pedlik::testing
