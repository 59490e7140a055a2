#include <algorithm>

#include "base/allocation.hpp"
#include "product/product_pool.hpp"
#include "product/trimming.hpp"

namespace pedlik {

namespace {

// Sets support for every value that some non-zero entry of the function
// takes. Returns 1 when the walk stopped early because every value of every
// variable of the function is supported, 0 after a complete walk. The walk
// keeps its digits in a local array, and a non-zero entry looks only at
// the positions that still have a value without support.
int markSupportedValues(const Function& function, std::span<int> support, int rowLength) {
    const std::size_t varCount = function.vars.size();
    std::vector<int> digits;
    std::vector<int> lastValues;
    std::vector<int> missing;                // values of the position not yet supported
    std::vector<std::size_t> openPositions;  // positions whose missing count is above 0
    allocateOrDie("structures used for value-elimination", [&] {
        digits.resize(varCount);
        lastValues.resize(varCount);
        missing.resize(varCount);
        openPositions.resize(varCount);
    });
    int unsupported = 0;
    for (std::size_t position = 0; position < varCount; ++position) {
        const int valueCount = function.vars[position]->valueCount;
        std::fill_n(support.begin() + static_cast<std::ptrdiff_t>(position) * rowLength, valueCount, 0);
        unsupported += valueCount;
        lastValues[position] = valueCount - 1;
        missing[position] = valueCount;
        openPositions[position] = position;
    }
    std::size_t openCount = varCount;
    for (const double entry : function.probablist) {
        if (entry != 0.0) {
            for (std::size_t open = 0; open < openCount;) {
                const std::size_t position = openPositions[open];
                int& seen = support[position * static_cast<std::size_t>(rowLength) + digits[position]];
                if (!seen) {
                    seen = 1;
                    if (--unsupported == 0) return 1;
                    if (--missing[position] == 0) {
                        openPositions[open] = openPositions[--openCount];
                        continue;
                    }
                }
                ++open;
            }
        }
        for (std::size_t position = varCount; position-- > 0;) {
            if (digits[position] < lastValues[position]) {
                ++digits[position];
                break;
            }
            digits[position] = 0;
        }
    }
    return 0;
}

}  // namespace

int findUnsupportedValues(Product& product, std::span<int> possible, std::span<int> support, int rowLength,
                          std::span<int> toRestrict, std::span<int> newValueCounts) {
    int removed = 0;
    for (Function& function : product.functions) {
        if (!function.inUse || function.supportChecked) continue;
        // A function that loses a value of a variable below is replaced
        // before the next pass; the others stay as checked.
        function.supportChecked = 1;
        if (markSupportedValues(function, support, rowLength)) continue;
        for (int position = 0; position < function.varCount(); ++position) {
            const Variable& variable = *function.vars[position];
            const int slot = variableIndex(product, variable);
            int* possibleRow = &possible[static_cast<std::size_t>(slot) * rowLength];
            const int* supportRow = &support[static_cast<std::size_t>(position) * rowLength];
            for (int value = 0; value < variable.valueCount; ++value) {
                if (!possibleRow[value] || supportRow[value]) continue;
                possibleRow[value] = 0;
                --newValueCounts[slot];
                for (const Function* listing : variable.funcs) toRestrict[functionIndex(product, *listing)] = 1;
                ++removed;
            }
        }
    }
    return removed;
}

}  // namespace pedlik
