// Fixing a variable to one value: the entries each table keeps, the
// constants left behind, and the order the variables' funcs end up in.
#include <gtest/gtest.h>

#include <cmath>

#include "product/fix_variable.hpp"
#include "product/function_index.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

TEST(FixVariable, CutsEveryTableOfTheVariableInFuncsOrder) {
    ProductBench bench(5);
    Variable& a = bench.var(2);
    Variable& b = bench.var(3);
    Variable& c = bench.var(2);
    bench.table({&a, &b, &c}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 0.25).rescaleCountdown = 7;
    bench.table({&b}, {0.2, 0.3, 0.5}, 0.1);
    bench.table({&b, &c}, {1, 2, 3, 4, 5, 6});
    buildFunctionIndex(*bench.product);
    b.originalValues = {0, 2, 4};  // an earlier trimming left the node's values 0, 2 and 4

    EXPECT_DOUBLE_EQ(fixVariable(*bench.product, b, 1), std::log(0.3) + 0.1);
    std::vector<Function>& slots = bench.product->functions;
    EXPECT_EQ(bench.product->functionCount, 2);
    EXPECT_EQ(slots[3].vars, (std::vector<Variable*>{&a, &c}));
    EXPECT_EQ(entriesOf(slots[3]), (std::vector<double>{3, 4, 9, 10}));
    EXPECT_EQ(slots[3].logScale, 0.25);
    EXPECT_EQ(slots[3].rescaleCountdown, 7);  // a cut table keeps its place in the rescaling cycle
    EXPECT_EQ(slots[4].vars, (std::vector<Variable*>{&c}));
    EXPECT_EQ(entriesOf(slots[4]), (std::vector<double>{3, 4}));
    EXPECT_EQ(a.funcs, (std::vector<Function*>{&slots[3]}));
    EXPECT_EQ(c.funcs, (std::vector<Function*>{&slots[3], &slots[4]}));
    EXPECT_EQ(bench.nodes[1].survivingValue, 2);
}

}  // namespace
}  // namespace pedlik::testing
