#pragma once

#include <span>
#include <vector>

#include "product/product.hpp"

namespace pedlik {

// The variables of a node's table, in table order: the node's own variable,
// then each parent's, in parent order, leaving out every node with fewer
// than two values (it contributes a factor of one). Variables are created on
// first use, so the order of these calls fixes the variable slots. Empty,
// without allocating, when no node qualifies ("variables").
std::vector<Variable*> nodeVariableList(Product& product, Node& node);

// The list without `variable`, others in their order ("newVarList").
std::vector<Variable*> newVarList(std::span<Variable* const> vars, const Variable* variable);

// A copy of a function's variable list ("function's variable array").
std::vector<Variable*> copyVarList(std::span<Variable* const> vars);

}  // namespace pedlik
