#include "buckettree/multiply.hpp"

#include <algorithm>

#include "buckettree/blocks.hpp"
#include "buckettree/standalone_function.hpp"
#include "product/sum_out.hpp"
#include "product/tables.hpp"

namespace pedlik {

void FillProduct(Function& result, const FunctionList& list, WorkQueue* queue) {
    std::vector<Function*> inputs = functionsOf(list);
    std::erase(inputs, nullptr);
    // A product is a sum-out over no variable: the stepped kernel fills it
    // tile by tile.
    sumProductIncremental(result, {}, inputs, queue);
}

void multiply(FunctionList& work, Function& result, const BteSettings& settings) {
    if (result.tableSize() < settings.blockThreshold) {
        FillProduct(result, work, settings.queue);
    } else {
        const VarList split = splitResult(result, nullptr, settings.blockThreshold);
        forEachBlock(result, split, work, [&](BlockInputs& block, std::span<double> out) {
            OwnedFunction piece = newResultFunction(out.size(), getvarrray(block.slices, nullptr), "bte-multiply", "bte-mult");
            FillProduct(*piece, block.slices, settings.queue);
            std::transform(piece->probablist.begin(), piece->probablist.end(), out.begin(),
                           [&](double entry) { return entry * block.factor; });
        });
    }
    work.clear();
    if (result.rescaleCountdown <= 0) {
        rescale(result);
        result.rescaleCountdown = settings.rescaleCountdown;
    }
}

void MultiplyFunctions(FunctionList& work, const BteSettings& settings) {
    VarList vars = getvarrray(work, nullptr);
    const std::size_t size = combinationCount(vars);
    OwnedFunction result = newResultFunction(size, std::move(vars), "bte- MultiplyFunctions", "bte-MultiplyFunctions");
    result->intermediate = 0;
    int countdown = settings.rescaleCountdown;
    for (const FunctionEntry& entry : work) {
        if (entry.function == nullptr) continue;
        result->logScale += entry.function->logScale;
        countdown = std::min(countdown, entry.function->rescaleCountdown);
    }
    result->rescaleCountdown = countdown - 1;
    multiply(work, *result, settings);
    work.push_back(ownedEntry(std::move(result)));
}

}  // namespace pedlik
