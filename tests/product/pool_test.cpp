// Slot pools: which slot a new record takes and what a full pool does.
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

}  // namespace
}  // namespace pedlik::testing
