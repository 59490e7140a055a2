#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "product/product.hpp"

namespace pedlik {

// A table walk keeps one digit per variable, in the variables' currentValue,
// and visits the entries in table order: resetDigits, then one nextDigits per
// entry until it returns 0. The walk functions are called once per entry by
// every sum-out, so they live here inline.

inline void resetDigits(const Function& function) {
    for (Variable* variable : function.vars) variable->currentValue = 0;
}

// Advances the digits like an odometer, last variable fastest. Returns 0,
// with every digit back at 0, after the last entry.
inline int nextDigits(const Function& function) {
    for (std::size_t position = function.vars.size(); position-- > 0;) {
        Variable& variable = *function.vars[position];
        if (variable.currentValue < variable.valueCount - 1) {
            ++variable.currentValue;
            return 1;
        }
        variable.currentValue = 0;
    }
    return 0;
}

// Sets tableIndex to the entry matching the current digits.
inline void digitIndex(Function& function) {
    std::size_t remaining = function.tableSize();
    std::size_t index = 0;
    for (const Variable* variable : function.vars) {
        remaining /= static_cast<std::size_t>(variable->valueCount);
        index += remaining * static_cast<std::size_t>(variable->currentValue);
    }
    function.tableIndex = static_cast<int>(index);
}

// The distance between entries that differ by one in `variable`'s value:
// the product of the value counts of the variables after it (1 when the
// function does not list it).
std::size_t valueStride(const Function& function, const Variable& variable);

// Sets the function's stride to valueStride.
void strideOf(Function& function, const Variable& variable);

// Writes to `out` the function's entries with `variable` at `value`, in
// table order: tableSize() / oldValueCount of them, where `oldValueCount`
// is the variable's value count in the table.
void copyValueSlice(const Function& function, const Variable& variable, int oldValueCount, int value,
                    std::span<double> out);

// How one input's table position changes when one digit of the result being
// filled changes: `step` when the digit goes up by one, `wrap` when it goes
// from its last value back to 0.
struct StepPair {
    int step = 0;
    int wrap = 0;
};

// For an input function of a sum-out over the `summed` variables (none for
// a plain product): stores for each of its other variables the step pair at
// that variable's position in the result, which the caller has put into the
// variable's currentValue. Positions the function does not list keep their
// pair, which the caller has zeroed.
void fillStepPairs(const Function& function, std::span<Variable* const> summed, std::span<StepPair> row);

// Prepares a stepped walk over `result` (the incremental alternative to
// digitIndex per entry) for inputs of a sum-out over `summed` (none for a
// plain product): the step pairs of every input, one row each
// ("incDecArr"), with each input's tableIndex at 0. Leaves the result's
// digits at 0.
std::vector<StepPair> prepareStepping(Function& result, std::span<Variable* const> summed,
                                      std::span<Function* const> inputs);

// One step of a stepped walk over `result`: advances its digits like
// nextDigits and moves the tableIndex of every input by its pair for each
// digit that changes (row k of `steps`, one pair per position of the
// result, belongs to inputs[k]). Returns 0 after the last entry.
inline int nextDigitsStepping(const Function& result, std::span<const StepPair> steps,
                              std::span<Function* const> inputs) {
    const std::size_t width = result.vars.size();
    for (std::size_t position = width; position-- > 0;) {
        Variable& digit = *result.vars[position];
        const bool carries = digit.currentValue == digit.valueCount - 1;
        digit.currentValue = carries ? 0 : digit.currentValue + 1;
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            const StepPair& pair = steps[k * width + position];
            inputs[k]->tableIndex += carries ? pair.wrap : pair.step;
        }
        if (!carries) return 1;
    }
    return 0;
}

}  // namespace pedlik
