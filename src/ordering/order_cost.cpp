#include "ordering/order_cost.hpp"

#include <algorithm>

#include "product/neighbour_scan.hpp"

namespace pedlik {

namespace {

constexpr double freshEntryMultiplyAdds = 8.0;

// A bucket tree keeps each table a sum-out makes twice over: as the
// message sent towards the root and as the one sent back.
constexpr double keptPerTableEntry = 2.0;

double entriesOf(const OrderFunction& function) {
    double entries = 1.0;
    for (const OrderVariable* listed : function.vars) entries *= listed->valueCount;
    return entries;
}

}  // namespace

double neededEntries(const OrderCost& cost, bool conditioning) {
    return conditioning ? cost.peakEntries : cost.keptEntries;
}

CostTracking startTracking(TempProd& tempProd) {
    CostTracking tracking;
    for (OrderFunction& function : tempProd.functions) {
        if (!function.inUse) continue;
        function.inherited = 0;
        tracking.productEntries += entriesOf(function);
    }
    tracking.ownedEntries = tracking.productEntries;
    tracking.cost.peakEntries = tracking.productEntries;
    tracking.cost.keptEntries = tracking.productEntries;
    return tracking;
}

double sumOutEntries(OrderVariable& variable) {
    double entries = 1.0;
    forEachNeighbour(variable, [&](const OrderVariable& neighbour) { entries *= neighbour.valueCount; });
    return entries;
}

void trackSumOut(CostTracking& tracking, OrderVariable& variable) {
    const double made = sumOutEntries(variable);
    // A fresh table also costs its allocation and first touch, which on
    // large tables takes as long as several multiply-adds per entry.
    tracking.cost.multiplyAdds +=
        tracking.branches * made * (variable.valueCount * variable.funcCount() + freshEntryMultiplyAdds);
    // The new table is filled while the tables it reads are still alive.
    tracking.cost.peakEntries =
        std::max(tracking.cost.peakEntries, tracking.heldEntries + tracking.ownedEntries + made);
    for (const OrderFunction* function : variable.funcs) {
        const double entries = entriesOf(*function);
        tracking.productEntries -= entries;
        if (!function->inherited) tracking.ownedEntries -= entries;
    }
    // A variable without neighbours leaves a constant, not a table.
    if (made > 1.0) {
        tracking.productEntries += made;
        tracking.ownedEntries += made;
        tracking.cost.keptEntries += keptPerTableEntry * made;
    }
}

void trackCondition(CostTracking& tracking, TempProd& tempProd, OrderVariable& variable) {
    // Every branch copies the product and walks its tables to fix and trim.
    tracking.cost.multiplyAdds += tracking.branches * variable.valueCount * tracking.productEntries;
    tracking.heldEntries += tracking.ownedEntries;
    tracking.branches *= variable.valueCount;
    for (OrderFunction& function : tempProd.functions) function.inherited = 1;
    // Fixing the value gives each of the variable's tables a smaller copy
    // that the branch owns.
    tracking.ownedEntries = 0.0;
    for (OrderFunction* function : variable.funcs) {
        const double entries = entriesOf(*function);
        tracking.productEntries -= entries - entries / variable.valueCount;
        tracking.ownedEntries += entries / variable.valueCount;
        function->inherited = 0;
    }
    tracking.cost.peakEntries =
        std::max(tracking.cost.peakEntries, tracking.heldEntries + tracking.ownedEntries);
}

}  // namespace pedlik
