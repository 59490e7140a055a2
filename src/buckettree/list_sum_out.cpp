#include "buckettree/list_sum_out.hpp"

#include <algorithm>

#include "buckettree/blocks.hpp"
#include "buckettree/multiply.hpp"
#include "buckettree/standalone_function.hpp"
#include "base/allocation.hpp"
#include "product/sum_out.hpp"
#include "product/tables.hpp"

namespace pedlik {

namespace {

void sumOutInto(Function& result, const VarList& summed, const FunctionList& functions, const BteSettings& settings) {
    const std::vector<Function*> inputs = functionsOf(functions);
    if (result.tableSize() >= settings.incrementalThreshold) {
        sumProductIncremental(result, summed, inputs, settings.queue);
    } else {
        sumProductSimple(result, summed, inputs);
    }
}

// The variables of the result of summing `summed` (its first variable is
// listed by every function of `list`) out of the list's product, in order of
// first appearance.
VarList resultVariables(const FunctionList& list, const VarList& summed) {
    VarList vars = getvarrray(list, summed.front());
    std::erase_if(vars, [&](const Variable* listed) { return InVarList(summed, listed); });
    return vars;
}

// What summing `variable` out of the list costs: the entries of the product
// of the functions that list it.
std::size_t sumOutCost(const FunctionList& work, const Variable& variable) {
    return cappedProduct(resultSize(work, &variable), static_cast<std::size_t>(variable.valueCount));
}

// Rescaling keeps long chains of messages clear of underflow; it changes
// no true value.
void rescaleWhenDue(Function& result, const BteSettings& settings) {
    if (result.rescaleCountdown <= 0) {
        rescale(result);
        result.rescaleCountdown = settings.rescaleCountdown;
    }
}

// Replaces the whole list by one function: the product of all its
// functions with `summed` summed out, in a single pass over the product.
void sumOutInOnePass(FunctionList& work, const VarList& summed, ResultLabels labels, const BteSettings& settings) {
    VarList vars = getvarrray(work, nullptr);
    std::erase_if(vars, [&](const Variable* listed) { return InVarList(summed, listed); });
    const std::size_t size = combinationCount(vars);
    OwnedFunction result = newResultFunction(size, std::move(vars), labels.record, labels.table);
    int countdown = settings.rescaleCountdown;
    for (const FunctionEntry& entry : work) {
        result->logScale += entry.function->logScale;
        countdown = std::min(countdown, entry.function->rescaleCountdown);
    }
    result->rescaleCountdown = countdown - 1;
    sumOutInto(*result, summed, work, settings);
    rescaleWhenDue(*result, settings);
    work.clear();
    work.push_back(ownedEntry(std::move(result)));
}

// The variables of `vars` (those of the functions taken out) that are
// `candidates` and that no function left in `work` lists.
VarList onlyAlongside(const FunctionList& work, const VarList& vars, const VarList& candidates) {
    for (Variable* listed : vars) listed->mark = 0;
    for (const FunctionEntry& entry : work) {
        if (entry.function == nullptr) continue;
        for (Variable* listed : entry.function->vars) listed->mark = 1;
    }
    VarList along;
    for (Variable* listed : vars) {
        if (listed->mark == 0 && InVarList(candidates, listed)) {
            allocateOrDie("Bte - Addtovarlist", [&] { along.push_back(listed); });
        }
    }
    return along;
}

}  // namespace

void mult(const FunctionList& extracted, Function& result, const VarList& summed, const BteSettings& settings) {
    if (result.tableSize() < settings.blockThreshold) {
        sumOutInto(result, summed, extracted, settings);
    } else {
        const VarList split = splitResult(result, summed.front(), settings.blockThreshold);
        forEachBlock(result, split, extracted, [&](BlockInputs& block, std::span<double> out) {
            OwnedFunction piece =
                newResultFunction(out.size(), resultVariables(block.slices, summed), "bte-multiply", "bte-mult");
            sumOutInto(*piece, summed, block.slices, settings);
            std::copy(piece->probablist.begin(), piece->probablist.end(), out.begin());
        });
    }
    rescaleWhenDue(result, settings);
}

VarList sumOutOfList(FunctionList& work, Variable& variable, const VarList& candidates, ResultLabels labels,
                     const BteSettings& settings) {
    if (!listsVariable(work, variable)) return {};
    int countdown = settings.rescaleCountdown;
    double logScale = 0.0;
    for (const FunctionEntry& entry : work) {
        if (entry.function == nullptr) continue;
        countdown = std::min(countdown, entry.function->rescaleCountdown);
        if (InVarList(entry.function->vars, &variable)) logScale += entry.function->logScale;
    }
    const FunctionList extracted = ExtractFunctions(variable, work);
    const VarList along = onlyAlongside(work, getvarrray(extracted, &variable), candidates);
    VarList summed;
    allocateOrDie("Bte - Addtovarlist", [&] {
        summed.reserve(1 + along.size());
        summed.push_back(&variable);
        summed.insert(summed.end(), along.begin(), along.end());
    });
    VarList vars = resultVariables(extracted, summed);
    const std::size_t size = combinationCount(vars);
    OwnedFunction result = newResultFunction(size, std::move(vars), labels.record, labels.table);
    result->logScale = logScale;
    result->rescaleCountdown = countdown - 1;
    mult(extracted, *result, summed, settings);
    work.push_back(ownedEntry(std::move(result)));
    return along;
}

void sumOutVariables(FunctionList& work, const VarList& sumOut, ResultLabels labels, const BteSettings& settings) {
    // A variable that no function lists has one value left and needs
    // nothing; summing never makes a variable listed again.
    VarList left;
    for (Variable* variable : sumOut) {
        if (listsVariable(work, *variable)) allocateOrDie("Bte - Addtovarlist", [&] { left.push_back(variable); });
    }
    std::vector<std::size_t> costs;  // of each variable left, once the product is too large for one pass
    while (!left.empty()) {
        if (resultSize(work, nullptr) <= settings.onePassThreshold) {
            sumOutInOnePass(work, left, labels, settings);
            return;
        }
        if (costs.empty()) {
            allocateOrDie("Bte - Addtovarlist", [&] {
                for (const Variable* variable : left) costs.push_back(sumOutCost(work, *variable));
            });
        }
        const auto cheapest = std::min_element(costs.begin(), costs.end()) - costs.begin();
        Variable& variable = *left[static_cast<std::size_t>(cheapest)];
        left.erase(left.begin() + cheapest);
        costs.erase(costs.begin() + cheapest);
        const VarList along = sumOutOfList(work, variable, left, labels, settings);
        // Only the candidates the new result lists have new costs.
        const Function& result = *work.back().function;
        for (std::size_t k = left.size(); k-- > 0;) {
            if (InVarList(along, left[k])) {
                left.erase(left.begin() + static_cast<std::ptrdiff_t>(k));
                costs.erase(costs.begin() + static_cast<std::ptrdiff_t>(k));
            } else if (InVarList(result.vars, left[k])) {
                costs[k] = sumOutCost(work, *left[k]);
            }
        }
    }
}

OwnedFunction takeResult(FunctionList& work, const BteSettings& settings) {
    if (work.size() > 1) MultiplyFunctions(work, settings);
    FunctionEntry& entry = work.front();
    if (entry.owned != nullptr) return std::move(entry.owned);
    OwnedFunction copy = NewFunction(entry.function->probablist, entry.function->logScale, entry.function->vars);
    copy->intermediate = 1;
    return copy;
}

}  // namespace pedlik
