#pragma once

#include <cstddef>
#include <span>

#include "buckettree/function_list.hpp"
#include "product/product.hpp"

namespace pedlik {

// A function allocated by itself (`standalone`), not a product slot, with a
// copy of `entries` as its table ("funcPtr", "funcPtr->probablist") and
// the fresh rescale countdown.
OwnedFunction NewFunction(std::span<const double> entries, double logScale, VarList vars);

// A standalone, intermediate result of `size` entries over `vars`,
// allocated under the caller's labels. The entries are left unset: every
// sum-out and product writes each entry of its result, and zeroing tables
// of hundreds of megabytes first would cost a pass of its own.
OwnedFunction newResultFunction(std::size_t size, VarList vars, const char* recordLabel, const char* tableLabel);

// The slice of `function` at `variable` = `value`: a function over the other
// variables, in their order, with the same logScale. A function over
// `variable` alone has no slice; `constant` then receives ln(entry) +
// logScale and null is returned.
struct Slice {
    OwnedFunction function;
    double constant = 0.0;
};
Slice ReduceFunction(const Function& function, const Variable& variable, int value);

// Makes the function a probability table: every entry divided by the sum of
// all entries (its logScale cancels out, so it is not read).
void NormalizeBelief(Function& belief);

// ln(sum of all entries) + logScale: the log of the function's total.
double LogSum(const Function& function);

}  // namespace pedlik
