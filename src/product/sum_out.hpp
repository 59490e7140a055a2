#pragma once

#include <span>

#include "base/work_queue.hpp"
#include "product/elimination_settings.hpp"
#include "product/product.hpp"

namespace pedlik {

// Sums `variable` out of the product: its functions are replaced by one
// function over its neighbours, or, when it has none, by a constant (the
// natural logarithm, through `constant`). Returns 1 for a constant, else 0.
// The variable is released. With a queue, a large sum-out's entries are
// filled by its threads, share by share.
int sumOutVariable(Product& product, Variable& variable, double& constant,
                   const EliminationSettings& settings = EliminationSettings{}, WorkQueue* queue = nullptr);

// Fill the new function's table: the sum over every combination of the
// `summed` variables' values of the product of `functions` (each lists the
// first summed variable; the result lists their other variables), for
// every combination of the result's values. The two give the same table,
// bit for bit: the simple one entry by entry, recomputing the table indexes;
// the incremental one a block of entries at a time, stepping the indexes.
// Both engines sum out with these: elimination passes one variable and its
// funcs, bucket-tree elimination a work list's functions and the variables
// only they list.
void sumProductSimple(Function& result, std::span<Variable* const> summed, std::span<Function* const> functions);
void sumProductIncremental(Function& result, std::span<Variable* const> summed,
                           std::span<Function* const> functions, WorkQueue* queue = nullptr);
inline void sumProductSimple(Function& result, Variable& variable, std::span<Function* const> functions) {
    Variable* const summed[] = {&variable};
    sumProductSimple(result, summed, functions);
}
inline void sumProductIncremental(Function& result, Variable& variable, std::span<Function* const> functions,
                                  WorkQueue* queue = nullptr) {
    Variable* const summed[] = {&variable};
    sumProductIncremental(result, summed, functions, queue);
}

// The log of the sum over the variable's values of the product of its
// functions, each of which lists the variable alone, plus `logScaleSum`.
double sumOutConstant(const Variable& variable, double logScaleSum);

}  // namespace pedlik
