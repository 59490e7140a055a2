#include "product/original_values.hpp"

#include <numeric>

#include "base/allocation.hpp"
#include "product/product_pool.hpp"

namespace pedlik {

int originalValue(const Variable& variable, int value) {
    return variable.originalValues.empty() ? value : variable.originalValues[value];
}

void keepPossibleOriginalValues(Variable& variable, std::span<const int> possibleRow) {
    std::vector<int>& originals = variable.originalValues;
    if (originals.empty()) {
        allocateOrDie("originalValues", [&] { originals.resize(variable.valueCount); });
        std::iota(originals.begin(), originals.end(), 0);
    }
    // Values only ever move down, so one forward pass renumbers in place.
    int kept = 0;
    for (int value = 0; value < variable.valueCount; ++value) {
        if (possibleRow[value]) originals[kept++] = originals[value];
    }
    originals.resize(kept);
}

void keepOriginalValue(Variable& variable, int value) {
    const int original = originalValue(variable, value);
    allocateOrDie("originalValues", [&] { variable.originalValues.assign(1, original); });
}

void releaseSingleValueVariable(Product& product, Variable& variable) {
    if (variable.node != nullptr && variable.copiedFrom == nullptr) {
        variable.node->survivingValue = originalValue(variable, 0);
    }
    releaseVariable(product, variable);
}

}  // namespace pedlik
