#include "buckettree/function_list.hpp"

#include <algorithm>

#include "base/allocation.hpp"

namespace pedlik {

FunctionEntry ownedEntry(OwnedFunction function) {
    Function* held = function.get();
    return FunctionEntry{held, nullptr, std::move(function)};
}

bool InVarList(const VarList& list, const Variable* variable) {
    return std::find(list.begin(), list.end(), variable) != list.end();
}

namespace {

// Calls `visit` once for every variable of the functions taking part (those
// that list `variable`, all when it is null), in order of first appearance,
// leaving `variable` out. The variables' scratch marks tell which were seen.
template <typename Visit>
void forEachResultVariable(const FunctionList& list, const Variable* variable, Visit visit) {
    const auto takesPart = [&](const Function* function) {
        return function != nullptr && (variable == nullptr || InVarList(function->vars, variable));
    };
    for (const FunctionEntry& entry : list) {
        if (!takesPart(entry.function)) continue;
        for (Variable* listed : entry.function->vars) listed->mark = 0;
    }
    for (const FunctionEntry& entry : list) {
        if (!takesPart(entry.function)) continue;
        for (Variable* listed : entry.function->vars) {
            if (listed == variable || listed->mark != 0) continue;
            listed->mark = 1;
            visit(listed);
        }
    }
}

}  // namespace

VarList getvarrray(const FunctionList& list, const Variable* variable) {
    VarList collected;
    forEachResultVariable(list, variable, [&](Variable* listed) {
        allocateOrDie("bte addtovararraylist", [&] { collected.push_back(listed); });
    });
    return collected;
}

std::size_t resultSize(const FunctionList& list, const Variable* variable) {
    std::size_t size = 1;
    forEachResultVariable(list, variable,
                          [&](const Variable* listed) { size = cappedProduct(size, static_cast<std::size_t>(listed->valueCount)); });
    return size;
}

std::size_t combinationCount(const VarList& vars) {
    std::size_t count = 1;
    for (const Variable* variable : vars) count *= static_cast<std::size_t>(variable->valueCount);
    return count;
}

bool listsVariable(const FunctionList& list, const Variable& variable) {
    return std::any_of(list.begin(), list.end(), [&](const FunctionEntry& entry) {
        return entry.function != nullptr && InVarList(entry.function->vars, &variable);
    });
}

FunctionList ExtractFunctions(const Variable& variable, FunctionList& holder) {
    FunctionList extracted;
    FunctionList kept;
    allocateOrDie("Bte-GetFunc", [&] {
        extracted.reserve(holder.size());
        kept.reserve(holder.size());
    });
    for (FunctionEntry& entry : holder) {
        const bool lists = entry.function != nullptr && InVarList(entry.function->vars, &variable);
        (lists ? extracted : kept).push_back(std::move(entry));
    }
    holder = std::move(kept);
    return extracted;
}

FunctionList CopyFunctionList(const FunctionList& list, const Bucket* excludedSender) {
    FunctionList copy;
    allocateOrDie("bte-GetBucketMessages", [&] { copy.reserve(list.size()); });
    for (const FunctionEntry& entry : list) {
        if (excludedSender != nullptr && entry.sender == excludedSender) continue;
        copy.push_back(FunctionEntry{entry.function, nullptr, nullptr});
    }
    return copy;
}

std::vector<Function*> functionsOf(const FunctionList& list) {
    std::vector<Function*> functions;
    allocateOrDie("Bte-GetFunc", [&] { functions.reserve(list.size()); });
    for (const FunctionEntry& entry : list) functions.push_back(entry.function);
    return functions;
}

}  // namespace pedlik
