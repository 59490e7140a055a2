#pragma once

#include <span>

#include "product/product.hpp"

namespace pedlik {

// Trimming and fixing renumber a variable's values; these keep track of the
// node's own number of every value left, which the bucket-tree mode reads
// for selectors reduced to a single value.

// The node's own number of the variable's current value `value`.
int originalValue(const Variable& variable, int value);

// Keeps the original numbers of the values whose `possibleRow` entry is 1,
// in their order, as the variable's values 0, 1, ... ("originalValues").
// Call before the variable's valueCount drops to the number kept.
void keepPossibleOriginalValues(Variable& variable, std::span<const int> possibleRow);

// Keeps the original number of `value` alone ("originalValues").
void keepOriginalValue(Variable& variable, int value);

// Releases a variable that has a single value left, first recording on its
// node which original value that is. A copied product's variable leaves the
// node alone.
void releaseSingleValueVariable(Product& product, Variable& variable);

}  // namespace pedlik
