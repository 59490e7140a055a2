// Dropping the variables a table ignores: only those, and nothing of the
// table's values lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "product/function_index.hpp"
#include "product/ignored_variables.hpp"
#include "product/product_pool.hpp"
#include "product/tables.hpp"

namespace pedlik::testing {
namespace {

// Variables of 2, 3 and 2 values; a table over all three is given, and one
// over the last two whose entries are 1 to 6.
struct ThreeVariables {
    std::deque<Node> nodes;  // outlive the product
    std::unique_ptr<Product> product = createProduct(8, 8);

    explicit ThreeVariables(const std::vector<double>& entries) {
        for (int count : {2, 3, 2}) {
            nodes.emplace_back().valueCount = count;
            variableForNode(nodes.back(), *product);
        }
        addFunction(*product, tableOf(entries), 0.5, 1, {variable(0), variable(1), variable(2)}, freshRescaleCountdown);
        addFunction(*product, tableOf({1, 2, 3, 4, 5, 6}), 0.0, 1, {variable(1), variable(2)}, freshRescaleCountdown);
        buildFunctionIndex(*product);
    }

    Variable* variable(int k) { return nodes[static_cast<std::size_t>(k)].variable; }

    static SharedTable tableOf(const std::vector<double>& entries) {
        SharedTable table = newTable(entries.size(), "table");
        std::copy(entries.begin(), entries.end(), table->begin());
        return table;
    }

    // The live functions' variables (by place) and entries, in slot order.
    std::vector<std::pair<std::vector<int>, std::vector<double>>> functions() {
        std::vector<std::pair<std::vector<int>, std::vector<double>>> found;
        for (const Function& function : product->functions) {
            if (!function.inUse) continue;
            std::vector<int> places;
            for (const Variable* listed : function.vars) {
                for (int k = 0; k < 3; ++k) {
                    if (listed == variable(k)) places.push_back(k);
                }
            }
            found.push_back({places, {function.probablist.begin(), function.probablist.end()}});
        }
        return found;
    }
};

TEST(IgnoredVariables, ATableTheSameForEveryValueOfTwoOfItsVariablesKeepsTheThird) {
    // Over (0, 1, 2) the entries depend only on variable 2, which then keeps
    // its own two values and the function's log scale.
    ThreeVariables p({7, 9, 7, 9, 7, 9, 7, 9, 7, 9, 7, 9});
    dropIgnoredVariables(*p.product);
    auto functions = p.functions();
    std::sort(functions.begin(), functions.end());
    ASSERT_EQ(functions.size(), 2u);
    EXPECT_EQ(functions[0].first, (std::vector<int>{1, 2}));
    EXPECT_EQ(functions[1].first, (std::vector<int>{2}));
    EXPECT_EQ(functions[1].second, (std::vector<double>{7, 9}));
    for (const Function& function : p.product->functions) {
        if (function.inUse && function.vars.size() == 1) {
            EXPECT_EQ(function.logScale, 0.5);
        }
    }
    EXPECT_EQ(p.variable(0)->funcCount(), 0);
    EXPECT_EQ(p.variable(1)->funcCount(), 1);
    EXPECT_EQ(p.variable(2)->funcCount(), 2);
}

TEST(IgnoredVariables, ATableThatDependsOnEveryVariableStays) {
    // Each entry differs from the one for the other value of any variable
    // in one place only: the last entry.
    ThreeVariables p({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2});
    dropIgnoredVariables(*p.product);
    const auto functions = p.functions();
    ASSERT_EQ(functions.size(), 2u);
    EXPECT_EQ(functions[0].first, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(functions[1].first, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace pedlik::testing
