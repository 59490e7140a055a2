#include "product/variable_lists.hpp"

#include "base/allocation.hpp"
#include "product/product_pool.hpp"

namespace pedlik {

std::vector<Variable*> nodeVariableList(Product& product, Node& node) {
    int count = node.valueCount >= 2 ? 1 : 0;
    for (int i = 0; i < node.parentCount; ++i) {
        if (node.parents[i]->valueCount >= 2) ++count;
    }
    std::vector<Variable*> list;
    if (count == 0) return list;
    allocateOrDie("variables", [&] { list.reserve(count); });
    if (node.valueCount >= 2) list.push_back(&variableForNode(node, product));
    for (int i = 0; i < node.parentCount; ++i) {
        Node& parent = *node.parents[i];
        if (parent.valueCount >= 2) list.push_back(&variableForNode(parent, product));
    }
    return list;
}

std::vector<Variable*> newVarList(std::span<Variable* const> vars, const Variable* variable) {
    std::vector<Variable*> list;
    allocateOrDie("newVarList", [&] {
        list.reserve(vars.empty() ? 0 : vars.size() - 1);
        for (Variable* listed : vars) {
            if (listed != variable) list.push_back(listed);
        }
    });
    return list;
}

std::vector<Variable*> copyVarList(std::span<Variable* const> vars) {
    return allocateOrDie("function's variable array", [&] { return std::vector<Variable*>(vars.begin(), vars.end()); });
}

}  // namespace pedlik
