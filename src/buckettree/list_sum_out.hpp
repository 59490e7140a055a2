#pragma once

#include "buckettree/bte_settings.hpp"
#include "buckettree/function_list.hpp"

namespace pedlik {

// The allocation labels of the results a caller's sum-outs make.
struct ResultLabels {
    const char* record;
    const char* table;
};

// Fills the prepared `result` with the sum over `variable` of the product of
// the `extracted` functions (each lists it; the result lists their other
// variables): in one piece, or block by block from settings.blockThreshold
// entries on, after which the result's variables start with the split ones.
// A result whose countdown has run out is rescaled.
void mult(const FunctionList& extracted, Function& result, Variable& variable, const BteSettings& settings);

// Sums `variable` out of a work list: the functions that list it are taken
// out and replaced, at the end of the list, by one intermediate result over
// their other variables (a single entry when they list no other). A
// variable that no function lists has a single value left (value trimming
// released it) and needs nothing.
void sumOutOfList(FunctionList& work, Variable& variable, ResultLabels labels, const BteSettings& settings);

}  // namespace pedlik
