#pragma once

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "product/function_index.hpp"
#include "product/order_product.hpp"
#include "product/order_record.hpp"
#include "product_test_support.hpp"

namespace pedlik::testing {

// A product given by its variables' value counts and its functions' variable
// indices, indexed and ready to be ordered. Variable k takes slot k.
struct OrderBench {
    ProductBench bench;
    std::vector<Variable*> vars;

    OrderBench(const std::vector<int>& valueCounts, const std::vector<std::vector<int>>& functions)
        : bench(static_cast<int>(std::max(valueCounts.size(), functions.size())) + 2) {
        for (int valueCount : valueCounts) vars.push_back(&bench.var(valueCount));
        for (const std::vector<int>& listed : functions) {
            std::vector<Variable*> tableVars;
            for (int index : listed) tableVars.push_back(vars[index]);
            bench.table(tableVars);
        }
        buildFunctionIndex(*bench.product);
    }

    Product& product() { return *bench.product; }
    std::unique_ptr<TempProd> tempProd() { return buildTempProd(*bench.product); }
    OrderVariable& orderVar(const TempProd& tempProd, int index) { return orderVariableOf(tempProd, *vars[index]); }

    // The order as variable indices, "!" before a conditioning entry.
    std::string render(const EliminationOrder& order) const {
        std::string text;
        for (const OrderEntry& entry : order.entries) {
            const auto found = std::find_if(vars.begin(), vars.end(), [&](const Variable* v) { return v->node == entry.node; });
            text.append(text.empty() ? "" : " ").append(entry.conditioned ? "!" : "");
            text.append(std::to_string(found - vars.begin()));
        }
        return text;
    }
};

// 2 to `maxVariables` variables of 2 to 5 values, each in at least one of up
// to 2n functions of 1 to 4 distinct variables, as in a network's product.
struct RandomProductShape {
    std::vector<int> valueCounts;
    std::vector<std::vector<int>> functions;
};

inline RandomProductShape randomProductShape(std::mt19937& random, int maxVariables) {
    RandomProductShape shape;
    const int variableCount = 2 + static_cast<int>(random() % (maxVariables - 1));
    std::vector<int> all(variableCount);
    for (int index = 0; index < variableCount; ++index) {
        all[index] = index;
        shape.valueCounts.push_back(2 + static_cast<int>(random() % 4));
    }
    const int functionCount = 1 + static_cast<int>(random() % (2 * variableCount));
    for (int function = 0; function < functionCount; ++function) {
        std::shuffle(all.begin(), all.end(), random);
        shape.functions.emplace_back(all.begin(), all.begin() + 1 + random() % std::min(4, variableCount));
    }
    std::vector<bool> listed(variableCount, false);
    for (const auto& function : shape.functions) {
        for (int index : function) listed[index] = true;
    }
    for (int index = 0; index < variableCount; ++index) {
        if (!listed[index]) shape.functions[random() % functionCount].push_back(index);
    }
    return shape;
}

}  // namespace pedlik::testing
