// Fixing a variable to one value: the entries each table keeps, the
// constants left behind, and the order the variables' funcs end up in.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "product/fix_variable.hpp"
#include "product/function_index.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

struct FixCase {
    int position;                      // of the fixed variable in A(2) B(3) C(4)
    int value;
    std::vector<int> keptPositions;    // the other variables, in table order
    std::vector<double> entries;       // hand-worked from entry i = i
};

class FixValueInFunction : public ::testing::TestWithParam<FixCase> {};

TEST_P(FixValueInFunction, KeepsTheEntriesOfTheValueOverTheOtherVariables) {
    const FixCase& fix = GetParam();
    ProductBench bench(3);
    Variable* vars[] = {&bench.var(2), &bench.var(3), &bench.var(4)};
    std::vector<double> entries(24);
    std::iota(entries.begin(), entries.end(), 0.0);
    Function& f = bench.table({vars[0], vars[1], vars[2]}, entries, 0.25);
    f.rescaleCountdown = 7;

    double constant = 99.0;
    const Variable& fixed = *vars[fix.position];
    Function* result = fixValueInFunction(*bench.product, f, fixed, fixed.valueCount, fix.value, constant);
    ASSERT_NE(result, nullptr);
    std::vector<Variable*> keptVars;
    for (int position : fix.keptPositions) keptVars.push_back(vars[position]);
    EXPECT_EQ(result->vars, keptVars);
    EXPECT_EQ(entriesOf(*result), fix.entries);
    EXPECT_EQ(result->logScale, 0.25);
    EXPECT_EQ(result->rescaleCountdown, 7);
    EXPECT_EQ(result->ownsTable, 1);
    EXPECT_EQ(entriesOf(f), entries);  // the caller replaces the old function
    EXPECT_EQ(constant, 99.0);
}

INSTANTIATE_TEST_SUITE_P(
    FirstMiddleLast, FixValueInFunction,
    ::testing::Values(FixCase{1, 0, {0, 2}, {0, 1, 2, 3, 12, 13, 14, 15}},
                      FixCase{1, 1, {0, 2}, {4, 5, 6, 7, 16, 17, 18, 19}},
                      FixCase{1, 2, {0, 2}, {8, 9, 10, 11, 20, 21, 22, 23}},
                      FixCase{0, 1, {1, 2}, {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}},
                      FixCase{2, 2, {0, 1}, {2, 6, 10, 14, 18, 22}}));

class FixVariableOwnTable : public ::testing::TestWithParam<int> {};

TEST_P(FixVariableOwnTable, BecomesTheLogOfTheValuesEntryPlusTheLogScale) {
    const int value = GetParam();
    const double entries[] = {0.2, 0.3, 0.5};
    ProductBench bench(2);
    Variable& a = bench.var(3);
    Node* node = a.node;
    bench.table({&a}, {entries[0], entries[1], entries[2]}, 0.4);
    buildFunctionIndex(*bench.product);

    EXPECT_DOUBLE_EQ(fixVariable(*bench.product, a, value), std::log(entries[value]) + 0.4);
    EXPECT_EQ(bench.product->functionCount, 0);
    EXPECT_EQ(bench.product->variableCount, 0);
    EXPECT_EQ(node->variable, nullptr);
    EXPECT_EQ(node->survivingValue, value);
}

INSTANTIATE_TEST_SUITE_P(EveryValue, FixVariableOwnTable, ::testing::Values(0, 1, 2));

TEST(FixVariable, CutsEveryTableOfTheVariableInFuncsOrder) {
    ProductBench bench(5);
    Variable& a = bench.var(2);
    Variable& b = bench.var(3);
    Variable& c = bench.var(2);
    bench.table({&a, &b, &c}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    bench.table({&b}, {0.2, 0.3, 0.5}, 0.1);
    bench.table({&b, &c}, {1, 2, 3, 4, 5, 6});
    buildFunctionIndex(*bench.product);
    b.originalValues = {0, 2, 4};  // an earlier trimming left the node's values 0, 2 and 4

    EXPECT_DOUBLE_EQ(fixVariable(*bench.product, b, 1), std::log(0.3) + 0.1);
    std::vector<Function>& slots = bench.product->functions;
    EXPECT_EQ(bench.product->functionCount, 2);
    EXPECT_EQ(slots[3].vars, (std::vector<Variable*>{&a, &c}));
    EXPECT_EQ(entriesOf(slots[3]), (std::vector<double>{3, 4, 9, 10}));
    EXPECT_EQ(slots[4].vars, (std::vector<Variable*>{&c}));
    EXPECT_EQ(entriesOf(slots[4]), (std::vector<double>{3, 4}));
    EXPECT_EQ(a.funcs, (std::vector<Function*>{&slots[3]}));
    EXPECT_EQ(c.funcs, (std::vector<Function*>{&slots[3], &slots[4]}));
    EXPECT_EQ(bench.nodes[1].survivingValue, 2);
}

}  // namespace
}  // namespace pedlik::testing
