#include "product/elimination.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/allocation.hpp"
#include "product/fix_variable.hpp"
#include "product/neighbours.hpp"
#include "product/product_copy.hpp"
#include "product/product_pool.hpp"
#include "product/sum_out.hpp"
#include "product/trimming.hpp"

namespace pedlik {

Variable& nextOrderVariable(EliminationOrder& order, int& conditioned,
                            const EliminationSettings& settings) {
    while (true) {
        const OrderEntry& entry = order.entries[static_cast<size_t>(order.cursor++)];
        Variable* variable = entry.node->variable;
        if (variable == nullptr || variable->inUse == 0) continue;
        const double threshold = std::min(settings.conditioningThreshold, entry.conditionFrom);
        conditioned = entry.conditioned == 1 && neighbourhoodSize(*variable) >= threshold ? 1 : 0;
        return *variable;
    }
}

double eliminateAll(Product& product, EliminationOrder& order, float share, float base,
                    const EliminationSettings& settings) {
    double result = 0.0;
    while (product.variableCount > 0) {
        int conditioned = 0;
        Variable& variable = nextOrderVariable(order, conditioned, settings);
        if (conditioned == 1) return conditionOn(product, variable, order, share, base, settings) + result;
        double constant = 0.0;
        if (sumOutVariable(product, variable, constant, settings) == 1) result += constant;
        std::printf("+");
    }
    std::printf("Solved %f precent of the problem.\n", static_cast<double>((share + base) * 100.0f));
    return result;
}

double conditionOn(Product& product, Variable& variable, EliminationOrder& order, float share, float base,
                   const EliminationSettings& settings) {
    const int valueCount = variable.valueCount;
    std::vector<double> results;
    allocateOrDie("resArr", [&] { results.assign(static_cast<size_t>(valueCount), impossibleLogLikelihood); });
    const int firstEntry = order.cursor;
    std::vector<NodeRedirect> redirects;
    allocateOrDie("isTransformedArr",
                  [&] { redirects.assign(static_cast<size_t>(order.entryCount() - firstEntry), NodeRedirect{}); });
    const float subShare = share / static_cast<float>(valueCount);
    float subBase = base;
    double best = impossibleLogLikelihood;
    for (int value = 0; value < valueCount; ++value) {
        ProductCopy copy = copyProduct(product, variable, order, redirects);
        int failed = 0;
        double result = fixVariable(*copy.product, *copy.variable, value);
        result += trimValues(*copy.product, failed);
        if (failed == 1) {
            result = impossibleLogLikelihood;
        } else {
            result += eliminateAll(*copy.product, order, subShare, subBase, settings);
            // A value whose copy gave exactly 0.0 (a sub-likelihood of 1)
            // is as good a pivot as any other.
            if (result > best) best = result;
        }
        results[static_cast<size_t>(value)] = result;
        releaseProduct(std::move(copy.product));
        order.cursor = firstEntry;
        restoreRedirectedNodes(order, firstEntry, redirects);
        subBase += subShare;
    }
    if (best == impossibleLogLikelihood) return impossibleLogLikelihood;
    double sum = 0.0;
    for (double result : results) {
        if (result != impossibleLogLikelihood) sum += std::exp(result - best);
    }
    return best + std::log(sum);
}

}  // namespace pedlik
