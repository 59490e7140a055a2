#include "buckettree/branch_selectors.hpp"

#include "base/allocation.hpp"
#include "product/original_values.hpp"

namespace pedlik {

Variable* selectorVariable(const Node& node, const BranchSelectors* branch) {
    if (branch == nullptr) return node.variable;
    const auto found = branch->variables.find(&node);
    return found == branch->variables.end() ? nullptr : found->second;
}

SelectorBeliefs& beliefsOf(Node& node, BranchSelectors* branch) {
    if (branch == nullptr) return node.beliefs;
    return allocateOrDie("Bte-RunBte", [&]() -> SelectorBeliefs& { return branch->beliefs[&node]; });
}

void noteFixedValues(const Product& copy, FixedValues& fixedValues) {
    for (const Variable& variable : copy.variables) {
        // A slot never taken has no node; a released one keeps its values' numbers.
        if (variable.inUse || variable.node == nullptr) continue;
        allocateOrDie("Bte-RunBte", [&] { fixedValues[variable.node] = originalValue(variable, 0); });
    }
}

void noteLiveVariables(Product& copy, BranchSelectors& branch) {
    for (Variable& variable : copy.variables) {
        if (!variable.inUse) continue;
        allocateOrDie("Bte-RunBte", [&] { branch.variables[variable.node] = &variable; });
    }
}

}  // namespace pedlik
