#include "product/sum_out.hpp"

#include <algorithm>
#include <cmath>

#include "driver/allocation.hpp"
#include "product/function_index.hpp"
#include "product/neighbours.hpp"
#include "product/product_pool.hpp"
#include "product/table_walk.hpp"
#include "product/tables.hpp"
#include "product/variable_lists.hpp"

namespace pedlik {

namespace {

// The sum over the values of `variable` of the product of the functions'
// entries at base index tableIndex; a zero entry drops the term at once.
// Two values, the usual case of selectors and diallelic loci, are unrolled.
double sumOverValues(const Variable& variable, std::span<Function* const> functions) {
    const auto term = [functions](std::size_t value) {
        double product = 1.0;
        for (const Function* function : functions) {
            const double entry = function->probablist[value * function->stride +
                                                      static_cast<std::size_t>(function->tableIndex)];
            if (entry == 0.0) return 0.0;
            product *= entry;
        }
        return product;
    };
    if (variable.valueCount == 2) return 0.0 + term(0) + term(1);
    double sum = 0.0;
    for (int value = 0; value < variable.valueCount; ++value) sum += term(static_cast<std::size_t>(value));
    return sum;
}

}  // namespace

void sumProductSimple(Function& result, Variable& variable, std::span<Function* const> functions) {
    std::span<double> table = writableTable(result);
    resetDigits(result);
    for (Function* function : functions) strideOf(*function, variable);
    for (double& entry : table) {
        variable.currentValue = 0;
        for (Function* function : functions) digitIndex(*function);
        entry = sumOverValues(variable, functions);
        nextDigits(result);
    }
}

void sumProductIncremental(Function& result, Variable& variable, std::span<Function* const> functions) {
    std::span<double> table = writableTable(result);
    const std::vector<StepPair> steps = prepareStepping(result, &variable, functions);
    for (double& entry : table) {
        entry = sumOverValues(variable, functions);
        nextDigitsStepping(result, steps, functions);
    }
}

double sumOutConstant(const Variable& variable, double logScaleSum) {
    double sum = 0.0;
    for (int value = 0; value < variable.valueCount; ++value) {
        double term = 1.0;
        for (const Function* function : variable.funcs) {
            const double entry = function->probablist[static_cast<size_t>(value)];
            if (entry == 0.0) {
                term = 0.0;
                break;
            }
            term *= entry;
        }
        if (term != 0.0) sum += term;
    }
    return logScaleSum + std::log(sum);
}

int sumOutVariable(Product& product, Variable& variable, double& constant, const EliminationSettings& settings) {
    std::vector<Variable*> neighbours;
    allocateOrDie("varArr", [&] { neighbours.assign(static_cast<size_t>(product.variableCount), nullptr); });
    const Neighbourhood found = collectNeighbours(variable, neighbours);
    double logScaleSum = 0.0;
    int countdown = settings.rescaleCountdown;
    for (const Function* function : variable.funcs) {
        logScaleSum += function->logScale;
        countdown = std::min(countdown, function->rescaleCountdown);
    }
    SharedTable table = newTable(found.size, "Probability table");
    Function* result = nullptr;
    if (found.count > 0) {
        neighbours.resize(static_cast<size_t>(found.count));
        result = &addFunction(product, std::move(table), logScaleSum, 1, copyVarList(neighbours), countdown - 1);
        if (static_cast<double>(found.size) * variable.funcCount() >= settings.incrementalThreshold) {
            sumProductIncremental(*result, variable, variable.funcs);
        } else {
            sumProductSimple(*result, variable, variable.funcs);
        }
        if (result->rescaleCountdown <= 0) {
            rescale(*result);
            result->rescaleCountdown = settings.rescaleCountdown;
        }
    } else {
        constant = sumOutConstant(variable, logScaleSum);
    }
    const std::vector<Function*> replaced = variable.funcs;
    for (auto it = replaced.rbegin(); it != replaced.rend(); ++it) {
        for (Variable* listed : (*it)->vars) removeFunction(*listed, **it);
        releaseFunction(product, **it);
    }
    if (result != nullptr) {
        for (Variable* listed : result->vars) appendFunction(*listed, *result);
    }
    releaseVariable(product, variable);
    return result == nullptr ? 1 : 0;
}

}  // namespace pedlik
