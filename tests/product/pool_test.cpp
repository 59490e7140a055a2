// Slot pools: which slot a new record takes, what a full pool does, and how
// releasing records keeps the nodes' links sound.
#include <gtest/gtest.h>

#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

class SlotPool : public ::testing::TestWithParam<bool> {  // true: variables, false: functions
protected:
    ProductBench bench{5};
    int add() {
        if (GetParam()) return variableIndex(*bench.product, bench.var(2));
        return functionIndex(*bench.product, bench.table({}, {1.0}));
    }
    void release(int slot) {
        if (GetParam()) return releaseVariable(*bench.product, bench.product->variables[slot]);
        releaseFunction(*bench.product, bench.product->functions[slot]);
    }
};

TEST_P(SlotPool, FreedSlotsAreTakenFromTheSearchPositionOnThenFromTheStart) {
    const std::vector<int> first{add(), add(), add()};
    EXPECT_EQ(first, (std::vector<int>{0, 1, 2}));
    release(0);
    release(1);
    EXPECT_EQ(add(), 3);  // slots 0 and 1 are free, but the search starts after slot 2
    EXPECT_EQ(add(), 4);
    EXPECT_EQ(add(), 0);  // past the end: wraps to the start
    release(4);
    EXPECT_EQ(add(), 1);
    release(1);
    EXPECT_EQ(add(), 4);  // a slot freed right after it was taken is searched last
    EXPECT_EQ(add(), 1);
    EXPECT_EQ(GetParam() ? bench.product->variableCount : bench.product->functionCount, 5);
    EXPECT_EXIT(add(), ::testing::ExitedWithCode(1),
                GetParam() ? "allocating Product->variables\\." : "allocating Product->functions\\.");
}

INSTANTIATE_TEST_SUITE_P(BothPools, SlotPool, ::testing::Bool());

// Releasing a copied product's variable must not unlink a node from the
// source's live variable; that case is in product_copy_test.
TEST(NodeLinks, ReleasedProductLeavesNoNodePointingIntoIt) {
    ProductBench bench;
    Variable& a = bench.var(2);
    Variable& b = bench.var(3);
    bench.table({&a, &b});
    Node* nodes[] = {a.node, b.node};
    releaseProduct(std::move(bench.product));
    EXPECT_EQ(nodes[0]->variable, nullptr);
    EXPECT_EQ(nodes[1]->variable, nullptr);
}

}  // namespace
}  // namespace pedlik::testing
