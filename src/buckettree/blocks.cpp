#include "buckettree/blocks.hpp"

#include "buckettree/standalone_function.hpp"
#include "base/allocation.hpp"
#include "product/tables.hpp"

namespace pedlik {

int SplitVariable(Function& result, VarList& split, const Variable* excluded) {
    Variable* chosen = nullptr;
    for (Variable* variable : result.vars) {
        if (variable == excluded) continue;
        if (chosen == nullptr || variable->valueCount > chosen->valueCount) chosen = variable;
    }
    VarList rest;
    allocateOrDie("function's variable array", [&] {
        rest.reserve(result.vars.size());
        split.push_back(chosen);
    });
    for (Variable* variable : result.vars) {
        if (variable != chosen) rest.push_back(variable);
    }
    result.vars = std::move(rest);
    return chosen->valueCount;
}

VarList splitResult(Function& result, const Variable* excluded, std::size_t threshold) {
    VarList split;
    std::size_t size = result.tableSize();
    // A result of one entry has nothing left to split, whatever the threshold.
    while (size >= threshold && size > 1) size /= static_cast<std::size_t>(SplitVariable(result, split, excluded));
    VarList reordered;
    allocateOrDie("bte-mult", [&] { reordered.reserve(split.size() + result.vars.size()); });
    reordered.insert(reordered.end(), split.begin(), split.end());
    reordered.insert(reordered.end(), result.vars.begin(), result.vars.end());
    result.vars = std::move(reordered);
    return split;
}

namespace {

// Slices every input that lists `variable` at `value`.
void sliceAt(BlockInputs& block, const Variable& variable, int value) {
    for (FunctionEntry& entry : block.slices) {
        const Function* function = entry.function;
        if (function == nullptr || !InVarList(function->vars, &variable)) continue;
        if (function->vars.size() == 1) {
            block.factor *= function->probablist[static_cast<std::size_t>(value)];
            entry.function = nullptr;
            entry.owned.reset();
            continue;
        }
        entry.owned = ReduceFunction(*function, variable, value).function;
        entry.function = entry.owned.get();
    }
}

}  // namespace

void forEachBlock(Function& result, const VarList& split, const FunctionList& inputs,
                  const std::function<void(BlockInputs&, std::span<double>)>& fill) {
    std::span<double> table = writableTable(result);
    std::size_t blockCount = 1;
    for (const Variable* variable : split) blockCount *= static_cast<std::size_t>(variable->valueCount);
    const std::size_t blockSize = table.size() / blockCount;
    std::vector<int> digits;
    allocateOrDie("bte-mult", [&] { digits.assign(split.size(), 0); });
    for (std::size_t block = 0; block < blockCount; ++block) {
        BlockInputs sliced{CopyFunctionList(inputs), 1.0};
        for (std::size_t j = 0; j < split.size(); ++j) sliceAt(sliced, *split[j], digits[j]);
        fill(sliced, table.subspan(block * blockSize, blockSize));
        for (std::size_t j = split.size(); j-- > 0;) {
            if (++digits[j] < split[j]->valueCount) break;
            digits[j] = 0;
        }
    }
}

}  // namespace pedlik
