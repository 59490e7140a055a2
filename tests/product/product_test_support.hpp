#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "product/product_pool.hpp"
#include "product/tables.hpp"

namespace pedlik::testing {

// Nodes (in a deque, so their addresses stay put) and one product over them.
struct ProductBench {
    std::deque<Node> nodes;
    std::unique_ptr<Product> product;

    explicit ProductBench(int capacity = 8) : product(createProduct(capacity, capacity)) {}

    Node& node(int valueCount, std::vector<Node*> parents = {}) {
        Node& made = nodes.emplace_back();
        made.valueCount = valueCount;
        made.parentCount = static_cast<int>(parents.size());
        made.parents = std::move(parents);
        made.name = "nd_" + std::to_string(nodes.size()) + "_0";
        return made;
    }
    Variable& var(int valueCount) { return variableForNode(node(valueCount), *product); }

    // A function over `vars` with `entries` in table order, or all ones.
    Function& table(std::vector<Variable*> vars, std::vector<double> entries = {}, double logScale = 0.0) {
        if (entries.empty()) {
            std::size_t size = 1;
            for (const Variable* v : vars) size *= static_cast<std::size_t>(v->valueCount);
            entries.assign(size, 1.0);
        }
        SharedTable made = newTable(entries.size(), "probability table");
        *made = entries;
        return addFunction(*product, std::move(made), logScale, 1, std::move(vars), freshRescaleCountdown);
    }
};

inline std::vector<double> entriesOf(const Function& function) {
    return std::vector<double>(function.probablist.begin(), function.probablist.end());
}

}  // namespace pedlik::testing
