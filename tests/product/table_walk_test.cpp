// The table walk and the index arithmetic built on it: every sum-out reads
// its inputs through these, so an off-by-one here corrupts every result.
#include <gtest/gtest.h>

#include "product/table_walk.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

std::vector<Variable*> vars(ProductBench& bench, const std::vector<int>& counts) {
    std::vector<Variable*> made;
    for (int count : counts) made.push_back(&bench.var(count));
    return made;
}

std::vector<int> digitsOf(const Function& f) {
    std::vector<int> digits;
    for (const Variable* v : f.vars) digits.push_back(v->currentValue);
    return digits;
}

TEST(TableWalk, NextDigitsRunsTheLastVariableFastest) {
    ProductBench bench;
    Function& f = bench.table(vars(bench, {2, 3}));
    f.vars[0]->currentValue = 1;  // left over from an earlier walk
    resetDigits(f);
    std::vector<std::vector<int>> visited{digitsOf(f)};
    while (nextDigits(f)) visited.push_back(digitsOf(f));
    EXPECT_EQ(visited, (std::vector<std::vector<int>>{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}}));
    EXPECT_EQ(digitsOf(f), (std::vector<int>{0, 0}));
}

class WalkShape : public ::testing::TestWithParam<std::vector<int>> {};

// The walk, digitIndex and strideOf must agree on one row-major layout.
TEST_P(WalkShape, WalkPositionDigitIndexAndStridesAgree) {
    ProductBench bench;
    Function& f = bench.table(vars(bench, GetParam()));
    resetDigits(f);
    int position = 0;
    do {
        digitIndex(f);
        EXPECT_EQ(f.tableIndex, position);
        int fromStrides = 0;
        for (const Variable* v : f.vars) {
            strideOf(f, *v);
            fromStrides += v->currentValue * f.stride;
        }
        EXPECT_EQ(fromStrides, position);
        ++position;
    } while (nextDigits(f));
    EXPECT_EQ(static_cast<std::size_t>(position), f.tableSize());
}

INSTANTIATE_TEST_SUITE_P(Shapes, WalkShape,
                         ::testing::Values(std::vector{2, 3}, std::vector{3, 2, 4}, std::vector{2, 2, 2, 2}));

// Value counts, the summed variable, the result's variables and each input's
// variables (indexes into the counts).
struct StepCase {
    std::vector<int> counts;
    int summed;
    std::vector<int> result;
    std::vector<std::vector<int>> inputs;
};

class StepPairWalk : public ::testing::TestWithParam<StepCase> {};

// Stepping each input's tableIndex by its pairs while the result's digits
// advance must land on the input entry for those digits with the summed
// variable at 0, which is what the incremental sum-outs read.
TEST_P(StepPairWalk, SteppedIndexesMatchRecomputedIndexes) {
    const StepCase& param = GetParam();
    ProductBench bench;
    const std::vector<Variable*> all = vars(bench, param.counts);
    auto pick = [&](const std::vector<int>& indexes) {
        std::vector<Variable*> picked;
        for (int i : indexes) picked.push_back(all[i]);
        return picked;
    };
    Variable& summed = *all[param.summed];
    Function& result = bench.table(pick(param.result));
    std::vector<Function*> inputs;
    for (const auto& input : param.inputs) inputs.push_back(&bench.table(pick(input)));

    const int m = result.varCount();
    std::vector<std::vector<StepPair>> pairs(inputs.size(), std::vector<StepPair>(m));
    for (int p = 0; p < m; ++p) result.vars[p]->currentValue = p;
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        Variable* const summedSet[] = {&summed};
        fillStepPairs(*inputs[k], summedSet, pairs[k]);
        inputs[k]->tableIndex = 0;
    }
    resetDigits(result);
    summed.currentValue = 0;
    int entries = 0;
    do {
        for (Function* input : inputs) {
            const int stepped = input->tableIndex;
            digitIndex(*input);
            EXPECT_EQ(stepped, input->tableIndex) << "result entry " << entries;
            input->tableIndex = stepped;
        }
        ++entries;
        // The odometer step of the incremental sum-outs.
        for (int p = m - 1; p >= 0; --p) {
            Variable& digit = *result.vars[p];
            const bool wraps = digit.currentValue == digit.valueCount - 1;
            digit.currentValue = wraps ? 0 : digit.currentValue + 1;
            for (std::size_t k = 0; k < inputs.size(); ++k) inputs[k]->tableIndex += wraps ? pairs[k][p].wrap : pairs[k][p].step;
            if (!wraps) break;
        }
    } while (static_cast<std::size_t>(entries) < result.tableSize());
    for (const Function* input : inputs) EXPECT_EQ(input->tableIndex, 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, StepPairWalk,
                         ::testing::Values(StepCase{{2, 3, 2}, 1, {2, 0}, {{0, 1, 2}}},
                                           StepCase{{3, 2, 4, 2}, 0, {1, 2, 3}, {{0, 1}, {2, 0, 3}, {3, 0, 1}}},
                                           StepCase{{2, 3, 2, 3}, 3, {0, 1, 2}, {{3, 2}, {0, 3, 1}, {3}}}));

}  // namespace
}  // namespace pedlik::testing
