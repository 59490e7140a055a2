#include "support/product_total.hpp"

#include <cmath>
#include <map>
#include <vector>

namespace pedlik::testing {

double logProductTotal(const Product& product) {
    std::vector<const Variable*> variables;
    for (const Variable& variable : product.variables) {
        if (variable.inUse) variables.push_back(&variable);
    }
    std::map<const Variable*, int> digit;
    for (const Variable* variable : variables) digit[variable] = 0;
    double logScale = 0.0;
    for (const Function& function : product.functions) {
        if (function.inUse) logScale += function.logScale;
    }
    double total = 0.0;
    while (true) {
        double term = 1.0;
        for (const Function& function : product.functions) {
            if (!function.inUse) continue;
            size_t index = 0;
            for (const Variable* variable : function.vars) {
                index = index * static_cast<size_t>(variable->valueCount) + static_cast<size_t>(digit[variable]);
            }
            term *= function.probablist[index];
        }
        total += term;
        size_t position = variables.size();
        while (position > 0) {
            const Variable* variable = variables[position - 1];
            if (++digit[variable] < variable->valueCount) break;
            digit[variable] = 0;
            --position;
        }
        if (position == 0) break;
    }
    return std::log(total) + logScale;
}

}  // namespace pedlik::testing
