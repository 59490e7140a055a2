#include "product/ignored_variables.hpp"

#include <algorithm>
#include <cstddef>

#include "product/fix_variable.hpp"
#include "product/function_replacement.hpp"
#include "product/table_walk.hpp"

namespace pedlik {

namespace {

// Whether the table's entries are the same for every value at `position`:
// each run of entries for one value equals the run for the first.
bool ignores(const Function& function, std::size_t position) {
    const std::size_t inner = valueStride(function, *function.vars[position]);
    const auto valueCount = static_cast<std::size_t>(function.vars[position]->valueCount);
    const std::size_t block = inner * valueCount;
    const std::span<const double> table = function.probablist;
    for (std::size_t start = 0; start < table.size(); start += block) {
        const auto first = table.begin() + static_cast<std::ptrdiff_t>(start);
        for (std::size_t value = 1; value < valueCount; ++value) {
            if (!std::equal(first, first + static_cast<std::ptrdiff_t>(inner),
                            first + static_cast<std::ptrdiff_t>(value * inner))) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

void dropIgnoredVariables(Product& product) {
    for (std::size_t slot = 0; slot < product.functions.size(); ++slot) {
        Function* function = &product.functions[slot];
        std::size_t position = 0;
        while (function->inUse && function->vars.size() > 1 && position < function->vars.size()) {
            Variable& variable = *function->vars[position];
            if (variable.valueCount < 2 || !ignores(*function, position)) {
                ++position;
                continue;
            }
            double constant = 0.0;
            Function* kept = fixValueInFunction(product, *function, variable, variable.valueCount, 0, constant);
            replaceFunction(product, *function, kept);
            function = kept;
        }
    }
}

}  // namespace pedlik
