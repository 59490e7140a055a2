#include "product/sum_out.hpp"

#include <algorithm>
#include <cmath>

#include "base/allocation.hpp"
#include "product/function_index.hpp"
#include "product/neighbours.hpp"
#include "product/product_pool.hpp"
#include "product/table_walk.hpp"
#include "product/tables.hpp"
#include "product/variable_lists.hpp"

namespace pedlik {

namespace {

// One input table of a sum-out as the inner loop reads it: its entries, the
// stride of a single summed variable in it, and the position that matches
// the current digits of the result (with every summed variable at 0).
// Gathered once per sum-out so that the loop over the result's entries
// touches only this contiguous array.
struct InputCursor {
    const double* entries;
    std::ptrdiff_t stride;
    std::ptrdiff_t index;
};

// Reads the functions' stride and tableIndex.
std::vector<InputCursor> inputCursors(std::span<Function* const> functions) {
    std::vector<InputCursor> inputs;
    allocateOrDie("incDecArr", [&] { inputs.reserve(functions.size()); });
    for (const Function* function : functions) {
        inputs.push_back({function->probablist.data(), function->stride, function->tableIndex});
    }
    return inputs;
}

// The sum over the terms of one result entry of the product of the
// inputs' entries, each input taken in order at its cursor plus its offset
// for the term; a zero entry drops the term at once. Without inputs every
// term adds 1.
template <typename Offset>
double sumOfTerms(std::span<const InputCursor> inputs, std::size_t termCount, const Offset& offset) {
    double sum = 0.0;
    for (std::size_t term = 0; term < termCount; ++term) {
        double product = 1.0;
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            const double entry = inputs[k].entries[inputs[k].index + offset(term, k)];
            if (entry == 0.0) {
                product = 0.0;
                break;
            }
            product *= entry;
        }
        if (product != 0.0) sum += product;
    }
    return sum;
}

// Where the inputs read the terms of one result entry: for the z-th
// combination of the summed variables' values (the last one fastest),
// input k reads offsets[z * inputCount + k] past its cursor. An input that
// does not list a summed variable does not move with it.
struct SummedTerms {
    std::vector<std::ptrdiff_t> offsets;
    std::size_t combinations = 1;
};

SummedTerms summedTerms(std::span<Variable* const> summed, std::span<Function* const> functions) {
    const std::size_t inputCount = functions.size();
    std::vector<std::ptrdiff_t> strides;  // [k * summed.size() + j]
    allocateOrDie("incDecArr", [&] { strides.assign(inputCount * summed.size(), 0); });
    for (std::size_t k = 0; k < inputCount; ++k) {
        std::ptrdiff_t stride = 1;
        const std::vector<Variable*>& listed = functions[k]->vars;
        for (std::size_t position = listed.size(); position-- > 0;) {
            const auto found = std::find(summed.begin(), summed.end(), listed[position]);
            if (found != summed.end()) strides[k * summed.size() + static_cast<std::size_t>(found - summed.begin())] = stride;
            stride *= listed[position]->valueCount;
        }
    }
    SummedTerms terms;
    for (const Variable* variable : summed) terms.combinations *= static_cast<std::size_t>(std::max(variable->valueCount, 0));
    std::vector<int> digits;
    std::vector<std::ptrdiff_t> current;  // the offsets of the combination being written
    allocateOrDie("incDecArr", [&] {
        terms.offsets.resize(terms.combinations * inputCount);
        digits.assign(summed.size(), 0);
        current.assign(inputCount, 0);
    });
    for (std::size_t z = 0; z < terms.combinations; ++z) {
        std::copy(current.begin(), current.end(), terms.offsets.begin() + static_cast<std::ptrdiff_t>(z * inputCount));
        for (std::size_t j = summed.size(); j-- > 0;) {
            const bool wraps = ++digits[j] == summed[j]->valueCount;
            if (wraps) digits[j] = 0;
            for (std::size_t k = 0; k < inputCount; ++k) {
                const std::ptrdiff_t stride = strides[k * summed.size() + j];
                current[k] += wraps ? (1 - summed[j]->valueCount) * stride : stride;
            }
            if (!wraps) break;
        }
    }
    return terms;
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

namespace {

// The two walks over the result's entries; `sumTerms` gives an entry from
// the inputs' cursors.
template <typename SumTerms>
void walkSimple(Function& result, std::span<Variable* const> summed, std::span<Function* const> functions,
                const SumTerms& sumTerms) {
    std::span<double> table = writableTable(result);
    resetDigits(result);
    for (Variable* variable : summed) variable->currentValue = 0;
    std::vector<InputCursor> inputs = inputCursors(functions);
    for (double& entry : table) {
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            digitIndex(*functions[k]);
            inputs[k].index = functions[k]->tableIndex;
        }
        entry = sumTerms(inputs);
        nextDigits(result);
    }
}

template <typename SumTerms>
void walkIncremental(Function& result, std::span<Variable* const> summed, std::span<Function* const> functions,
                     const SumTerms& sumTerms) {
    std::span<double> table = writableTable(result);
    const std::size_t width = result.vars.size();
    const std::vector<StepPair> steps = prepareStepping(result, summed, functions);
    // The walk keeps its digits in a local array and moves the inputs'
    // indexes exactly as their tableIndex would move, back to 0 at the end.
    const DigitMoves moves = digitMoves(result, steps, functions.size());
    std::vector<InputCursor> inputs = inputCursors(functions);
    std::vector<int> digits;
    allocateOrDie("incDecArr", [&] { digits.resize(width); });
    for (double& entry : table) {
        entry = sumTerms(inputs);
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

// Runs `walk` with the cheapest way to sum the terms: along each input's
// stride for one summed variable (the common case, and elimination's only
// one), through a table of offsets for several.
template <typename Walk>
void sumWith(std::span<Variable* const> summed, std::span<Function* const> functions, const Walk& walk) {
    if (summed.size() == 1) {
        const Variable& variable = *summed.front();
        for (Function* function : functions) {
            // An input without the variable reads one entry for every value.
            const bool lists = std::find(function->vars.begin(), function->vars.end(), &variable) != function->vars.end();
            if (lists) strideOf(*function, variable);
            else function->stride = 0;
        }
        const auto termCount = static_cast<std::size_t>(std::max(variable.valueCount, 0));
        walk([&](std::span<const InputCursor> inputs) {
            return sumOfTerms(inputs, termCount, [&](std::size_t value, std::size_t k) {
                return static_cast<std::ptrdiff_t>(value) * inputs[k].stride;
            });
        });
    } else {
        const SummedTerms terms = summedTerms(summed, functions);
        walk([&](std::span<const InputCursor> inputs) {
            return sumOfTerms(inputs, terms.combinations, [&](std::size_t combination, std::size_t k) {
                return terms.offsets[combination * inputs.size() + k];
            });
        });
    }
}

}  // namespace

void sumProductSimple(Function& result, std::span<Variable* const> summed, std::span<Function* const> functions) {
    sumWith(summed, functions, [&](const auto& sumTerms) { walkSimple(result, summed, functions, sumTerms); });
}

void sumProductIncremental(Function& result, std::span<Variable* const> summed,
                           std::span<Function* const> functions) {
    sumWith(summed, functions, [&](const auto& sumTerms) { walkIncremental(result, summed, functions, sumTerms); });
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
