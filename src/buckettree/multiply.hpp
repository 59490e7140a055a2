#pragma once

#include "buckettree/bte_settings.hpp"
#include "buckettree/function_list.hpp"

namespace pedlik {

// Replaces the work list by one entry holding the product of all its
// functions, over their variables in order of first appearance
// ("bte- MultiplyFunctions", "bte-MultiplyFunctions"). The list's
// intermediate results are released with their entries.
void MultiplyFunctions(FunctionList& work, const BteSettings& settings);

// Fills `result` with the product of the list's functions, in one piece or
// block by block from settings.blockThreshold entries on (the result's
// variables then start with the split ones), and empties the list.
void multiply(FunctionList& work, Function& result, const BteSettings& settings);

// Every entry of `result` is the product, over the functions of the list,
// of their entries at the result's values: each function's variables are
// among the result's. With a queue, a large product is filled by its
// threads, share by share.
void FillProduct(Function& result, const FunctionList& list, WorkQueue* queue = nullptr);

}  // namespace pedlik
