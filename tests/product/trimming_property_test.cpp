// Trimming and fixing on random products, checked by enumerating every
// assignment: they may drop only combinations of probability 0, and every
// combination left, read through the original value numbers, must keep its
// weight once the constants they returned are put back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "product/fix_variable.hpp"
#include "product/function_index.hpp"
#include "product/original_values.hpp"
#include "product/table_walk.hpp"
#include "product/trimming.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

// A product's live tables over its live variables, detached from the records
// that trimming changes.
struct Snapshot {
    struct Table {
        std::vector<int> positions;  // into nodes
        std::vector<double> entries;
        double logScale = 0.0;
    };
    std::vector<Node*> nodes;
    std::vector<int> counts;
    std::vector<Table> tables;

    explicit Snapshot(const Product& product) {
        std::map<const Variable*, int> position;
        for (const Variable& variable : product.variables) {
            if (!variable.inUse) continue;
            position[&variable] = static_cast<int>(nodes.size());
            nodes.push_back(variable.node);
            counts.push_back(variable.valueCount);
        }
        for (const Function& function : product.functions) {
            if (!function.inUse) continue;
            Table& table = tables.emplace_back(Table{{}, entriesOf(function), function.logScale});
            for (const Variable* variable : function.vars) table.positions.push_back(position.at(variable));
        }
    }

    double weight(const std::vector<int>& values) const {
        double product = 1.0;
        for (const Table& table : tables) {
            std::size_t index = 0;
            for (int p : table.positions) index = index * counts[p] + values[p];
            product *= table.entries[index] * std::exp(table.logScale);
        }
        return product;
    }

    // Calls visit with every assignment, the last node running fastest.
    template <typename Visit>
    void forEachAssignment(Visit visit) const {
        std::vector<int> values(nodes.size(), 0);
        for (;;) {
            visit(values);
            std::size_t p = values.size();
            while (p > 0 && ++values[p - 1] == counts[p - 1]) values[--p] = 0;
            if (p == 0) return;
        }
    }

    double totalWeight() const {
        double total = 0.0;
        forEachAssignment([&](const std::vector<int>& values) { total += weight(values); });
        return total;
    }
};

// Up to 5 variables of 2 to 4 values and up to 5 tables over 1 to 3 of them,
// about 40% of the entries 0.
void fillRandomProduct(ProductBench& bench, std::mt19937& rng) {
    auto uniform = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    std::vector<Variable*> vars;
    for (int count = uniform(1, 5); count > 0; --count) vars.push_back(&bench.var(uniform(2, 4)));
    std::uniform_real_distribution<double> entry(0.1, 1.0);
    for (int count = uniform(1, 5); count > 0; --count) {
        std::shuffle(vars.begin(), vars.end(), rng);
        std::vector<Variable*> listed(vars.begin(), vars.begin() + uniform(1, std::min<int>(3, vars.size())));
        std::vector<double> entries;
        std::size_t size = 1;
        for (const Variable* v : listed) size *= v->valueCount;
        for (std::size_t i = 0; i < size; ++i) entries.push_back(uniform(0, 9) < 4 ? 0.0 : entry(rng));
        bench.table(listed, entries, entry(rng) - 0.5);
    }
    buildFunctionIndex(*bench.product);
}

// The original weight of every assignment that puts `fixed` (when given) at
// its surviving value.
double sliceWeight(const Snapshot& original, const Node* fixed) {
    const auto at = std::find(original.nodes.begin(), original.nodes.end(), fixed) - original.nodes.begin();
    double total = 0.0;
    original.forEachAssignment([&](const std::vector<int>& values) {
        if (fixed == nullptr || values[at] == fixed->survivingValue) total += original.weight(values);
    });
    return total;
}

// Every assignment of the product as it is now, read back in the nodes' own
// numbering (released nodes at their surviving value), weighs e^-logFactor
// times what it weighed in `original`; and nothing of weight was lost.
void expectSameWeights(const Snapshot& original, const Product& product, double logFactor, const Node* fixed) {
    const Snapshot now(product);
    const double factor = std::exp(logFactor);
    EXPECT_NEAR(sliceWeight(original, fixed), factor * now.totalWeight(), 1e-12);
    std::vector<int> originalValues(original.nodes.size());
    now.forEachAssignment([&](const std::vector<int>& values) {
        for (std::size_t i = 0; i < original.nodes.size(); ++i) {
            const Node& node = *original.nodes[i];
            const auto at = std::find(now.nodes.begin(), now.nodes.end(), &node);
            originalValues[i] = at == now.nodes.end() ? node.survivingValue
                                                      : originalValue(*node.variable, values[at - now.nodes.begin()]);
        }
        EXPECT_NEAR(original.weight(originalValues), factor * now.weight(values), 1e-12);
    });
}

// After trimming, every value of every table's variables has a non-zero
// entry, and each variable lists exactly the tables over it.
void expectTrimmed(const Product& product) {
    for (const Function& function : product.functions) {
        if (!function.inUse) continue;
        EXPECT_FALSE(function.vars.empty());  // a table without variables is a constant
        std::vector<std::vector<int>> seen;
        for (const Variable* v : function.vars) seen.emplace_back(v->valueCount, 0);
        resetDigits(function);
        for (double entry : function.probablist) {
            for (std::size_t p = 0; p < function.vars.size(); ++p) {
                seen[p][function.vars[p]->currentValue] |= entry != 0.0;
            }
            nextDigits(function);
        }
        for (const auto& row : seen) EXPECT_EQ(std::count(row.begin(), row.end(), 0), 0);
    }
    for (const Variable& variable : product.variables) {
        if (!variable.inUse) continue;
        EXPECT_GE(variable.valueCount, 2);
        std::vector<const Function*> listing;
        for (const Function& function : product.functions) {
            if (function.inUse && std::count(function.vars.begin(), function.vars.end(), &variable)) {
                listing.push_back(&function);
            }
        }
        std::vector<const Function*> funcs(variable.funcs.begin(), variable.funcs.end());
        std::sort(funcs.begin(), funcs.end());
        EXPECT_EQ(funcs, listing);
    }
}

double quietTrim(Product& product, int& failed) {
    ::testing::internal::CaptureStdout();
    const double result = trimValues(product, failed);
    ::testing::internal::GetCapturedStdout();
    return result;
}

// Trims, fixes a random variable to a random value, and trims again, as
// conditioning does on a trimmed product; each step checked against the
// untouched product.
TEST(TrimmingProperty, OnlyImpossibleCombinationsGoAndTheRestKeepTheirWeight) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        ProductBench bench(12);
        fillRandomProduct(bench, rng);
        const Snapshot original(*bench.product);

        int failed = -1;
        double logFactor = quietTrim(*bench.product, failed);
        if (failed) {
            EXPECT_EQ(original.totalWeight(), 0.0);
            continue;
        }
        expectTrimmed(*bench.product);
        expectSameWeights(original, *bench.product, logFactor, nullptr);

        const Snapshot trimmed(*bench.product);
        if (trimmed.nodes.empty()) continue;
        Node& node = *trimmed.nodes[rng() % trimmed.nodes.size()];
        const int value = static_cast<int>(rng() % node.variable->valueCount);
        const int originalNumber = originalValue(*node.variable, value);
        logFactor += fixVariable(*bench.product, *node.variable, value);
        ASSERT_EQ(node.survivingValue, originalNumber);
        logFactor += quietTrim(*bench.product, failed);
        if (failed) {
            EXPECT_EQ(sliceWeight(original, &node), 0.0);
            continue;
        }
        expectTrimmed(*bench.product);
        expectSameWeights(original, *bench.product, logFactor, &node);
    }
}

}  // namespace
}  // namespace pedlik::testing
