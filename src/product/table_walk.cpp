#include "product/table_walk.hpp"

#include <algorithm>

#include "base/allocation.hpp"

namespace pedlik {

void strideOf(Function& function, const Variable& variable) {
    int stride = 1;
    for (std::size_t position = function.vars.size(); position-- > 0;) {
        const Variable* listed = function.vars[position];
        if (listed == &variable) {
            function.stride = stride;
            return;
        }
        stride *= listed->valueCount;
    }
    function.stride = 1;
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
