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

// The sum over the values of `variable` of the product of its functions'
// entries at base index tableIndex; a zero entry drops the term at once.
double sumOverValues(const Variable& variable) {
    double sum = 0.0;
    for (int value = 0; value < variable.valueCount; ++value) {
        double term = 1.0;
        for (const Function* function : variable.funcs) {
            const double entry = function->probablist[static_cast<size_t>(value) * function->stride +
                                                      static_cast<size_t>(function->tableIndex)];
            if (entry == 0.0) {
                term = 0.0;
                break;
            }
            term *= entry;
        }
        if (term != 0.0) sum += term;
    }
    return sum;
}

}  // namespace

void sumProductSimple(Function& result, Variable& variable) {
    std::span<double> table = writableTable(result);
    resetDigits(result);
    for (Function* function : variable.funcs) strideOf(*function, variable);
    for (double& entry : table) {
        variable.currentValue = 0;
        for (Function* function : variable.funcs) digitIndex(*function);
        entry = sumOverValues(variable);
        nextDigits(result);
    }
}

void sumProductIncremental(Function& result, Variable& variable) {
    std::span<double> table = writableTable(result);
    const size_t width = result.vars.size();
    const size_t functionCount = variable.funcs.size();
    std::vector<StepPair> steps;
    allocateOrDie("incDecArr", [&] { steps.assign(functionCount * width, StepPair{}); });
    // Tag each result variable with its position, for fillStepPairs.
    for (size_t position = 0; position < width; ++position) result.vars[position]->currentValue = static_cast<int>(position);
    for (size_t k = 0; k < functionCount; ++k) {
        Function& function = *variable.funcs[k];
        fillStepPairs(function, variable, std::span<StepPair>(steps).subspan(k * width, width));
        function.tableIndex = 0;
    }
    resetDigits(result);
    for (double& entry : table) {
        entry = sumOverValues(variable);
        for (size_t position = width; position-- > 0;) {
            Variable& digit = *result.vars[position];
            const bool carries = digit.currentValue == digit.valueCount - 1;
            digit.currentValue = carries ? 0 : digit.currentValue + 1;
            for (size_t k = 0; k < functionCount; ++k) {
                const StepPair& pair = steps[k * width + position];
                variable.funcs[k]->tableIndex += carries ? pair.wrap : pair.step;
            }
            if (!carries) break;
        }
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
            sumProductIncremental(*result, variable);
        } else {
            sumProductSimple(*result, variable);
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
