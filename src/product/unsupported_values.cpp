#include <algorithm>

#include "base/allocation.hpp"
#include "product/product_pool.hpp"
#include "product/trimming.hpp"

namespace pedlik {

namespace {

// Sets support for every value that some non-zero entry of the function
// takes. Returns 1 when the walk stopped early because every value of every
// variable of the function is supported, 0 after a complete walk. The walk
// goes row by row over the last variable's values: a row's entries give
// that variable's support one by one, and the other variables, whose values
// the whole row shares, need only know whether the row has a non-zero entry.
// Only the positions that still have a value without support are looked at.
int markSupportedValues(const Function& function, std::span<int> support, int rowLength) {
    const std::size_t varCount = function.vars.size();
    const std::size_t stride = static_cast<std::size_t>(rowLength);
    std::vector<int> digits;
    std::vector<int> counts;                 // the positions' value counts
    std::vector<int> missing;                // values of the position not yet supported
    std::vector<std::size_t> openPositions;  // positions before the last whose missing count is above 0
    allocateOrDie("structures used for value-elimination", [&] {
        digits.resize(varCount);
        counts.resize(varCount);
        missing.resize(varCount);
        openPositions.resize(varCount);
    });
    int unsupported = 0;
    for (std::size_t position = 0; position < varCount; ++position) {
        const int valueCount = function.vars[position]->valueCount;
        counts[position] = valueCount;
        std::fill_n(support.begin() + static_cast<std::ptrdiff_t>(position * stride), valueCount, 0);
        unsupported += valueCount;
        missing[position] = valueCount;
        openPositions[position] = position;
    }
    if (varCount == 0) return 0;
    const std::size_t last = varCount - 1;
    const auto rowSize = static_cast<std::size_t>(function.vars[last]->valueCount);
    if (rowSize == 0) return 0;
    int* lastSupport = support.data() + last * stride;
    std::size_t openCount = last;
    const std::span<const double> table = function.probablist;
    for (std::size_t row = 0; row < table.size(); row += rowSize) {
        const double* entries = table.data() + row;
        bool anyNonZero = false;
        if (missing[last] > 0) {
            for (std::size_t value = 0; value < rowSize; ++value) {
                if (entries[value] == 0.0) continue;
                anyNonZero = true;
                if (!lastSupport[value]) {
                    lastSupport[value] = 1;
                    --missing[last];
                    if (--unsupported == 0) return 1;
                }
            }
        } else {
            anyNonZero = std::any_of(entries, entries + rowSize, [](double entry) { return entry != 0.0; });
        }
        if (anyNonZero) {
            for (std::size_t open = 0; open < openCount;) {
                const std::size_t position = openPositions[open];
                int& seen = support[position * stride + static_cast<std::size_t>(digits[position])];
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
        for (std::size_t position = last; position-- > 0;) {
            if (++digits[position] < counts[position]) break;
            digits[position] = 0;
        }
    }
    return 0;
}

}  // namespace

void markWhollySupported(Product& product, const Variable& fixed) {
    int rowLength = 0, widest = 0;
    for (const Variable& variable : product.variables) {
        if (variable.inUse) rowLength = std::max(rowLength, variable.valueCount);
    }
    for (const Function& function : product.functions) {
        if (function.inUse) widest = std::max(widest, function.varCount());
    }
    std::vector<int> support;
    allocateOrDie("structures used for value-elimination",
                  [&] { support.assign(static_cast<std::size_t>(widest) * static_cast<std::size_t>(rowLength), 0); });
    for (Function& function : product.functions) {
        if (!function.inUse || function.supportChecked) continue;
        if (std::find(function.vars.begin(), function.vars.end(), &fixed) != function.vars.end()) continue;
        if (markSupportedValues(function, support, rowLength)) function.supportChecked = 1;
    }
}

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
