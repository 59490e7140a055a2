// Summing variables out: both table engines against a plain sum on random
// functions, and the constants, zeros and rescaling of sumOutVariable.
#include "product/sum_out.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <span>
#include <string>

#include "product/function_index.hpp"
#include "product/neighbours.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

// Advances the digits of `vars` like an odometer, the last fastest; false
// after the last combination, with every digit back at 0.
bool nextCombination(const std::vector<Variable*>& vars, std::map<const Variable*, int>& digits) {
    for (auto it = vars.rbegin(); it != vars.rend(); ++it) {
        if (++digits[*it] < (*it)->valueCount) return true;
        digits[*it] = 0;
    }
    return false;
}

double entryAt(const Function& function, const std::map<const Variable*, int>& digits) {
    std::size_t index = 0;
    for (const Variable* variable : function.vars) {
        index = index * static_cast<std::size_t>(variable->valueCount) + static_cast<std::size_t>(digits.at(variable));
    }
    return function.probablist[index];
}

// The table summing out should make, entry by entry: for every combination
// of the result's values (the last running fastest), the sum over every
// combination of the summed variables' values of the product of the
// functions' entries.
std::vector<double> plainSum(const std::vector<Variable*>& summed, std::span<Function* const> functions,
                             const std::vector<Variable*>& result) {
    std::map<const Variable*, int> digits;
    for (const std::vector<Variable*>* vars : {&summed, &result}) {
        for (const Variable* variable : *vars) digits[variable] = 0;
    }
    std::vector<double> table;
    do {
        double sum = 0.0;
        do {
            double term = 1.0;
            for (const Function* function : functions) term *= entryAt(*function, digits);
            sum += term;
        } while (nextCombination(summed, digits));
        table.push_back(sum);
    } while (nextCombination(result, digits));
    return table;
}

// 2 to 6 variables of 2 to 4 values, 1 to 6 tables over 2 to 4 of them with
// about a third of their entries 0, and the variable to sum out, which is in
// every table.
struct RandomSumOut {
    ProductBench bench{16};
    Variable* summed = nullptr;

    explicit RandomSumOut(unsigned seed) {
        std::mt19937 rng(seed);
        auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
        std::vector<Variable*> vars;
        for (int count = uniform(2, 6); count > 0; --count) vars.push_back(&bench.var(uniform(2, 4)));
        summed = vars[0];
        std::uniform_real_distribution<double> entry(0.01, 1.0);
        for (int count = uniform(1, 6); count > 0; --count) {
            std::shuffle(vars.begin() + 1, vars.end(), rng);
            std::vector<Variable*> listed(vars.begin(), vars.begin() + uniform(2, std::min<int>(4, vars.size())));
            std::shuffle(listed.begin(), listed.end(), rng);
            std::size_t size = 1;
            for (const Variable* v : listed) size *= static_cast<std::size_t>(v->valueCount);
            std::vector<double> entries(size);
            for (double& e : entries) e = uniform(0, 2) == 0 ? 0.0 : entry(rng);
            bench.table(listed, entries, entry(rng));
        }
        buildFunctionIndex(*bench.product);
    }
};

// Elimination sums one variable out; bucket-tree elimination sums several
// in one pass when only the same functions list them, so an input may lack
// all but the first. Every third case sums one, the others two or three.
TEST(SumProduct, BothEnginesMakeThePlainSumOnRandomFunctions) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomSumOut sample(seed);
        ProductBench& bench = sample.bench;
        Variable& first = *sample.summed;
        std::vector<Variable*> neighbours(static_cast<std::size_t>(bench.product->variableCount), nullptr);
        neighbours.resize(static_cast<std::size_t>(collectNeighbours(first, neighbours).count));
        const auto alongCount = static_cast<std::ptrdiff_t>(std::min<std::size_t>(seed % 3, neighbours.size()));
        std::vector<Variable*> summed{&first};
        summed.insert(summed.end(), neighbours.begin(), neighbours.begin() + alongCount);
        const std::vector<Variable*> kept(neighbours.begin() + alongCount, neighbours.end());
        const std::vector<double> expected = plainSum(summed, first.funcs, kept);

        Function& simple = bench.table(kept, std::vector<double>(expected.size(), -1.0));
        sumProductSimple(simple, summed, first.funcs);
        Function& incremental = bench.table(kept, std::vector<double>(expected.size(), -1.0));
        sumProductIncremental(incremental, summed, first.funcs);
        // The same products added in the same order: equal to the last bit.
        EXPECT_EQ(entriesOf(simple), entriesOf(incremental));
        const std::vector<double> made = entriesOf(incremental);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(made[i], expected[i], 1e-14 * std::max(1.0, expected[i])) << "entry " << i;
        }
        if (HasFailure()) return;
    }
}

// The one function left over the neighbour, for checking sumOutVariable.
const Function& onlyFunctionOf(const Variable& variable) {
    EXPECT_EQ(variable.funcCount(), 1);
    return *variable.funcs.at(0);
}

TEST(SumOutVariable, ConstantOfTablesThatAreZeroForEveryValueIsMinusInfinity) {
    ProductBench bench;
    Variable& v = bench.var(2);
    bench.table({&v}, {0.0, 0.3});
    bench.table({&v}, {0.6, 0.0});
    buildFunctionIndex(*bench.product);
    double constant = 0.0;
    EXPECT_EQ(sumOutVariable(*bench.product, v, constant), 1);
    EXPECT_EQ(constant, -INFINITY);
}

// The sum keeps, per neighbour value, only the products of the one value
// with non-zero entries; the new table is appended to the neighbour's
// functions after the ones it keeps.
TEST(SumOutVariable, OnlyTheValueWithNonZeroEntriesCounts) {
    ProductBench bench;
    Variable& v = bench.var(3);
    Variable& w = bench.var(2);
    Function& kept = bench.table({&w}, {0.9, 0.1});
    bench.table({&v, &w}, {0.0, 0.0, 0.3, 0.6, 0.0, 0.0}, 0.5);
    bench.table({&v}, {0.0, 0.5, 0.0});
    buildFunctionIndex(*bench.product);
    double constant = 0.0;
    EXPECT_EQ(sumOutVariable(*bench.product, v, constant), 0);
    ASSERT_EQ(w.funcCount(), 2);
    EXPECT_EQ(w.funcs[0], &kept);
    const Function& made = *w.funcs[1];
    EXPECT_EQ(made.vars, std::vector<Variable*>{&w});
    EXPECT_EQ(entriesOf(made), (std::vector<double>{0.3 * 0.5, 0.6 * 0.5}));
    EXPECT_EQ(made.logScale, 0.5);
    EXPECT_EQ(made.rescaleCountdown, freshRescaleCountdown - 1);
}

struct RescaleCase {
    const char* name;
    int smallestCountdown;
    int settingsCountdown;
    bool rescaled;
    int countdownAfter;
};

class SumOutRescaling : public ::testing::TestWithParam<RescaleCase> {};

// The new table inherits the smallest countdown of the tables it multiplies
// (at most the setting) minus 1; at 0 it is rescaled and starts again.
TEST_P(SumOutRescaling, RescalesWhenTheCountdownRunsOut) {
    const RescaleCase& c = GetParam();
    ProductBench bench;
    Variable& v = bench.var(2);
    Variable& w = bench.var(2);
    bench.table({&v, &w}, {0.1, 0.2, 0.3, 0.4}, 2.0).rescaleCountdown = c.smallestCountdown;
    bench.table({&v}, {0.5, 0.25}, -0.5).rescaleCountdown = c.smallestCountdown + 3;
    buildFunctionIndex(*bench.product);
    double constant = 0.0;
    EliminationSettings settings;
    settings.rescaleCountdown = c.settingsCountdown;
    sumOutVariable(*bench.product, v, constant, settings);
    const Function& made = onlyFunctionOf(w);
    EXPECT_EQ(made.rescaleCountdown, c.countdownAfter);
    const std::vector<double> sums = {0.1 * 0.5 + 0.3 * 0.25, 0.2 * 0.5 + 0.4 * 0.25};
    const double scale = c.rescaled ? sums[1] : 1.0;
    EXPECT_NEAR(made.probablist[0], sums[0] / scale, 1e-15);
    EXPECT_NEAR(made.probablist[1], sums[1] / scale, 1e-15);
    EXPECT_NEAR(made.logScale, 1.5 + std::log(scale), 1e-15);
}

INSTANTIATE_TEST_SUITE_P(Countdowns, SumOutRescaling,
                         ::testing::Values(RescaleCase{"SmallestCountdownOne", 1, 32, true, 32},
                                           RescaleCase{"SmallestCountdownTwo", 2, 32, false, 1},
                                           RescaleCase{"SettingCapsTheCountdown", 20, 1, true, 1},
                                           RescaleCase{"SettingBelowTheTables", 20, 5, false, 4}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
