// Value trimming: which values go, how the tables are cut and renumbered,
// which variables are released and what their tables leave behind.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "product/fix_variable.hpp"
#include "product/function_index.hpp"
#include "product/product_copy.hpp"
#include "product/trimming.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

struct Trimmed {
    double result = 0.0;
    int failed = -1;
    std::string output;
};

Trimmed trim(Product& product) {
    Trimmed trimmed;
    ::testing::internal::CaptureStdout();
    trimmed.result = trimValues(product, trimmed.failed);
    trimmed.output = ::testing::internal::GetCapturedStdout();
    return trimmed;
}

std::string report(int values, int variables) {
    return "Eliminated " + std::to_string(values) + " values from the variables.\nTrimmed " +
           std::to_string(variables) + " variables.\n";
}

// Variables A (2 values) and B (3 values) in slots 0 and 1, and a table
// over them in function slot 0; the index is left to the test.
struct TableAB {
    ProductBench bench;
    Variable& a;
    Variable& b;
    Function& f;
    TableAB(int capacity, std::vector<double> entries, double logScale = 0.0)
        : bench(capacity), a(bench.var(2)), b(bench.var(3)), f(bench.table({&a, &b}, std::move(entries), logScale)) {}
};

TEST(TrimValues, TablesWithoutZerosAreLeftAlone) {
    auto [bench, a, b, f] = TableAB(4, {1, 2, 3, 4, 5, 6});
    Function& g = bench.table({&b}, {0.5, 0.5, 0.5});
    buildFunctionIndex(*bench.product);

    const Trimmed trimmed = trim(*bench.product);
    EXPECT_EQ(trimmed.output, report(0, 0));
    EXPECT_EQ(trimmed.failed, 0);
    EXPECT_EQ(trimmed.result, 0.0);
    EXPECT_TRUE(f.inUse && g.inUse);
    EXPECT_EQ(entriesOf(f), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(b.funcs, (std::vector<Function*>{&f, &g}));
    EXPECT_EQ(b.valueCount, 3);
    EXPECT_TRUE(b.originalValues.empty());
}

TEST(TrimValues, UnsupportedValueIsCutFromEveryTableThatListsItAndTheRestRenumbered) {
    auto [bench, a, b, f] = TableAB(4, {1, 0, 2, 3, 0, 4}, 0.7);
    Variable& c = bench.var(2);
    bench.table({&c, &b}, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6});
    f.rescaleCountdown = 5;
    buildFunctionIndex(*bench.product);

    const Trimmed trimmed = trim(*bench.product);
    EXPECT_EQ(trimmed.output, report(1, 0));
    EXPECT_EQ(trimmed.failed, 0);
    EXPECT_EQ(trimmed.result, 0.0);
    EXPECT_EQ(b.valueCount, 2);
    EXPECT_EQ(b.originalValues, (std::vector<int>{0, 2}));
    EXPECT_TRUE(b.node->variable == &b && b.node->survivingValue == -1);

    // Replacements are made before their originals are released: the free
    // slots 2 and 3, in the order the originals are scanned.
    std::vector<Function>& slots = bench.product->functions;
    EXPECT_FALSE(slots[0].inUse || slots[1].inUse);
    EXPECT_EQ(slots[2].vars, (std::vector<Variable*>{&a, &b}));
    EXPECT_EQ(entriesOf(slots[2]), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(slots[2].logScale, 0.7);
    EXPECT_EQ(slots[2].rescaleCountdown, 5);
    EXPECT_EQ(slots[3].vars, (std::vector<Variable*>{&c, &b}));
    EXPECT_EQ(entriesOf(slots[3]), (std::vector<double>{0.1, 0.3, 0.4, 0.6}));
    EXPECT_EQ(a.funcs, (std::vector<Function*>{&slots[2]}));
    EXPECT_EQ(b.funcs, (std::vector<Function*>{&slots[2], &slots[3]}));
    EXPECT_EQ(c.funcs, (std::vector<Function*>{&slots[3]}));
}

// W loses value 0 in the first pass; only then does V's value 1 lose its
// support. V is renumbered in the first pass (values 1 and 3 are left) and
// reduced to its original value 3 in the second.
TEST(TrimValues, VariablesLeftWithOneValueAreReleasedAndTheirTablesFolded) {
    ProductBench bench(5);
    Variable& v = bench.var(4);
    Variable& w = bench.var(2);
    Node* vNode = v.node;
    Node* wNode = w.node;
    bench.table({&v}, {0, 0.25, 0, 3});
    bench.table({&v, &w}, {1, 1, 1, 0, 1, 1, 0, 0.7});
    bench.table({&w}, {0, 0.5});
    buildFunctionIndex(*bench.product);

    const Trimmed trimmed = trim(*bench.product);
    EXPECT_EQ(trimmed.output, report(4, 2));
    EXPECT_EQ(trimmed.failed, 0);
    EXPECT_NEAR(trimmed.result, std::log(0.5) + std::log(3.0) + std::log(0.7), 1e-12);
    EXPECT_EQ(bench.product->functionCount, 0);
    EXPECT_EQ(bench.product->variableCount, 0);
    EXPECT_TRUE(vNode->variable == nullptr && wNode->variable == nullptr);
    EXPECT_EQ(vNode->survivingValue, 3);
    EXPECT_EQ(wNode->survivingValue, 1);

    // The next product's variable has every value again.
    ProductBench next;
    variableForNode(*vNode, *next.product);
    EXPECT_EQ(vNode->survivingValue, -1);
}

TEST(TrimValues, TableOfZerosLeavesVariablesWithoutValuesAndFails) {
    auto [bench, a, b, f] = TableAB(3, {0, 0, 0, 0, 0, 0});
    buildFunctionIndex(*bench.product);

    const Trimmed trimmed = trim(*bench.product);
    EXPECT_EQ(trimmed.output, report(5, 0));
    EXPECT_EQ(trimmed.failed, 1);
    EXPECT_EQ(trimmed.result, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(a.valueCount, 0);
    EXPECT_EQ(b.valueCount, 3);  // the failure stopped before it
}

// Each product: one variable of two values whose table is {0, x}; trimming
// gives ln x. A table of zeros makes its pedigree fail.
class TrimProducts : public ::testing::TestWithParam<int> {};  // the failing product, -1 for none

TEST_P(TrimProducts, SumsUpToTheFirstFailureAndNeverTrimsPastIt) {
    const int failing = GetParam();
    const double x[] = {0.5, 0.25, 0.125};
    std::deque<ProductBench> benches;
    std::vector<std::unique_ptr<Product>> products;
    std::vector<Variable*> vars;
    for (int k = 0; k < 3; ++k) {
        ProductBench& bench = benches.emplace_back(2);
        vars.push_back(&bench.var(2));
        bench.table({vars.back()}, {0, k == failing ? 0 : x[k]});
        buildFunctionIndex(*bench.product);
        products.push_back(std::move(bench.product));
    }
    PedigreeList pedigrees;
    pedigrees.count = 3;

    int failed = -1;
    ::testing::internal::CaptureStdout();
    const double result = trimProducts(products, pedigrees, failed);
    const std::string output = ::testing::internal::GetCapturedStdout();

    const int trimmedCount = failing < 0 ? 3 : failing;
    std::string expectedOutput;
    double expected = 0.0;
    for (int k = 0; k < trimmedCount; ++k) {
        expectedOutput += report(1, 1);
        expected += std::log(x[k]);
    }
    if (failing >= 0) expectedOutput += report(2, 0);
    EXPECT_EQ(output, expectedOutput);
    EXPECT_EQ(failed, failing < 0 ? 0 : 1);
    EXPECT_DOUBLE_EQ(result, expected);
    for (int k = failing + 1; failing >= 0 && k < 3; ++k) {
        EXPECT_EQ(vars[k]->valueCount, 2) << k;
        EXPECT_EQ(products[k]->functionCount, 1) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(FailingProduct, TrimProducts, ::testing::Values(-1, 0, 1));

// As conditioning does: fix a variable of a copy, then trim the copy. The
// source was trimmed before it was copied, so its numbering is not the
// nodes' own any more.
TEST(TrimValues, TrimmingACopyLeavesTheSourceAndTheNodesAsTheyWere) {
    auto [bench, a, b, f] = TableAB(3, {1, 0, 2, 3, 0, 0});
    buildFunctionIndex(*bench.product);
    ASSERT_EQ(trim(*bench.product).output, report(1, 0));
    Function& source = bench.product->functions[1];
    ASSERT_EQ(entriesOf(source), (std::vector<double>{1, 2, 3, 0}));
    const double* sourceTable = source.probablist.data();

    EliminationOrder order;
    order.entries = {OrderEntry{1, a.node}, OrderEntry{0, b.node}};
    std::vector<NodeRedirect> redirects(2);
    ProductCopy copy = copyProduct(*bench.product, a, order, redirects);
    Variable* bCopy = b.node->variable;
    EXPECT_EQ(bCopy->originalValues, (std::vector<int>{0, 2}));

    EXPECT_EQ(fixVariable(*copy.product, *copy.variable, 1), 0.0);
    const Trimmed trimmed = trim(*copy.product);
    EXPECT_EQ(trimmed.output, report(1, 1));
    EXPECT_DOUBLE_EQ(trimmed.result, std::log(3.0));
    EXPECT_EQ(copy.product->variableCount, 0);
    releaseProduct(std::move(copy.product));
    restoreRedirectedNodes(order, 0, redirects);

    EXPECT_TRUE(a.node->variable == &a && b.node->variable == &b);
    EXPECT_EQ(a.node->survivingValue, -1);
    EXPECT_EQ(b.node->survivingValue, -1);
    EXPECT_EQ(a.valueCount, 2);
    EXPECT_EQ(b.valueCount, 2);
    EXPECT_EQ(b.originalValues, (std::vector<int>{0, 2}));
    EXPECT_EQ(source.probablist.data(), sourceTable);
    EXPECT_EQ(entriesOf(source), (std::vector<double>{1, 2, 3, 0}));
    EXPECT_EQ(b.funcs, (std::vector<Function*>{&source}));
}

}  // namespace
}  // namespace pedlik::testing
