// Elimination in an order: conditioning on copies, its thresholds and the
// progress lines.
#include "product/elimination.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "product/function_index.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

EliminationOrder orderOf(std::vector<std::pair<int, Node*>> entries) {
    EliminationOrder order;
    for (const auto& [conditioned, node] : entries) order.entries.push_back(OrderEntry{conditioned, node});
    return order;
}

struct Eliminated {
    double result;
    std::string out;
};

Eliminated eliminate(Product& product, EliminationOrder& order, const EliminationSettings& settings = {}) {
    ::testing::internal::CaptureStdout();
    const double result = eliminateAll(product, order, 1.0f, 0.0f, settings);
    std::fflush(stdout);
    return {result, ::testing::internal::GetCapturedStdout()};
}

// The copies of a conditioned 2-value variable are solved with half the
// share each, one after the other, and their likelihoods add up.
struct ConditionedProduct : ::testing::Test {
    ProductBench bench;
    Variable& v = bench.var(2);
    Variable& a = bench.var(3);
    Variable& b = bench.var(2);
    EliminationSettings settings;

    void SetUp() override { settings.conditioningThreshold = 1.0; }
    void build(std::vector<double> vab, std::vector<double> a1) {
        bench.table({&v, &a, &b}, std::move(vab), 0.5);
        bench.table({&a}, std::move(a1));
        buildFunctionIndex(*bench.product);
    }
    double total(const std::vector<double>& vab, const std::vector<double>& a1) const {
        double sum = 0.0;
        for (size_t i = 0; i < vab.size(); ++i) sum += vab[i] * a1[(i / 2) % 3];
        return std::log(sum) + 0.5;
    }
};

TEST_F(ConditionedProduct, CopiesShareTheProgressAndTheirLikelihoodsAdd) {
    const std::vector<double> vab = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.15, 0.25, 0.35};
    const std::vector<double> a1 = {0.2, 0.3, 0.5};
    build(vab, a1);
    EliminationOrder order = orderOf({{1, v.node}, {0, a.node}, {0, b.node}});
    const Eliminated run = eliminate(*bench.product, order, settings);
    EXPECT_NEAR(run.result, total(vab, a1), 1e-14);
    const size_t half = run.out.find("Solved 50.000000 precent of the problem.\n");
    const size_t whole = run.out.find("Solved 100.000000 precent of the problem.\n");
    ASSERT_NE(half, std::string::npos) << run.out;
    ASSERT_NE(whole, std::string::npos) << run.out;
    EXPECT_LT(half, whole);
    EXPECT_EQ(run.out.find("Solved", half + 1), whole) << "two solved lines only: " << run.out;
    // The source keeps what the copies solved; its node links are restored.
    EXPECT_EQ(bench.product->variableCount, 3);
    EXPECT_EQ(v.node->variable, &v);
    EXPECT_EQ(a.node->variable, &a);
}

TEST_F(ConditionedProduct, EveryValueImpossibleGivesTheImpossibleMarker) {
    build(std::vector<double>(12, 0.5), {0.0, 0.0, 0.0});
    EliminationOrder order = orderOf({{1, v.node}, {0, a.node}, {0, b.node}});
    EXPECT_EQ(eliminate(*bench.product, order, settings).result, impossibleLogLikelihood);
}

// A marked entry is conditioned on only from the threshold on; below it, it
// is summed out like any other.
TEST_F(ConditionedProduct, MarkedEntryBelowTheThresholdIsSummedOut) {
    const std::vector<double> vab = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 0.15, 0.25, 0.35};
    build(vab, {0.2, 0.3, 0.5});
    settings.conditioningThreshold = 7.0;  // v's neighbourhood: 3 x 2 entries
    EliminationOrder order = orderOf({{1, v.node}, {0, a.node}, {0, b.node}});
    const Eliminated run = eliminate(*bench.product, order, settings);
    EXPECT_NEAR(run.result, total(vab, {0.2, 0.3, 0.5}), 1e-14);
    EXPECT_EQ(run.out, "+++Solved 100.000000 precent of the problem.\n");
}

}  // namespace
}  // namespace pedlik::testing
