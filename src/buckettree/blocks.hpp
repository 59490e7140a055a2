#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "buckettree/function_list.hpp"

namespace pedlik {

// A result table too large to fill in one piece is filled block by block:
// a few of its variables are split off, and each combination of their
// values gives one block, filled from the inputs sliced at those values.

// Takes the result's variable with the most values (the earliest of equal
// ones, never `excluded`) out of its list, appends it to `split` and
// returns its value count ("function's variable array").
int SplitVariable(Function& result, VarList& split, const Variable* excluded);

// Splits variables off the result until the rest has fewer than
// `threshold` combinations, then reorders the result's variables as the
// split ones, in the order chosen, followed by the rest in their order, so
// that every block is one contiguous stretch of the result's table.
// Returns the split variables.
VarList splitResult(Function& result, const Variable* excluded, std::size_t threshold);

// What one block is filled from: the inputs, each sliced at the block's
// values of the split variables (slices the block owns; an input that
// slicing left without variables is gone from `slices` and its entry,
// without logScale, multiplies `factor`).
struct BlockInputs {
    FunctionList slices;
    double factor = 1.0;
};

// Calls `fill` for every block of the result, in table order (the last
// split variable fastest), with the block's inputs and its stretch of the
// result's table.
void forEachBlock(Function& result, const VarList& split, const FunctionList& inputs,
                  const std::function<void(BlockInputs&, std::span<double>)>& fill);

}  // namespace pedlik
