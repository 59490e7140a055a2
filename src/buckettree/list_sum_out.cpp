#include "buckettree/list_sum_out.hpp"

#include <algorithm>

#include "buckettree/blocks.hpp"
#include "buckettree/standalone_function.hpp"
#include "product/sum_out.hpp"
#include "product/tables.hpp"

namespace pedlik {

namespace {

void sumOutInto(Function& result, Variable& variable, const FunctionList& functions, const BteSettings& settings) {
    const std::vector<Function*> inputs = functionsOf(functions);
    if (result.tableSize() >= settings.incrementalThreshold) {
        sumProductIncremental(result, variable, inputs);
    } else {
        sumProductSimple(result, variable, inputs);
    }
}

}  // namespace

void mult(const FunctionList& extracted, Function& result, Variable& variable, const BteSettings& settings) {
    if (result.tableSize() < settings.blockThreshold) {
        sumOutInto(result, variable, extracted, settings);
    } else {
        const VarList split = splitResult(result, &variable, settings.blockThreshold);
        forEachBlock(result, split, extracted, [&](BlockInputs& block, std::span<double> out) {
            OwnedFunction piece = newResultFunction(out.size(), getvarrray(block.slices, &variable), "bte-multiply", "bte-mult");
            sumOutInto(*piece, variable, block.slices, settings);
            std::copy(piece->probablist.begin(), piece->probablist.end(), out.begin());
        });
    }
    // Rescaling keeps long chains of messages clear of underflow; it
    // changes no true value.
    if (result.rescaleCountdown <= 0) {
        rescale(result);
        result.rescaleCountdown = settings.rescaleCountdown;
    }
}

void sumOutOfList(FunctionList& work, Variable& variable, ResultLabels labels, const BteSettings& settings) {
    if (!listsVariable(work, variable)) return;
    VarList vars = getvarrray(work, &variable);
    const std::size_t size = combinationCount(vars);
    OwnedFunction result = newResultFunction(size, std::move(vars), labels.record, labels.table);
    int countdown = settings.rescaleCountdown;
    for (const FunctionEntry& entry : work) {
        if (entry.function == nullptr) continue;
        countdown = std::min(countdown, entry.function->rescaleCountdown);
        if (InVarList(entry.function->vars, &variable)) result->logScale += entry.function->logScale;
    }
    result->rescaleCountdown = countdown - 1;
    const FunctionList extracted = ExtractFunctions(variable, work);
    mult(extracted, *result, variable, settings);
    work.push_back(ownedEntry(std::move(result)));
}

}  // namespace pedlik
