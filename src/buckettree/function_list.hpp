#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "product/product.hpp"

namespace pedlik {

struct Bucket;

// A variable list of the bucket-tree code. A product holds one variable per
// node and the trees never outlive their product's slots, so comparing
// Variable pointers is comparing the nodes' names.
using VarList = std::vector<Variable*>;

// One entry of a function list: a table placed in a bucket, a message a
// bucket received, an intermediate result of a sum-out, or a slice of one
// block. The order of a list fixes the variable order of every result.
struct FunctionEntry {
    Function* function = nullptr;  // null inside a block once slicing left the table no variable
    const Bucket* sender = nullptr;  // the bucket that sent this function as a message; null otherwise
    // Set when the entry holds its function: a received message, a sum-out
    // result or a block's slice. Placed product tables and the copies that
    // work lists make of a bucket's entries are only pointed at.
    OwnedFunction owned;
};
using FunctionList = std::vector<FunctionEntry>;

// An entry holding `function`.
FunctionEntry ownedEntry(OwnedFunction function);

// Whether the list holds `variable`.
bool InVarList(const VarList& list, const Variable* variable);

// The variables of the result of summing `variable` out of the product of
// the functions that list it (of all functions when `variable` is null), in
// order of first appearance; `variable` itself is left out
// ("bte-getvarrray", "bte addtovararraylist").
VarList getvarrray(const FunctionList& list, const Variable* variable);

// The number of entries of that result: combinationCount(getvarrray(...)),
// or SIZE_MAX when that does not fit (it only ranks and bounds costs).
std::size_t resultSize(const FunctionList& list, const Variable* variable);

// a * b, or SIZE_MAX when that does not fit.
inline std::size_t cappedProduct(std::size_t a, std::size_t b) {
    return b != 0 && a > SIZE_MAX / b ? SIZE_MAX : a * b;
}

// The number of entries of a table over `vars`: 1 without variables.
std::size_t combinationCount(const VarList& vars);

// Whether some function of the list lists `variable`.
bool listsVariable(const FunctionList& list, const Variable& variable);

// Moves every entry whose function lists `variable` out of `holder`, in
// order, keeping the others in theirs; ownership moves with the entries.
FunctionList ExtractFunctions(const Variable& variable, FunctionList& holder);

// One entry per entry of `list`, pointing at the same function, holding
// nothing, without sender; the entries sent by `excludedSender` (null:
// none) are left out ("bte-GetBucketMessages").
FunctionList CopyFunctionList(const FunctionList& list, const Bucket* excludedSender = nullptr);

// The functions of the entries, in order ("Bte-GetFunc").
std::vector<Function*> functionsOf(const FunctionList& list);

}  // namespace pedlik
