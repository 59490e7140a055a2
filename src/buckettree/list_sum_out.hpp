#pragma once

#include "buckettree/bte_settings.hpp"
#include "buckettree/function_list.hpp"

namespace pedlik {

// The allocation labels of the results a caller's sum-outs make.
struct ResultLabels {
    const char* record;
    const char* table;
};

// Fills the prepared `result` with the sum over the `summed` variables of
// the product of the `extracted` functions (each lists the first summed
// variable; the result lists their other variables): in one piece, or
// block by block from settings.blockThreshold entries on, after which the
// result's variables start with the split ones. A result whose countdown
// has run out is rescaled.
void mult(const FunctionList& extracted, Function& result, const VarList& summed, const BteSettings& settings);

// Sums `variable` out of a work list: the functions that list it are taken
// out and replaced, at the end of the list, by one intermediate result over
// their other variables (a single entry when they list no other). The
// variables of `candidates` that only those functions list are summed out
// in the same pass; they are returned. A variable that no function lists
// has a single value left (value trimming released it) and needs nothing.
VarList sumOutOfList(FunctionList& work, Variable& variable, const VarList& candidates, ResultLabels labels,
                     const BteSettings& settings);

// Sums the variables of `sumOut` out of the list, the cheapest first: each
// time the variable whose functions' product is smallest (the earliest of
// equal ones), together with the others that only its functions list. The
// result is the same in any order; the cost is not.
void sumOutVariables(FunctionList& work, const VarList& sumOut, ResultLabels labels, const BteSettings& settings);

// The work list reduced to one function its caller owns: the product of
// several, the list's own result, or a copy of a function the list only
// points at (a bucket's table or message).
OwnedFunction takeResult(FunctionList& work, const BteSettings& settings);

}  // namespace pedlik
