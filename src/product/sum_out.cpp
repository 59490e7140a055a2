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

// One input table of a sum-out as the inner loop reads it: its entries, the
// stride of the summed variable in it, and the position that matches the
// current digits of the result. Gathered once per sum-out so that the loop
// over the result's entries touches only this contiguous array.
struct InputCursor {
    const double* entries;
    std::ptrdiff_t stride;
    std::ptrdiff_t index;
};

// Reads the functions' stride (set by the caller) and tableIndex.
std::vector<InputCursor> inputCursors(std::span<Function* const> functions) {
    std::vector<InputCursor> inputs;
    allocateOrDie("incDecArr", [&] { inputs.reserve(functions.size()); });
    for (const Function* function : functions) {
        inputs.push_back({function->probablist.data(), function->stride, function->tableIndex});
    }
    return inputs;
}

// The sum over the values of the summed variable of the product of its
// functions' entries, each function taken in funcs order from its cursor;
// a zero entry drops the term at once. A variable without functions adds 1
// per value.
double sumOverValues(std::span<const InputCursor> inputs, int valueCount) {
    double sum = 0.0;
    for (std::ptrdiff_t value = 0; value < valueCount; ++value) {
        double term = 1.0;
        for (const InputCursor& input : inputs) {
            const double entry = input.entries[value * input.stride + input.index];
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

// The incremental walk's index moves by digit position of the result: only
// the inputs that list the digit's variable, with their step pairs (the
// other inputs' pairs are 0). A step of the odometer then reads contiguous
// memory and skips the inputs it would not move.
struct IndexMove {
    std::size_t input;
    StepPair pair;
};

struct DigitMoves {
    std::vector<IndexMove> moves;
    std::vector<std::size_t> firstMove;  // position p moves moves[firstMove[p]] .. moves[firstMove[p + 1] - 1]
    std::vector<int> lastValues;         // the largest value of each digit
};

// `steps` holds one row of step pairs per input, one pair per result position.
DigitMoves digitMoves(const Function& result, std::span<const StepPair> steps, std::size_t inputCount) {
    const std::size_t width = result.vars.size();
    DigitMoves digits;
    allocateOrDie("incDecArr", [&] {
        digits.moves.reserve(inputCount * width);
        digits.firstMove.resize(width + 1);
        digits.lastValues.resize(width);
    });
    for (std::size_t position = 0; position < width; ++position) {
        digits.firstMove[position] = digits.moves.size();
        digits.lastValues[position] = result.vars[position]->valueCount - 1;
        for (std::size_t k = 0; k < inputCount; ++k) {
            const StepPair& pair = steps[k * width + position];
            if (pair.step != 0) digits.moves.push_back({k, pair});
        }
    }
    digits.firstMove[width] = digits.moves.size();
    return digits;
}

}  // namespace

void sumProductSimple(Function& result, Variable& variable, std::span<Function* const> functions) {
    std::span<double> table = writableTable(result);
    resetDigits(result);
    for (Function* function : functions) strideOf(*function, variable);
    std::vector<InputCursor> inputs = inputCursors(functions);
    for (double& entry : table) {
        variable.currentValue = 0;
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            digitIndex(*functions[k]);
            inputs[k].index = functions[k]->tableIndex;
        }
        entry = sumOverValues(inputs, variable.valueCount);
        nextDigits(result);
    }
}

void sumProductIncremental(Function& result, Variable& variable, std::span<Function* const> functions) {
    std::span<double> table = writableTable(result);
    const std::size_t width = result.vars.size();
    const std::size_t functionCount = functions.size();
    std::vector<StepPair> steps;
    allocateOrDie("incDecArr", [&] { steps.assign(functionCount * width, StepPair{}); });
    // Tag each result variable with its position, for fillStepPairs.
    for (std::size_t position = 0; position < width; ++position) {
        result.vars[position]->currentValue = static_cast<int>(position);
    }
    for (std::size_t k = 0; k < functionCount; ++k) {
        Function& function = *functions[k];
        fillStepPairs(function, variable, std::span<StepPair>(steps).subspan(k * width, width));
        function.tableIndex = 0;
    }
    resetDigits(result);

    // The walk keeps its digits in a local array and moves the inputs'
    // indexes exactly as their tableIndex would move, back to 0 at the end.
    const DigitMoves moves = digitMoves(result, steps, functionCount);
    std::vector<InputCursor> inputs = inputCursors(functions);
    std::vector<int> digits;
    allocateOrDie("incDecArr", [&] { digits.resize(width); });
    for (double& entry : table) {
        entry = sumOverValues(inputs, variable.valueCount);
        for (std::size_t position = width; position-- > 0;) {
            const IndexMove* begin = moves.moves.data() + moves.firstMove[position];
            const IndexMove* end = moves.moves.data() + moves.firstMove[position + 1];
            if (digits[position] < moves.lastValues[position]) {
                ++digits[position];
                for (const IndexMove* move = begin; move != end; ++move) inputs[move->input].index += move->pair.step;
                break;
            }
            digits[position] = 0;
            for (const IndexMove* move = begin; move != end; ++move) inputs[move->input].index += move->pair.wrap;
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
