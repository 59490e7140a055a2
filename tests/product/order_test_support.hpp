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

    int indexOf(const Node* node) const {
        for (std::size_t index = 0; index < vars.size(); ++index) {
            if (vars[index]->node == node) return static_cast<int>(index);
        }
        return -1;
    }
    // The order as variable indices, "!" before a conditioning entry.
    std::string render(const EliminationOrder& order) const {
        std::string text;
        for (const OrderEntry& entry : order.entries) {
            if (!text.empty()) text += ' ';
            if (entry.conditioned) text += '!';
            text += std::to_string(indexOf(entry.node));
        }
        return text;
    }
};

// A random product: 2 to `maxVariables` variables of 2 to 5 values, each in
// at least one of up to 2n functions of 1 to 4 distinct variables.
struct RandomProductShape {
    std::vector<int> valueCounts;
    std::vector<std::vector<int>> functions;
};

inline RandomProductShape randomProductShape(std::mt19937& random, int maxVariables) {
    RandomProductShape shape;
    const int variableCount = std::uniform_int_distribution<int>(2, maxVariables)(random);
    for (int index = 0; index < variableCount; ++index) {
        shape.valueCounts.push_back(std::uniform_int_distribution<int>(2, 5)(random));
    }
    const int functionCount = std::uniform_int_distribution<int>(1, 2 * variableCount)(random);
    std::vector<int> all(variableCount);
    for (int index = 0; index < variableCount; ++index) all[index] = index;
    for (int function = 0; function < functionCount; ++function) {
        std::shuffle(all.begin(), all.end(), random);
        const int size = std::uniform_int_distribution<int>(1, std::min(4, variableCount))(random);
        shape.functions.emplace_back(all.begin(), all.begin() + size);
    }
    // Every variable lies in some function, as in products built from a network.
    for (int index = 0; index < variableCount; ++index) {
        const bool listed = std::any_of(shape.functions.begin(), shape.functions.end(), [&](const auto& f) {
            return std::find(f.begin(), f.end(), index) != f.end();
        });
        if (!listed) shape.functions[std::uniform_int_distribution<int>(0, functionCount - 1)(random)].push_back(index);
    }
    return shape;
}

}  // namespace pedlik::testing
