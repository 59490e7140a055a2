#include "ordering/order_choice.hpp"

#include <cmath>

namespace pedlik {

namespace {

// `at(index)` gives the index-th variable of the scanned sequence, slots or
// candidates alike, so both scans keep one rule.
template <typename At>
CostChoice cheapestFrom(TempProd& tempProd, int length, int& position, At at) {
    CostChoice best;
    int chosenIndex = -1;
    for (int step = 0; step < length; ++step) {
        const int index = (position + step) % length;
        OrderVariable& candidate = at(index);
        double& cost = scanCostOf(tempProd, candidate);
        if (cost == notScanned) continue;
        if (cost == costUnknown) cost = orderCost(candidate);
        if (cost <= takeAtOnceCost) {
            best = {&candidate, cost};
            chosenIndex = index;
            break;
        }
        // Strictly below: of equal costs the first met stays.
        if (cost < best.cost) {
            best = {&candidate, cost};
            chosenIndex = index;
        }
    }
    if (best.variable != nullptr) position = (chosenIndex + 1) % length;
    return best;
}

template <typename At>
OrderVariable* mostCostlyOf(int length, At at) {
    OrderVariable* chosen = nullptr;
    double largest = 0.0;
    for (int index = 0; index < length; ++index) {
        OrderVariable& candidate = at(index);
        if (!candidate.inUse) continue;
        const double weight = orderCost(candidate) * std::sqrt(static_cast<double>(candidate.funcCount()));
        if (chosen == nullptr || weight > largest) {
            chosen = &candidate;
            largest = weight;
        }
    }
    return chosen;
}

}  // namespace

CostChoice chooseMinCost(TempProd& tempProd) {
    return cheapestFrom(tempProd, static_cast<int>(tempProd.variables.size()), tempProd.scanPosition,
                        [&](int index) -> OrderVariable& { return tempProd.variables[index]; });
}

CostChoice chooseMinCost(TempProd& tempProd, std::span<OrderVariable* const> candidates, int& listPosition) {
    return cheapestFrom(tempProd, static_cast<int>(candidates.size()), listPosition,
                        [&](int index) -> OrderVariable& { return *candidates[index]; });
}

OrderVariable* chooseConditioned(TempProd& tempProd) {
    return mostCostlyOf(static_cast<int>(tempProd.variables.size()),
                        [&](int index) -> OrderVariable& { return tempProd.variables[index]; });
}

OrderVariable* chooseConditioned(std::span<OrderVariable* const> candidates) {
    return mostCostlyOf(static_cast<int>(candidates.size()),
                        [&](int index) -> OrderVariable& { return *candidates[index]; });
}

}  // namespace pedlik
