#include "product/table_walk.hpp"

#include <algorithm>

#include "base/allocation.hpp"

namespace pedlik {

std::size_t valueStride(const Function& function, const Variable& variable) {
    std::size_t stride = 1;
    for (std::size_t position = function.vars.size(); position-- > 0;) {
        const Variable* listed = function.vars[position];
        if (listed == &variable) return stride;
        stride *= static_cast<std::size_t>(listed->valueCount);
    }
    return 1;
}

void strideOf(Function& function, const Variable& variable) {
    function.stride = static_cast<int>(valueStride(function, variable));
}

void copyValueSlice(const Function& function, const Variable& variable, int oldValueCount, int value,
                    std::span<double> out) {
    // Entries with the variable at `value` come in runs of `inner` (one per
    // combination of the variables after it), one run per combination of
    // the variables before it, `inner * oldValueCount` apart.
    const std::size_t inner = valueStride(function, variable);
    const std::size_t outer = out.size() / inner;
    const std::size_t runDistance = inner * static_cast<std::size_t>(oldValueCount);
    const double* source = function.probablist.data() + static_cast<std::size_t>(value) * inner;
    if (inner == 1) {
        // The variable is the function's last: runs of one entry, gathered
        // without a call per entry.
        for (std::size_t run = 0; run < outer; ++run) out[run] = source[run * runDistance];
    } else {
        for (std::size_t run = 0; run < outer; ++run) {
            std::copy_n(source + run * runDistance, inner, out.begin() + static_cast<std::ptrdiff_t>(run * inner));
        }
    }
}

void fillStepPairs(const Function& function, std::span<Variable* const> summed, std::span<StepPair> row) {
    int stride = 1;
    for (std::size_t position = function.vars.size(); position-- > 0;) {
        Variable* listed = function.vars[position];
        if (std::find(summed.begin(), summed.end(), listed) == summed.end()) {
            row[static_cast<std::size_t>(listed->currentValue)] = StepPair{stride, (1 - listed->valueCount) * stride};
        }
        stride *= listed->valueCount;
    }
}

std::vector<StepPair> prepareStepping(Function& result, std::span<Variable* const> summed,
                                      std::span<Function* const> inputs) {
    const std::size_t width = result.vars.size();
    std::vector<StepPair> steps;
    allocateOrDie("incDecArr", [&] { steps.assign(inputs.size() * width, StepPair{}); });
    // Tag each result variable with its position, for fillStepPairs.
    for (std::size_t position = 0; position < width; ++position) {
        result.vars[position]->currentValue = static_cast<int>(position);
    }
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        fillStepPairs(*inputs[k], summed, std::span<StepPair>(steps).subspan(k * width, width));
        inputs[k]->tableIndex = 0;
    }
    resetDigits(result);
    return steps;
}

}  // namespace pedlik
