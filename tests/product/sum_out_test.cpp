// Summing a variable out of random products, checked against a direct
// evaluation over every assignment of its neighbours. The two table-filling
// engines must give that table bit for bit: they multiply in the same order.
#include "product/sum_out.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "product/function_index.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

// A product of up to 5 variables with tables over random subsets, entries
// often 0. Variable 0 is the one summed out; it is in at least one table.
struct RandomProduct {
    ProductBench bench{16};
    std::vector<Variable*> vars;

    explicit RandomProduct(std::uint64_t seed) {
        std::mt19937_64 random(seed);
        const auto below = [&](int n) { return static_cast<int>(random() % static_cast<std::uint64_t>(n)); };
        const int variableCount = 1 + below(5);
        for (int i = 0; i < variableCount; ++i) vars.push_back(&bench.var(2 + below(3)));
        const int tableCount = 1 + below(5);
        for (int t = 0; t < tableCount; ++t) {
            std::vector<Variable*> listed;
            for (Variable* v : vars) {
                if (below(2) == 0 || (t == 0 && v == vars[0])) listed.push_back(v);
            }
            if (listed.empty()) listed.push_back(vars[0]);
            std::shuffle(listed.begin(), listed.end(), random);
            std::size_t size = 1;
            for (const Variable* v : listed) size *= static_cast<std::size_t>(v->valueCount);
            std::vector<double> entries(size);
            for (double& entry : entries) entry = below(5) < 2 ? 0.0 : (1 + below(1000)) / 997.0;
            Function& made = bench.table(listed, entries, 0.25 * below(5));
            made.rescaleCountdown = 1 + below(32);
        }
        buildFunctionIndex(*bench.product);
    }
};

double entryAt(const Function& function, const std::vector<Variable*>& vars, const std::vector<int>& values) {
    std::size_t index = 0;
    for (const Variable* listed : function.vars) {
        const auto at = std::find(vars.begin(), vars.end(), listed) - vars.begin();
        index = index * static_cast<std::size_t>(listed->valueCount) + static_cast<std::size_t>(values[at]);
    }
    return function.probablist[index];
}

// What summing vars[0] out must give: its neighbours in order of first
// appearance, and for every assignment of them (last fastest) the sum over
// its values, in increasing order, of the product of its tables in funcs
// order, terms with a zero factor left out.
struct Expected {
    std::vector<Variable*> neighbours;
    std::vector<double> table;
    double logScale = 0.0;
    int countdown = freshRescaleCountdown;
};

Expected expectedSumOut(const RandomProduct& made) {
    Expected expected;
    Variable& summed = *made.vars[0];
    for (const Function* function : summed.funcs) {
        expected.logScale += function->logScale;
        expected.countdown = std::min(expected.countdown, function->rescaleCountdown);
        for (Variable* listed : function->vars) {
            const bool seen = std::find(expected.neighbours.begin(), expected.neighbours.end(), listed) !=
                              expected.neighbours.end();
            if (listed != &summed && !seen) expected.neighbours.push_back(listed);
        }
    }
    std::vector<Variable*> order = expected.neighbours;
    order.push_back(&summed);
    std::vector<int> values(order.size(), 0);
    while (true) {
        double sum = 0.0;
        for (int x = 0; x < summed.valueCount; ++x) {
            values.back() = x;
            double term = 1.0;
            for (const Function* function : summed.funcs) term *= entryAt(*function, order, values);
            if (term != 0.0) sum += term;
        }
        expected.table.push_back(sum);
        int position = static_cast<int>(expected.neighbours.size()) - 1;
        while (position >= 0 && ++values[position] == order[position]->valueCount) values[position--] = 0;
        if (position < 0) break;
    }
    return expected;
}

struct Engine {
    const char* name;
    double incrementalThreshold;
};

class SumOutRandomProducts : public ::testing::TestWithParam<Engine> {};

TEST_P(SumOutRandomProducts, GivesTheDirectSumOverTheNeighbours) {
    EliminationSettings settings;
    settings.incrementalThreshold = GetParam().incrementalThreshold;
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        RandomProduct made(seed);
        const Expected expected = expectedSumOut(made);
        const int functionsBefore = made.bench.product->functionCount;
        const int summedFunctions = made.vars[0]->funcCount();
        double constant = 0.0;
        const int isConstant = sumOutVariable(*made.bench.product, *made.vars[0], constant, settings);

        EXPECT_EQ(made.vars[0]->inUse, 0) << "seed " << seed;
        if (expected.neighbours.empty()) {
            ASSERT_EQ(isConstant, 1) << "seed " << seed;
            EXPECT_EQ(made.bench.product->functionCount, functionsBefore - summedFunctions) << "seed " << seed;
            EXPECT_DOUBLE_EQ(constant, expected.logScale + std::log(expected.table[0])) << "seed " << seed;
            continue;
        }
        ASSERT_EQ(isConstant, 0) << "seed " << seed;
        ASSERT_EQ(made.bench.product->functionCount, functionsBefore - summedFunctions + 1) << "seed " << seed;
        const Function* result = nullptr;
        for (const Function& function : made.bench.product->functions) {
            if (function.inUse && function.vars == expected.neighbours) result = &function;
        }
        ASSERT_NE(result, nullptr) << "seed " << seed;
        std::vector<double> table = expected.table;
        double logScale = expected.logScale;
        int countdown = expected.countdown - 1;
        const double largest = *std::max_element(table.begin(), table.end());
        if (countdown == 0 && largest > 0.0) {
            // A table at the end of its countdown is rescaled at once.
            for (double& entry : table) entry /= largest;
            logScale += std::log(largest);
        }
        if (countdown == 0) countdown = settings.rescaleCountdown;
        EXPECT_EQ(entriesOf(*result), table) << "seed " << seed;
        EXPECT_EQ(result->logScale, logScale) << "seed " << seed;
        EXPECT_EQ(result->rescaleCountdown, countdown) << "seed " << seed;
        for (Variable* neighbour : expected.neighbours) {
            EXPECT_EQ(std::count(neighbour->funcs.begin(), neighbour->funcs.end(), result), 1) << "seed " << seed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, SumOutRandomProducts,
                         ::testing::Values(Engine{"Simple", std::numeric_limits<double>::infinity()},
                                           Engine{"Incremental", 0.0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
