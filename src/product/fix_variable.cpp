#include "product/fix_variable.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/allocation.hpp"
#include "product/function_replacement.hpp"
#include "product/original_values.hpp"
#include "product/product_pool.hpp"
#include "product/table_walk.hpp"
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
    copyValueSlice(function, variable, oldValueCount, value, *table);

    if (vars.empty()) {
        constant = std::log((*table)[0]) + function.logScale;
        return nullptr;
    }
    return &addFunction(product, std::move(table), function.logScale, 1, std::move(vars), function.rescaleCountdown);
}

}  // namespace pedlik
