#include <cmath>
#include <limits>

#include "driver/allocation.hpp"
#include "product/product_pool.hpp"
#include "product/table_walk.hpp"
#include "product/tables.hpp"
#include "product/trimming.hpp"

namespace pedlik {

namespace {

bool allValuesPossible(const Product& product, const Function& function, std::span<const int> possible,
                       int rowLength) {
    for (const Variable* variable : function.vars) {
        const std::size_t slot = static_cast<std::size_t>(variableIndex(product, *variable));
        if (!possible[slot * rowLength + variable->currentValue]) return false;
    }
    return true;
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

    SharedTable table = newTable(newSize, "probability table");
    std::vector<Variable*> kept;
    if (keptCount > 0) {
        allocateOrDie("probability table's variable array", [&] { kept.reserve(keptCount); });
        for (Variable* variable : function.vars) {
            if (newValueCounts[variableIndex(product, *variable)] > 1) kept.push_back(variable);
        }
    }

    // The old digits run over the old numbering; the possible entries come
    // out in row-major order of the kept variables under the new numbering.
    std::size_t next = 0;
    resetDigits(function);
    for (const double entry : function.probablist) {
        if (allValuesPossible(product, function, possible, rowLength)) (*table)[next++] = entry;
        nextDigits(function);
    }

    if (keptCount == 0) {
        constant = std::log((*table)[0]) + function.logScale;
        return nullptr;
    }
    return &addFunction(product, std::move(table), function.logScale, 1, std::move(kept), function.rescaleCountdown);
}

}  // namespace pedlik
