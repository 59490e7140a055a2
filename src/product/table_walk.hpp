#pragma once

#include <cstddef>
#include <span>

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

// Sets stride to the distance between entries that differ by one in
// `variable`'s value: the product of the value counts of the variables after
// it (1 when the function does not list it).
void strideOf(Function& function, const Variable& variable);

// How one input's table position changes when one digit of the result being
// filled changes: `step` when the digit goes up by one, `wrap` when it goes
// from its last value back to 0.
struct StepPair {
    int step = 0;
    int wrap = 0;
};

// For an input function of a sum-out over `summed`: sets the function's
// stride for `summed`, and stores for each of its other variables the step
// pair at that variable's position in the result, which the caller has put
// into the variable's currentValue. Positions the function does not list
// keep their pair, which the caller has zeroed.
void fillStepPairs(Function& function, const Variable& summed, std::span<StepPair> row);

}  // namespace pedlik
