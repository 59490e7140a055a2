#include "product/trimming.hpp"

#include <algorithm>

#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "product/function_replacement.hpp"
#include "product/original_values.hpp"
#include "product/product_pool.hpp"

namespace pedlik {

namespace {

struct TrimmingScratch {
    int rowLength = 0;
    std::vector<int> newValueCounts;
    std::vector<int> possible;
    std::vector<int> support;
    std::vector<int> toRestrict;
};

// Sized once for the whole call: value counts and function widths only
// shrink while trimming.
TrimmingScratch allocateScratch(const Product& product) {
    TrimmingScratch scratch;
    int widest = 0;
    for (const Variable& variable : product.variables) {
        if (variable.inUse) scratch.rowLength = std::max(scratch.rowLength, variable.valueCount);
    }
    for (const Function& function : product.functions) {
        if (function.inUse) widest = std::max(widest, function.varCount());
    }
    const std::size_t rowLength = static_cast<std::size_t>(scratch.rowLength);
    allocateOrDie("structures used for value-elimination", [&] {
        scratch.newValueCounts.assign(product.variables.size(), 0);
        scratch.possible.assign(product.variables.size() * rowLength, 0);
        scratch.support.assign(static_cast<std::size_t>(widest) * rowLength, 0);
        scratch.toRestrict.assign(product.functions.size(), 0);
    });
    for (const Variable& variable : product.variables) {
        if (variable.inUse) scratch.newValueCounts[variableIndex(product, variable)] = variable.valueCount;
    }
    return scratch;
}

std::span<const int> possibleRow(const TrimmingScratch& scratch, int slot) {
    return std::span<const int>(scratch.possible).subspan(static_cast<std::size_t>(slot) * scratch.rowLength,
                                                          scratch.rowLength);
}

void startPass(const Product& product, TrimmingScratch& scratch) {
    for (const Variable& variable : product.variables) {
        if (!variable.inUse) continue;
        const std::size_t rowStart = static_cast<std::size_t>(variableIndex(product, variable)) * scratch.rowLength;
        std::fill_n(scratch.possible.begin() + rowStart, variable.valueCount, 1);
    }
    std::fill(scratch.toRestrict.begin(), scratch.toRestrict.end(), 0);
}

// Replaces every flagged function by its restriction. A replacement takes a
// slot that was free, whose flag is 0, so it is not restricted again in
// this pass. Returns the sum of the constants made.
double restrictFlaggedFunctions(Product& product, const TrimmingScratch& scratch) {
    double constants = 0.0;
    for (std::size_t slot = 0; slot < product.functions.size(); ++slot) {
        if (!scratch.toRestrict[slot]) continue;
        Function& old = product.functions[slot];
        double constant = 0.0;
        Function* restricted =
            restrictFunction(product, old, scratch.possible, scratch.rowLength, scratch.newValueCounts, constant);
        replaceFunction(product, old, restricted);
        if (restricted == nullptr) constants += constant;
    }
    return constants;
}

// Gives every live variable its new value count, releasing those left with
// one value (no function lists them any more: all were restricted). Returns
// 0 at the first variable left with none; the later ones keep their counts.
int applyNewValueCounts(Product& product, const TrimmingScratch& scratch, int& trimmedCount) {
    for (Variable& variable : product.variables) {
        if (!variable.inUse) continue;
        const int slot = variableIndex(product, variable);
        const int newCount = scratch.newValueCounts[slot];
        if (newCount > 0 && newCount < variable.valueCount) {
            keepPossibleOriginalValues(variable, possibleRow(scratch, slot));
        }
        variable.valueCount = newCount;
        if (newCount == 0) return 0;
        if (newCount == 1) {
            releaseSingleValueVariable(product, variable);
            ++trimmedCount;
        }
    }
    return 1;
}

}  // namespace

double trimValues(Product& product, int& failed, ProgressSink progress) {
    failed = 0;
    int trimmedCount = 0;
    int removedCount = 0;
    double constants = 0.0;
    TrimmingScratch scratch = allocateScratch(product);
    for (;;) {
        startPass(product, scratch);
        const int removed = findUnsupportedValues(product, scratch.possible, scratch.support, scratch.rowLength,
                                                  scratch.toRestrict, scratch.newValueCounts);
        if (removed == 0) break;
        removedCount += removed;
        constants += restrictFlaggedFunctions(product, scratch);
        if (!applyNewValueCounts(product, scratch, trimmedCount)) {
            failed = 1;
            break;
        }
    }
    progress.print("Eliminated %d values from the variables.\n", removedCount);
    progress.print("Trimmed %d variables.\n", trimmedCount);
    return constants;
}

double trimProducts(std::vector<std::unique_ptr<Product>>& products, const PedigreeList& pedigrees, int& failed,
                    ProgressSink progress) {
    failed = 0;
    double sum = 0.0;
    for (int k = 0; k < pedigrees.count; ++k) {
        const double trimmed = trimValues(*products[k], failed, progress);
        if (failed) return sum;
        sum += trimmed;
        runParameters.pedigreeLogLikelihoods[static_cast<size_t>(k)] += trimmed;
    }
    return sum;
}

}  // namespace pedlik
