// Which functions each variable lists, in which order, and the variable
// lists that tables are built over.
#include <gtest/gtest.h>

#include "product/function_index.hpp"
#include "product/variable_lists.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

TEST(FunctionIndex, ListsFunctionsInSlotOrderWithRoomForTheDegree) {
    ProductBench bench(3);
    Variable& a = bench.var(2);
    Variable& b = bench.var(2);
    Function& f0 = bench.table({&a, &b});
    Function& f1 = bench.table({&b});
    Function& f2 = bench.table({&a});
    releaseFunction(*bench.product, f1);
    Function& f3 = bench.table({&b, &a});  // made after f2, in the slot before it
    ASSERT_EQ(&f3, &f1);

    buildFunctionIndex(*bench.product);
    EXPECT_EQ(a.funcs, (std::vector<Function*>{&f0, &f3, &f2}));
    EXPECT_EQ(b.funcs, (std::vector<Function*>{&f0, &f3}));
    EXPECT_EQ(a.degree, 3);
    EXPECT_EQ(a.funcs.capacity(), 3u);
}

class RemoveFunction : public ::testing::TestWithParam<std::pair<int, std::vector<int>>> {};

TEST_P(RemoveFunction, KeepsTheOtherEntriesInTheirOrder) {
    ProductBench bench(4);
    Variable& v = bench.var(2);
    std::vector<Function*> made;
    for (int i = 0; i < 4; ++i) made.push_back(&bench.table({&v}));
    for (int i = 0; i < 3; ++i) appendFunction(v, *made[i]);  // made[3] is never listed

    removeFunction(v, *made[GetParam().first]);
    std::vector<Function*> expected;
    for (int i : GetParam().second) expected.push_back(made[i]);
    EXPECT_EQ(v.funcs, expected);
}

INSTANTIATE_TEST_SUITE_P(FirstMiddleLastAbsent, RemoveFunction,
                         ::testing::Values(std::pair{0, std::vector{1, 2}}, std::pair{1, std::vector{0, 2}},
                                           std::pair{2, std::vector{0, 1}}, std::pair{3, std::vector{0, 1, 2}}));

// Value counts of the node and its parents; the nodes expected in the list
// (0 the node itself, k its k-th parent).
class NodeVariableList : public ::testing::TestWithParam<std::pair<std::vector<int>, std::vector<int>>> {};

TEST_P(NodeVariableList, ListsTheNodeThenItsParentsWithAtLeastTwoValues) {
    const auto& [counts, expected] = GetParam();
    ProductBench bench;
    std::vector<Node*> parents;
    for (std::size_t i = 1; i < counts.size(); ++i) parents.push_back(&bench.node(counts[i]));
    Node& node = bench.node(counts[0], parents);
    parents.insert(parents.begin(), &node);

    const std::vector<Variable*> list = nodeVariableList(*bench.product, node);
    ASSERT_EQ(list.size(), expected.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i], parents[expected[i]]->variable) << i;
        EXPECT_EQ(variableIndex(*bench.product, *list[i]), static_cast<int>(i));  // created in list order
    }
    EXPECT_EQ(bench.product->variableCount, static_cast<int>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Nodes, NodeVariableList,
                         ::testing::Values(std::pair{std::vector{2, 3, 2}, std::vector{0, 1, 2}},
                                           std::pair{std::vector{2, 1, 3, 2}, std::vector{0, 2, 3}},
                                           std::pair{std::vector{1, 2, 2}, std::vector{1, 2}},
                                           std::pair{std::vector{1, 1, 1}, std::vector<int>{}}));

}  // namespace
}  // namespace pedlik::testing
