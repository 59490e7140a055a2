#pragma once

#include "product/product.hpp"

namespace pedlik {

// Lists every live function, in slot order, in the funcs of each variable it
// lists, after counting each variable's degree and giving its funcs room for
// exactly that many ("variable's function array"). Run once all of a
// product's functions exist.
void buildFunctionIndex(Product& product);

// Appends the function at the end of the variable's funcs. Operations that
// replace functions remove at least one from the list before appending, so
// the room made by buildFunctionIndex suffices.
void appendFunction(Variable& variable, Function& function);

// Takes the first occurrence of the function out of the variable's funcs,
// keeping the others in their order; nothing happens when it is not there.
void removeFunction(Variable& variable, const Function& function);

}  // namespace pedlik
