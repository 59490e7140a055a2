// The neighbours of a variable fix the variable order and the size of the
// table that summing it out creates.
#include <gtest/gtest.h>

#include "product/function_index.hpp"
#include "product/neighbours.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

TEST(Neighbours, CollectedInOrderOfFirstAppearanceWithoutTheVariable) {
    ProductBench bench;
    Variable& v = bench.var(2);
    Variable& a = bench.var(3);
    Variable& b = bench.var(2);
    Variable& c = bench.var(4);
    Variable& far = bench.var(5);
    Variable& alone = bench.var(2);
    bench.table({&a, &v, &b});
    bench.table({&v, &c, &a});
    bench.table({&c, &far});
    bench.table({&alone});
    buildFunctionIndex(*bench.product);
    for (Variable& stale : bench.product->variables) stale.mark = 1;  // left over from another scan

    std::vector<Variable*> out(bench.product->variableCount);
    const Neighbourhood found = collectNeighbours(v, out);
    ASSERT_EQ(found.count, 3);
    EXPECT_EQ(std::vector<Variable*>(out.begin(), out.begin() + 3), (std::vector<Variable*>{&a, &b, &c}));
    EXPECT_EQ(found.size, 24u);
    EXPECT_EQ(neighbourhoodSize(v), 24.0);
    EXPECT_EQ(neighbourhoodSize(far), 4.0);  // shares a function with c only

    const Neighbourhood none = collectNeighbours(alone, out);
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.size, 1u);
}

}  // namespace
}  // namespace pedlik::testing
