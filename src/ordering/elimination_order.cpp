#include "ordering/elimination_order.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "ordering/order_choice.hpp"
#include "ordering/order_cost.hpp"
#include "ordering/order_search.hpp"

namespace pedlik {

namespace {

// Beyond any thread count the program accepts.
constexpr int maxConcurrentBranches = 1024;

void appendEntry(EliminationOrder& order, int conditioned, Node* node) { appendOrderEntry(order, {conditioned, node}); }

// Sums out the cheapest variable, or, when even that would build a table at
// or above the threshold and the limits allow conditioning, conditions on
// the variable `mostCostly` names.
template <typename MostCostly>
void takeStep(TempProd& tempProd, EliminationOrder& order, const CostChoice& cheapest, OrderLimits limits,
              MostCostly mostCostly) {
    if (!limits.conditioning || cheapest.cost < limits.conditionThreshold) {
        appendEntry(order, 0, cheapest.variable->node);
        sumOutTemp(tempProd, *cheapest.variable);
        return;
    }
    OrderVariable& conditioned = *mostCostly();
    appendEntry(order, 1, conditioned.node);
    conditionTemp(tempProd, conditioned);
}

}  // namespace

std::vector<EliminationOrder> makeEliminationOrders(std::vector<std::unique_ptr<Product>>& products,
                                                    const PedigreeList& pedigrees, int lociCount,
                                                    OrderLimits limits) {
    std::vector<EliminationOrder> orders;
    allocateOrDie("elimOrderArrs", [&] { orders.resize(pedigrees.count); });
    int index = 0;
    for (const Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++index) {
        makeEliminationOrder(*products[index], orders[index], *pedigree, lociCount, runParameters.isSexLinked,
                             limits);
    }
    return orders;
}

void releaseEliminationOrders(std::vector<EliminationOrder>& orders, int pedigreeCount) {
    const int count = std::min(pedigreeCount, static_cast<int>(orders.size()));
    for (int index = 0; index < count; ++index) orders[index].entries = {};
    orders = {};
}

int unitsFitting(double memoryEntries, double unitEntries) {
    const double fitting = std::floor(memoryEntries / std::max(1.0, unitEntries));
    return static_cast<int>(std::clamp(fitting, 1.0, static_cast<double>(maxConcurrentBranches)));
}

void makeEliminationOrder(const Product& product, EliminationOrder& order, const Pedigree& pedigree,
                          int lociCount, int sexLinked, OrderLimits limits) {
    OrderCost cost = makeGreedyOrder(product, order, pedigree, lociCount, sexLinked, limits);
    if (cost.multiplyAdds >= limits.searchFrom || neededEntries(cost, limits.boundsKeptTables()) > limits.memoryEntries) {
        cost = searchEliminationOrder(product, order, cost, limits);
        order.searched = true;
    }
    // Every branch solved at once holds its own tables: no more of them run
    // side by side than the memory holds.
    order.concurrentBranches = unitsFitting(limits.memoryEntries, cost.peakEntries);
    order.predictedMultiplyAdds = cost.multiplyAdds;
    order.predictedEntries = neededEntries(cost, limits.boundsKeptTables());
}

std::unique_ptr<TempProd> buildTrackedTempProd(const Product& product, const OrderLimits& limits) {
    std::unique_ptr<TempProd> tempProd = buildTempProd(product);
    tempProd->tracking.branchTrees = limits.keepsTables;
    tempProd->tracking.tablesKept = limits.boundsKeptTables();
    return tempProd;
}

OrderCost makeGreedyOrder(const Product& product, EliminationOrder& order, const Pedigree& pedigree,
                          int lociCount, int sexLinked, OrderLimits limits) {
    allocateOrDie("elimArr", [&] {
        order.entries = {};
        order.entries.reserve(product.variableCount);
    });
    std::unique_ptr<TempProd> tempProd = buildTrackedTempProd(product, limits);
    if (pedigree.personCount <= limits.locusGroupPersons) {
        locusGroupOrder(order, *tempProd, pedigree, lociCount, sexLinked, limits);
    }
    // Orders the whole product above the person limit; at or below it, only
    // what the locus groups did not take, which is nothing for a product
    // built from the pedigree's own nodes.
    greedyOrder(*tempProd, order, limits);
    const OrderCost cost = tempProd->tracking.cost;
    releaseTempProd(std::move(tempProd));
    return cost;
}

bool conditions(const EliminationOrder& order) {
    return std::any_of(order.entries.begin(), order.entries.end(), [](const OrderEntry& entry) { return entry.conditioned; });
}

void appendOrderEntry(EliminationOrder& order, OrderEntry entry) {
    allocateOrDie("elimArr", [&] { order.entries.push_back(entry); });
}

void appendVariablesWithoutFunctions(TempProd& tempProd, EliminationOrder& order) {
    for (OrderVariable& variable : tempProd.variables) {
        if (!variable.inUse) continue;
        appendEntry(order, 0, variable.node);
        sumOutTemp(tempProd, variable);
    }
}

void greedyOrder(TempProd& tempProd, EliminationOrder& order, OrderLimits limits) {
    while (tempProd.variableCount > 0) {
        const CostChoice cheapest = chooseMinCost(tempProd);
        if (cheapest.variable == nullptr) break;
        takeStep(tempProd, order, cheapest, limits, [&] { return chooseConditioned(tempProd); });
    }
    // No scan picks a variable without functions, yet the elimination walks
    // the order expecting an entry for every live variable.
    appendVariablesWithoutFunctions(tempProd, order);
}

void orderGroup(std::span<OrderVariable* const> candidates, EliminationOrder& order, TempProd& tempProd,
                OrderLimits limits) {
    int listPosition = 0;
    for (std::size_t step = 0; step < candidates.size(); ++step) {
        const CostChoice cheapest = chooseMinCost(tempProd, candidates, listPosition);
        // Candidates without functions are left for the final greedy pass.
        if (cheapest.variable == nullptr) return;
        takeStep(tempProd, order, cheapest, limits, [&] { return chooseConditioned(candidates); });
    }
}

}  // namespace pedlik
