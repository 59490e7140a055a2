#include <cmath>
#include <limits>

#include "base/allocation.hpp"
#include "product/product_pool.hpp"
#include "product/tables.hpp"
#include "product/trimming.hpp"

namespace pedlik {

namespace {

// For every variable of the function, the old-table offsets (value x stride)
// of its still-possible values, in increasing value order: the values of
// position p are offsets[first[p]] .. offsets[first[p + 1] - 1].
struct PossibleOffsets {
    std::vector<std::ptrdiff_t> offsets;
    std::vector<std::size_t> first;
};

PossibleOffsets possibleOffsets(const Product& product, const Function& function, std::span<const int> possible,
                                int rowLength) {
    const std::size_t width = function.vars.size();
    PossibleOffsets found;
    std::vector<std::ptrdiff_t> strides;
    std::size_t valueTotal = 0;
    for (const Variable* variable : function.vars) valueTotal += static_cast<std::size_t>(variable->valueCount);
    allocateOrDie("structures used for value-elimination", [&] {
        found.offsets.reserve(valueTotal);
        found.first.resize(width + 1);
        strides.resize(width);
    });
    std::ptrdiff_t stride = 1;
    for (std::size_t position = width; position-- > 0;) {
        strides[position] = stride;
        stride *= function.vars[position]->valueCount;
    }
    for (std::size_t position = 0; position < width; ++position) {
        const Variable& variable = *function.vars[position];
        const std::size_t row = static_cast<std::size_t>(variableIndex(product, variable)) * rowLength;
        found.first[position] = found.offsets.size();
        for (int value = 0; value < variable.valueCount; ++value) {
            if (possible[row + value]) found.offsets.push_back(value * strides[position]);
        }
    }
    found.first[width] = found.offsets.size();
    return found;
}

}  // namespace

Function* restrictFunction(Product& product, const Function& function, std::span<const int> possible, int rowLength,
                           std::span<const int> newValueCounts, double& constant) {
    std::size_t newSize = 1;
    int keptCount = 0;
    for (const Variable* variable : function.vars) {
        const int newCount = newValueCounts[variableIndex(product, *variable)];
        newSize *= static_cast<std::size_t>(newCount);
        if (newCount > 1) ++keptCount;
    }
    if (newSize == 0) {
        // A variable lost every value: no combination is possible.
        constant = -std::numeric_limits<double>::infinity();
        return nullptr;
    }

    // Every entry is written below.
    SharedTable table = newUnfilledTable(newSize, "probability table");
    std::vector<Variable*> kept;
    if (keptCount > 0) {
        allocateOrDie("probability table's variable array", [&] { kept.reserve(keptCount); });
        for (Variable* variable : function.vars) {
            if (newValueCounts[variableIndex(product, *variable)] > 1) kept.push_back(variable);
        }
    }

    // Only the combinations of still-possible values are visited, in the
    // old table's order: they are the entries the old walk keeps, and come
    // out in row-major order of the kept variables under the new numbering.
    // Each position's count of possible values is its new value count, so
    // there are newSize of them.
    const PossibleOffsets values = possibleOffsets(product, function, possible, rowLength);
    const std::size_t width = function.vars.size();
    if (width == 0) {
        (*table)[0] = function.probablist[0];
    } else {
        // Row by row of the last variable's possible values, the earlier
        // positions stepped as an odometer once per row.
        const std::size_t last = width - 1;
        const std::ptrdiff_t* lastOffsets = values.offsets.data() + values.first[last];
        const std::size_t rowSize = values.first[width] - values.first[last];
        std::vector<std::size_t> digits;
        allocateOrDie("structures used for value-elimination", [&] { digits.resize(last); });
        std::ptrdiff_t rowStart = 0;
        for (std::size_t position = 0; position < last; ++position) rowStart += values.offsets[values.first[position]];
        for (std::size_t next = 0; next < newSize; next += rowSize) {
            const double* row = function.probablist.data() + rowStart;
            for (std::size_t k = 0; k < rowSize; ++k) (*table)[next + k] = row[lastOffsets[k]];
            for (std::size_t position = last; position-- > 0;) {
                const std::ptrdiff_t* offsets = values.offsets.data() + values.first[position];
                const std::size_t count = values.first[position + 1] - values.first[position];
                rowStart -= offsets[digits[position]];
                if (++digits[position] < count) {
                    rowStart += offsets[digits[position]];
                    break;
                }
                digits[position] = 0;
                rowStart += offsets[0];
            }
        }
    }

    if (keptCount == 0) {
        constant = std::log((*table)[0]) + function.logScale;
        return nullptr;
    }
    return &addFunction(product, std::move(table), function.logScale, 1, std::move(kept), function.rescaleCountdown);
}

}  // namespace pedlik
