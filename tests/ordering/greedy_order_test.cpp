// What no likelihood shows: the greedy elimination order (cheapest first, cheap enough taken at once, ties to the first
// met from where the last scan stopped, conditioning when too costly).
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

#include "ordering/elimination_order.hpp"
#include "product/function_index.hpp"
#include "ordering/order_product.hpp"
#include "product/product_pool.hpp"
#include "product/tables.hpp"

namespace pedlik::testing {
namespace {

struct GreedyCase {
    const char* name;
    std::vector<int> valueCounts;
    std::vector<std::vector<int>> functions;
    double conditionThreshold;
    const char* order;  // variable indices, "!" marking a conditioning entry
    bool conditioning = true;
    double keptEntries = 0.0;  // when not 0: the product's entries plus twice those of every table a sum-out makes
    double multiplyAdds = 0.0;  // when not 0: the predicted work
};

class Greedy : public ::testing::TestWithParam<GreedyCase> {};

TEST_P(Greedy, HandWorkedOrder) {
    const GreedyCase& c = GetParam();
    const int capacity = static_cast<int>(std::max(c.valueCounts.size(), c.functions.size())) + 2;
    std::deque<Node> nodes;  // parentless, their addresses kept, outliving the product
    const std::unique_ptr<Product> product = createProduct(capacity, capacity);
    for (int count : c.valueCounts) {
        nodes.emplace_back().valueCount = count;
        variableForNode(nodes.back(), *product);
    }
    for (const std::vector<int>& listed : c.functions) {
        std::vector<Variable*> vars;
        std::size_t size = 1;
        for (int k : listed) vars.push_back(nodes[k].variable), size *= static_cast<std::size_t>(nodes[k].valueCount);
        addFunction(*product, newTable(size, "table"), 0.0, 1, std::move(vars), freshRescaleCountdown);
    }
    buildFunctionIndex(*product);
    EliminationOrder order;
    const OrderLimits limits{.conditionThreshold = c.conditionThreshold, .conditioning = c.conditioning};
    const std::unique_ptr<TempProd> tempProd = buildTrackedTempProd(*product, limits);
    greedyOrder(*tempProd, order, limits);
    if (c.keptEntries != 0.0) {
        EXPECT_EQ(tempProd->tracking.cost.keptEntries, c.keptEntries);
    }
    if (c.multiplyAdds != 0.0) {
        EXPECT_EQ(tempProd->tracking.cost.multiplyAdds, c.multiplyAdds);
    }
    std::string text;
    for (const OrderEntry& entry : order.entries) {
        const auto at = std::find_if(nodes.begin(), nodes.end(), [&](Node& n) { return &n == entry.node; });
        text.append(entry.conditioned ? " !" : " ").append(std::to_string(at - nodes.begin()));
    }
    EXPECT_EQ(text.substr(1), c.order);
}

// A 4-cycle of 5, 4, 5, 4 values: the sides of 5 values cost 16, the others 25; once a side is gone, its opposite
// costs 16 against 20.
const std::vector<std::vector<int>> cycle{{0, 1}, {1, 2}, {2, 3}, {3, 0}};

INSTANTIATE_TEST_SUITE_P(
    SmallProducts, Greedy,
    ::testing::ValuesIn(std::vector<GreedyCase>{
        // 4 and then 5 cost nothing; the scan then starts at slot 6, so of the costs of 16 it meets 6 before 0.
        {"TiesGoToTheFirstMetFromTheScanStart", {5, 4, 5, 4, 2, 2, 5, 4, 5, 4},
         {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {4}, {6, 7}, {7, 8}, {8, 9}, {9, 6}}, 2e6, "4 5 6 8 9 7 0 2 3 1"},
        // Variable 0 comes first with cost 3 x 5 or 4 x 4; 1 costs nothing.
        {"CostFifteenIsTakenAtOnce", {2, 2, 3, 5}, {{0, 2}, {0, 3}, {1}}, 2e6, "0 1 2 3"},
        {"CostSixteenIsNot", {2, 2, 4, 4}, {{0, 2}, {0, 3}, {1}}, 2e6, "1 2 3 0"},
        // At a smallest cost of 16 the step conditions on the costliest variable, 1, which leaves the others
        // nothing to join.
        {"SmallestCostAtTheThresholdConditions", {5, 4, 5, 4}, cycle, 16.0, "!1 2 3 0"},
        {"SmallestCostBelowTheThresholdSums", {5, 4, 5, 4}, cycle, 17.0, "0 2 3 1"},
        // Without conditioning the threshold is not looked at. The tables: 4 x 20 entries, then 16, 16, 4 and a constant.
        {"WithoutConditioningEveryStepSums", {5, 4, 5, 4}, cycle, 16.0, "0 2 3 1", false, 80.0 + 2 * (16 + 16 + 4)},
        {"VariableWithoutFunctionsComesLast", {2, 3, 2}, {{1, 2}}, 2e6, "1 2 0"},
        // Each sum-out costs its table's entries times (values x functions + 3). Summing 0 out reads a table of
        // 2^22 entries, twice what the cache is taken to hold, which doubles its cost; the others stay inside.
        {"WorkPastTheCacheCountsMore", {2, 2048, 1024}, {{0, 1, 2}}, 2e6, "0 1 2", true, 0.0,
         2097152.0 * 2 * (2 + 3) + 1024.0 * (2048 + 3) + 1.0 * (1024 + 3)},
        // A bucket tree keeps its tables: each fresh entry costs 8, not 3.
        {"KeptTablesCostMoreToMake", {2, 2048, 1024}, {{0, 1, 2}}, 2e6, "0 1 2", false, 0.0,
         2097152.0 * 2 * (2 + 8) + 1024.0 * (2048 + 8) + 1.0 * (1024 + 8)}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
