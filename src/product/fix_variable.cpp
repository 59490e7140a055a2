#include "product/fix_variable.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/allocation.hpp"
#include "product/function_replacement.hpp"
#include "product/original_values.hpp"
#include "product/product_pool.hpp"
#include "product/tables.hpp"
#include "product/variable_lists.hpp"

namespace pedlik {

double fixVariable(Product& product, Variable& variable, int value) {
    // Replacing a function takes it out of the variable's own funcs, so walk
    // a copy of the list.
    const std::vector<Function*> functions =
        allocateOrDie("reducedFunctions array", [&] { return std::vector<Function*>(variable.funcs); });
    const int oldValueCount = variable.valueCount;
    keepOriginalValue(variable, value);
    variable.valueCount = 1;

    double constants = 0.0;
    for (Function* function : functions) {
        double constant = 0.0;
        Function* fixed = fixValueInFunction(product, *function, variable, oldValueCount, value, constant);
        replaceFunction(product, *function, fixed);
        if (fixed == nullptr) constants += constant;
    }
    releaseSingleValueVariable(product, variable);
    return constants;
}

Function* fixValueInFunction(Product& product, const Function& function, const Variable& variable,
                             int oldValueCount, int value, double& constant) {
    std::vector<Variable*> vars;
    if (function.varCount() > 1) vars = newVarList(function.vars, &variable);
    const std::size_t newSize = function.tableSize() / static_cast<std::size_t>(oldValueCount);
    SharedTable table = newUnfilledTable(newSize, "probability table");

    // Entries with the variable at `value` come in runs of `inner` (one per
    // combination of the variables after it), one run per combination of
    // the variables before it, `inner * oldValueCount` apart.
    std::size_t inner = 1;
    for (auto listed = function.vars.rbegin(); *listed != &variable; ++listed) {
        inner *= static_cast<std::size_t>((*listed)->valueCount);
    }
    const std::size_t outer = newSize / inner;
    const std::size_t runDistance = inner * static_cast<std::size_t>(oldValueCount);
    const double* source = function.probablist.data() + static_cast<std::size_t>(value) * inner;
    if (inner == 1) {
        // The variable is the function's last: runs of one entry, gathered
        // without a call per entry.
        for (std::size_t run = 0; run < outer; ++run) (*table)[run] = source[run * runDistance];
    } else {
        for (std::size_t run = 0; run < outer; ++run) {
            std::copy_n(source + run * runDistance, inner, table->begin() + static_cast<std::ptrdiff_t>(run * inner));
        }
    }

    if (vars.empty()) {
        constant = std::log((*table)[0]) + function.logScale;
        return nullptr;
    }
    return &addFunction(product, std::move(table), function.logScale, 1, std::move(vars), function.rescaleCountdown);
}

}  // namespace pedlik
