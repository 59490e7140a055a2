// Tables filled block by block, as results of 8,000,000 entries or more are,
// equal the tables filled in one piece: random function lists, with the
// block threshold lowered so that small results are split, from a single
// split variable down to blocks of one entry.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>

#include "buckettree/list_sum_out.hpp"
#include "buckettree/multiply.hpp"
#include "oracle/random_source.hpp"
#include "product/product_test_support.hpp"

namespace pedlik::testing {
namespace {

// A product of 6 variables of 2 to 4 values and 4 functions over random
// subsets that all list the first variable, with zeros, log scales and
// countdowns that let some results be rescaled.
struct RandomList {
    ProductBench bench{16};
    std::vector<Variable*> variables;
    FunctionList list;

    explicit RandomList(std::uint64_t seed) {
        oracle::RandomSource random(seed);
        for (int k = 0; k < 6; ++k) variables.push_back(&bench.var(random.between(2, 4)));
        for (int f = 0; f < 4; ++f) {
            std::vector<Variable*> vars{variables[0]};
            for (int k = 1; k < 6; ++k) {
                if (random.chance(0.5)) vars.insert(vars.begin() + random.below(static_cast<int>(vars.size()) + 1), variables[k]);
            }
            std::size_t size = 1;
            for (const Variable* variable : vars) size *= static_cast<std::size_t>(variable->valueCount);
            std::vector<double> entries(size);
            for (double& entry : entries) entry = random.chance(0.2) ? 0.0 : random.unit();
            Function& function = bench.table(vars, entries, random.unit() * 4 - 2);
            function.rescaleCountdown = random.between(1, 3);
            list.push_back(FunctionEntry{&function, nullptr, nullptr});
        }
    }
};

// The function's true values (entry x e^logScale) by the values of its
// variables, whatever their order.
std::map<std::map<const Variable*, int>, double> trueValues(const Function& function) {
    std::map<std::map<const Variable*, int>, double> values;
    std::map<const Variable*, int> digits;
    for (std::size_t index = 0; index < function.tableSize(); ++index) {
        std::size_t rest = index;
        for (std::size_t position = function.vars.size(); position-- > 0;) {
            const Variable* variable = function.vars[position];
            digits[variable] = static_cast<int>(rest % static_cast<std::size_t>(variable->valueCount));
            rest /= static_cast<std::size_t>(variable->valueCount);
        }
        values[digits] = function.probablist[index] * std::exp(function.logScale);
    }
    return values;
}

void expectSameTable(const Function& blockwise, const Function& whole, const std::string& where) {
    ASSERT_EQ(blockwise.tableSize(), whole.tableSize()) << where;
    const auto expected = trueValues(whole);
    for (const auto& [digits, value] : trueValues(blockwise)) {
        ASSERT_EQ(expected.count(digits), 1u) << where;
        EXPECT_NEAR(value, expected.at(digits), 1e-12 * std::fabs(expected.at(digits)) + 1e-300) << where;
    }
}


// Reduces two copies of every random list, one with the default threshold
// and one with `threshold`, and compares the single functions left.
void expectBlockwiseEqualsWhole(std::size_t threshold,
                                const std::function<void(FunctionList&, Variable&, const BteSettings&)>& reduce) {
    BteSettings blocks;
    blocks.blockThreshold = threshold;
    int split = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        RandomList random(seed);
        FunctionList whole = CopyFunctionList(random.list);
        FunctionList blockwise = CopyFunctionList(random.list);
        reduce(whole, *random.variables[0], BteSettings{});
        reduce(blockwise, *random.variables[0], blocks);
        ASSERT_EQ(whole.size(), 1u);
        ASSERT_EQ(blockwise.size(), 1u);
        split += blockwise.front().function->tableSize() >= threshold ? 1 : 0;
        expectSameTable(*blockwise.front().function, *whole.front().function, "seed " + std::to_string(seed));
    }
    EXPECT_GE(split, 15);
}

class BlockTables : public ::testing::TestWithParam<std::size_t> {};

TEST_P(BlockTables, SumOutEqualsTheTableMadeInOnePiece) {
    expectBlockwiseEqualsWhole(GetParam(), [](FunctionList& list, Variable& summed, const BteSettings& settings) {
        sumOutOfList(list, summed, {}, {"test", "test"}, settings);
    });
}

TEST_P(BlockTables, ProductEqualsTheTableMadeInOnePiece) {
    expectBlockwiseEqualsWhole(GetParam(), [](FunctionList& list, Variable&, const BteSettings& settings) {
        MultiplyFunctions(list, settings);
    });
}

// From blocks of one entry (every variable split) to a single split.
INSTANTIATE_TEST_SUITE_P(Thresholds, BlockTables, ::testing::Values(2, 5, 16, 100));

}  // namespace
}  // namespace pedlik::testing
