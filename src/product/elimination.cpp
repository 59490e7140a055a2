#include "product/elimination.hpp"

#include <algorithm>
#include <cmath>

#include "base/allocation.hpp"
#include "product/fix_variable.hpp"
#include "product/ignored_variables.hpp"
#include "product/neighbours.hpp"
#include "product/product_copy.hpp"
#include "product/sum_out.hpp"
#include "product/trimming.hpp"

namespace pedlik {

FixedBranch fixedBranch(const Product& product, const Variable& variable, std::span<Variable* const> entryVariables,
                        int firstEntry, int value, ProgressSink progress) {
    FixedBranch branch{copyProduct(product, variable, entryVariables, firstEntry)};
    int failed = 0;
    branch.constant = fixVariable(*branch.copy.product, *branch.copy.variable, value);
    branch.constant += trimValues(*branch.copy.product, failed, progress);
    // A table that fixing or trimming cut down to a single 0.0 entry makes
    // the branch impossible as surely as a variable without values.
    branch.possible = failed != 1 && !std::isinf(branch.constant);
    return branch;
}

double solveBranch(const Product& product, const Variable& variable, const OrderWalk& walk, int value, float share,
                   float base, const EliminationRun& run, ProgressSink progress) {
    FixedBranch branch = fixedBranch(product, variable, walk.variables, walk.cursor, value, progress);
    if (!branch.possible) return impossibleLogLikelihood;
    OrderWalk branchWalk{walk.order, walk.cursor, std::move(branch.copy.entryVariables)};
    return branch.constant + eliminateAll(*branch.copy.product, branchWalk, share, base, run, progress);
}

OrderWalk startWalk(const EliminationOrder& order) {
    OrderWalk walk{&order, 0, {}};
    allocateOrDie("elimArr", [&] { walk.variables.reserve(order.entries.size()); });
    for (const OrderEntry& entry : order.entries) walk.variables.push_back(entry.node->variable);
    return walk;
}

OrderWalk startElimination(Product& product, const EliminationOrder& order) {
    if (order.searched) dropIgnoredVariables(product);
    return startWalk(order);
}

Variable& nextOrderVariable(OrderWalk& walk, int& conditioned, const EliminationSettings& settings) {
    while (true) {
        const int entry = walk.cursor++;
        Variable* variable = walk.variables[static_cast<size_t>(entry)];
        if (variable == nullptr || variable->inUse == 0) continue;
        const OrderEntry& marked = walk.order->entries[static_cast<size_t>(entry)];
        const double threshold = std::min(settings.conditioningThreshold, marked.conditionFrom);
        conditioned = marked.conditioned == 1 && neighbourhoodSize(*variable) >= threshold ? 1 : 0;
        return *variable;
    }
}

double eliminateUntilConditioned(Product& product, OrderWalk& walk, const EliminationRun& run, ProgressSink progress,
                                 const Variable*& conditionedOn) {
    double result = 0.0;
    conditionedOn = nullptr;
    while (product.variableCount > 0) {
        int conditioned = 0;
        Variable& variable = nextOrderVariable(walk, conditioned, run.settings);
        if (conditioned == 1) {
            conditionedOn = &variable;
            return result;
        }
        double constant = 0.0;
        WorkQueue* shares = run.settings.threads > 1 ? &run.queue : nullptr;
        if (sumOutVariable(product, variable, constant, run.settings, shares) == 1) result += constant;
        progress.print("+");
    }
    return result;
}

double eliminateAll(Product& product, OrderWalk& walk, float share, float base, const EliminationRun& run,
                    ProgressSink progress) {
    const Variable* conditioned = nullptr;
    const double result = eliminateUntilConditioned(product, walk, run, progress, conditioned);
    if (conditioned != nullptr) {
        markWhollySupported(product, *conditioned);
        return conditionedTotal(conditionOn(product, *conditioned, walk, share, base, run, progress), result);
    }
    progress.print("Solved %f precent of the problem.\n", static_cast<double>((share + base) * 100.0f));
    return result;
}

double conditionedTotal(double branchesCombined, double beforeConditioning) { return branchesCombined + beforeConditioning; }

double conditionOn(const Product& product, const Variable& variable, const OrderWalk& walk, float share, float base,
                   const EliminationRun& run, ProgressSink progress) {
    const int valueCount = variable.valueCount;
    std::vector<double> results;
    std::vector<float> bases;
    allocateOrDie("resArr", [&] {
        results.assign(static_cast<size_t>(valueCount), impossibleLogLikelihood);
        bases.resize(static_cast<size_t>(valueCount));
    });
    // The progress lines' float shares, summed in value order as if the
    // branches ran one after the other.
    const float subShare = share / static_cast<float>(valueCount);
    float subBase = base;
    for (float& branchBase : bases) {
        branchBase = subBase;
        subBase += subShare;
    }
    OrderedProgress texts(progress, valueCount);
    run.queue.runUnits(valueCount, run.branchWidth, [&](int value) {
        const size_t at = static_cast<size_t>(value);
        results[at] = solveBranch(product, variable, walk, value, subShare, bases[at], run, texts.start(value));
        texts.finish(value);
    });
    return combineBranches(results);
}

double combineBranches(const std::vector<double>& results) {
    // A value whose copy gave exactly 0.0 (a sub-likelihood of 1) is as good
    // a pivot as any other.
    double best = impossibleLogLikelihood;
    for (double result : results) {
        if (result > best) best = result;
    }
    if (best == impossibleLogLikelihood) return impossibleLogLikelihood;
    double sum = 0.0;
    for (double result : results) {
        if (result != impossibleLogLikelihood) sum += std::exp(result - best);
    }
    return best + std::log(sum);
}

}  // namespace pedlik
