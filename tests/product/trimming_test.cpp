// Trimming passes by the tables it has checked: what must make it look again.
#include <gtest/gtest.h>

#include <deque>

#include "product/function_index.hpp"
#include "product/product_copy.hpp"
#include "product/product_pool.hpp"
#include "product/tables.hpp"
#include "product/trimming.hpp"

namespace pedlik::testing {
namespace {

// A product over a variable of 3 values and one of 2, with one table over
// both, every entry 1.0: trimming finds every value supported.
struct TwoVariables {
    std::deque<Node> nodes;  // outlive the product
    std::unique_ptr<Product> product = createProduct(6, 6);
    Variable* a = nullptr;

    TwoVariables() {
        for (int count : {3, 2}) {
            nodes.emplace_back().valueCount = count;
            variableForNode(nodes.back(), *product);
        }
        a = nodes[0].variable;
        SharedTable ones = newTable(6, "table");
        std::fill(ones->begin(), ones->end(), 1.0);
        addFunction(*product, std::move(ones), 0.0, 1, {a, nodes[1].variable}, freshRescaleCountdown);
        buildFunctionIndex(*product);
        trim(*product);
    }

    static void trim(Product& product) {
        int failed = 0;
        trimValues(product, failed);
        ASSERT_EQ(failed, 0);
    }
};

TEST(Trimming, LooksAgainAtATableWrittenSinceItsCheck) {
    TwoVariables p;
    ASSERT_EQ(p.a->valueCount, 3);
    std::span<double> table = writableTable(*p.a->funcs[0]);
    table[4] = table[5] = 0.0;  // no entry left for the first variable's last value
    TwoVariables::trim(*p.product);
    EXPECT_EQ(p.a->valueCount, 2);
}

TEST(Trimming, LooksInACopyAtTablesTheSourceNeverChecked) {
    TwoVariables p;
    SharedTable table = newTable(3, "table");
    *table = {0.0, 1.0, 1.0};
    addFunction(*p.product, std::move(table), 0.0, 1, {p.a}, freshRescaleCountdown);
    buildFunctionIndex(*p.product);
    ProductCopy copy = copyProduct(*p.product, *p.a, {}, 0);
    TwoVariables::trim(*copy.product);
    EXPECT_EQ(copy.variable->valueCount, 2);
}

}  // namespace
}  // namespace pedlik::testing
