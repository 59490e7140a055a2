#pragma once

#include "product/product.hpp"

namespace pedlik {

// Fixes the variable to its value `value` in every function that lists it,
// in funcs order, and releases it. Returns the sum of the natural logarithms
// of the constants made.
double fixVariable(Product& product, Variable& variable, int value);

// The function with `variable` fixed to `value`, over its other variables;
// `oldValueCount` is the variable's value count in the function's table.
// Returns null when no other variable is left: `constant` then receives the
// natural logarithm of the entry for `value` plus the function's logScale.
// The caller replaces the old function.
Function* fixValueInFunction(Product& product, const Function& function, const Variable& variable,
                             int oldValueCount, int value, double& constant);

}  // namespace pedlik
