#include <algorithm>

#include "base/allocation.hpp"
#include "product/product_pool.hpp"
#include "product/trimming.hpp"

namespace pedlik {

namespace {

// Sets support for every value that some non-zero entry of the function
// takes, and returns 1 when every value of every variable of the function
// is supported, 0 otherwise. A value of the last variable is supported when
// some row has it non-zero; a value of an earlier one when one of the blocks
// of entries that share it has a non-zero entry. Each value looks at its
// own entries alone and stops at the first non-zero one, so a value that no
// entry supports, the case that costs, is settled without walking the rest
// of the table.
int markSupportedValues(const Function& function, std::span<int> support, int rowLength) {
    const std::size_t varCount = function.vars.size();
    const auto stride = static_cast<std::size_t>(rowLength);
    for (std::size_t position = 0; position < varCount; ++position) {
        std::fill_n(support.begin() + static_cast<std::ptrdiff_t>(position * stride), function.vars[position]->valueCount, 0);
    }
    const std::span<const double> table = function.probablist;
    if (varCount == 0 || table.empty()) return 0;
    const auto nonZero = [](double entry) { return entry != 0.0; };
    int everything = 1;
    const std::size_t last = varCount - 1;
    const auto rowSize = static_cast<std::size_t>(function.vars[last]->valueCount);
    int* lastSupport = support.data() + last * stride;
    // The last variable's blocks are single entries: read one by one, not
    // as ranges of one.
    for (std::size_t value = 0; value < rowSize; ++value) {
        for (std::size_t at = value; !lastSupport[value] && at < table.size(); at += rowSize) {
            lastSupport[value] = nonZero(table[at]);
        }
        everything &= lastSupport[value];
    }
    std::size_t blockSize = rowSize;  // entries that share one value of the position
    for (std::size_t position = last; position-- > 0;) {
        const auto count = static_cast<std::size_t>(function.vars[position]->valueCount);
        int* seen = support.data() + position * stride;
        for (std::size_t value = 0; value < count; ++value) {
            for (std::size_t block = value * blockSize; !seen[value] && block < table.size(); block += count * blockSize) {
                const auto first = table.begin() + static_cast<std::ptrdiff_t>(block);
                seen[value] = std::any_of(first, first + static_cast<std::ptrdiff_t>(blockSize), nonZero);
            }
            everything &= seen[value];
        }
        blockSize *= count;
    }
    return everything;
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
