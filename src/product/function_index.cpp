#include "product/function_index.hpp"

#include <algorithm>

#include "base/allocation.hpp"

namespace pedlik {

void buildFunctionIndex(Product& product) {
    for (Variable& variable : product.variables) {
        if (variable.inUse) variable.degree = 0;
    }
    for (const Function& function : product.functions) {
        if (!function.inUse) continue;
        for (Variable* variable : function.vars) ++variable->degree;
    }
    for (Variable& variable : product.variables) {
        if (!variable.inUse) continue;
        allocateOrDie("variable's function array", [&] {
            std::vector<Function*> funcs;
            funcs.reserve(variable.degree);
            variable.funcs = std::move(funcs);
        });
    }
    for (Function& function : product.functions) {
        if (!function.inUse) continue;
        for (Variable* variable : function.vars) variable->funcs.push_back(&function);
    }
}

void appendFunction(Variable& variable, Function& function) {
    allocateOrDie("variable's function array", [&] { variable.funcs.push_back(&function); });
}

void removeFunction(Variable& variable, const Function& function) {
    const auto found = std::find(variable.funcs.begin(), variable.funcs.end(), &function);
    if (found != variable.funcs.end()) variable.funcs.erase(found);
}

}  // namespace pedlik
