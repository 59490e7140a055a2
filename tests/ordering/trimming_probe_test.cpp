// What conditioning leaves after trimming, as the order search foresees it.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "ordering/order_cost.hpp"
#include "ordering/order_product.hpp"
#include "ordering/trimming_probe.hpp"
#include "product/function_index.hpp"
#include "product/product_pool.hpp"
#include "product/tables.hpp"

namespace pedlik::testing {
namespace {

// A (3 values), B and C (2 each), a table over each pair whose non-zero
// entries support every value, so that the product is trimmed as built.
// Fixing A = 0 trims nothing; A = 1 leaves B = 0 and C = 1; A = 2 leaves
// B = 1 and C = 1, which the table over B and C does not allow.
struct Triangle {
    std::deque<Node> nodes;  // outlive the product
    std::unique_ptr<Product> product = createProduct(8, 8);
    Variable *a = nullptr, *b = nullptr, *c = nullptr;

    Triangle() {
        for (int count : {3, 2, 2}) {
            nodes.emplace_back().valueCount = count;
            variableForNode(nodes.back(), *product);
        }
        a = nodes[0].variable, b = nodes[1].variable, c = nodes[2].variable;
        addTable({a, b}, {1, 1, 1, 0, 0, 1});
        addTable({a, c}, {1, 1, 0, 1, 0, 1});
        addTable({b, c}, {1, 1, 1, 0});
        buildFunctionIndex(*product);
    }

    void addTable(std::vector<Variable*> vars, std::vector<double> entries) {
        SharedTable table = newTable(entries.size(), "table");
        std::copy(entries.begin(), entries.end(), table->begin());
        addFunction(*product, std::move(table), 0.0, 1, std::move(vars), freshRescaleCountdown);
    }
};

TEST(TrimmingProbe, CountsLiveBranchesAndTheValuesTheyKeep) {
    Triangle t;
    TrimmingProbes probes(*t.product);
    const ConditioningProbe& probe = probes.of(variableIndex(*t.product, *t.a));
    EXPECT_DOUBLE_EQ(probe.liveShare, 2.0 / 3.0);
    // The two live branches keep 2 and 1 of the 2 values.
    EXPECT_DOUBLE_EQ(probe.keptShares[variableIndex(*t.product, *t.b)], 0.75);
    EXPECT_DOUBLE_EQ(probe.keptShares[variableIndex(*t.product, *t.c)], 0.75);
    EXPECT_EQ(&probes.of(variableIndex(*t.product, *t.a)), &probe);
    EXPECT_EQ(t.a->valueCount, 3);  // probing leaves the product as it was
}

TEST(TrimmingProbe, ConditioningLowersCountsOnceAndCountsOnlyLiveBranches) {
    Triangle t;
    TrimmingProbes probes(*t.product);
    const ConditioningProbe& probe = probes.of(variableIndex(*t.product, *t.a));
    std::unique_ptr<TempProd> tempProd = buildTempProd(*t.product);
    OrderVariable& b = orderVariableOf(*tempProd, *t.b);
    conditionTemp(*tempProd, orderVariableOf(*tempProd, *t.a), &probe);
    EXPECT_DOUBLE_EQ(tempProd->tracking.branches, 2.0);
    EXPECT_DOUBLE_EQ(b.valueCount, 1.5);
    // The same trimming foreseen again removes nothing more.
    EXPECT_DOUBLE_EQ(trimmedValueCount(b, probe), 1.5);
    // The tables left: B and C with 1.5 values each, A's two now over one.
    EXPECT_DOUBLE_EQ(tempProd->tracking.productEntries, 1.5 + 1.5 + 1.5 * 1.5);
}

}  // namespace
}  // namespace pedlik::testing
