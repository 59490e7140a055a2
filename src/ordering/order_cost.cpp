#include "ordering/order_cost.hpp"

#include <algorithm>
#include <vector>

#include "base/allocation.hpp"

#include "product/neighbour_scan.hpp"

namespace pedlik {

namespace {

// What making a table costs per entry besides its sums: its first writes.
// An elimination writes into memory the heap reuses: orders searched with 3
// instead of 8 made six of nine bench cases faster over eight seeds, two
// even, and one a tenth slower (whose time varies fourfold from seed to
// seed); 1 was no better than 3. A bucket tree keeps every table, so each is
// memory faulted in and zeroed for the first time: its orders made with 3
// ran a third slower on the 47-person six-locus case than with 8.
constexpr double reusedEntryMultiplyAdds = 3.0;
constexpr double keptEntryMultiplyAdds = 8.0;

// A bucket tree keeps each table a sum-out makes twice over: as the
// message sent towards the root and as the one sent back.
constexpr double keptPerTableEntry = 2.0;

double entriesOf(const OrderFunction& function) {
    double entries = 1.0;
    for (const OrderVariable* listed : function.vars) entries *= listed->valueCount;
    return entries;
}

}  // namespace

double trimmedValueCount(const OrderVariable& variable, const ConditioningProbe& probe) {
    // Each probe fixes one variable of the untouched product. Under nested
    // conditioning the branches' trimming overlaps: the share of one probe
    // is taken of the source's count and the smallest count kept, since
    // multiplying the shares would count the same lost values twice.
    return std::max(1.0, std::min(variable.valueCount, variable.sourceCount * probe.keptShares[variable.sourceSlot]));
}

double neededEntries(const OrderCost& cost, bool keepsTables) {
    return keepsTables ? cost.keptEntries : cost.peakEntries;
}

double keptWith(const CostTracking& tracking, double made) {
    return tracking.cost.keptEntries + keptPerTableEntry * made;
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

// A sum-out whose tables pass the processor's cache waits on memory: on the
// bench's machine (32 MiB of shared cache) a multiply-add over tables of
// 32 MiB took about twice as long as over tables of 16 MiB or less, over
// 64 MiB four times. Counting from 8 MiB instead made the 20-marker bench
// case twice as slow.
constexpr double cachedEntries = 1 << 21;
constexpr double slowestFactor = 4.0;

double memoryFactor(const OrderVariable& variable, double made) {
    double largest = made;
    for (const OrderFunction* function : variable.funcs) largest = std::max(largest, entriesOf(*function));
    return std::clamp(largest / cachedEntries, 1.0, slowestFactor);
}

void trackSumOut(CostTracking& tracking, OrderVariable& variable) {
    const double made = sumOutEntries(variable);
    // A fresh table also costs its first touch.
    const double fresh = tracking.tablesKept ? keptEntryMultiplyAdds : reusedEntryMultiplyAdds;
    tracking.cost.multiplyAdds += tracking.branches * made * memoryFactor(variable, made) *
                                  (variable.valueCount * variable.funcCount() + fresh);
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

void trackCondition(CostTracking& tracking, TempProd& tempProd, OrderVariable& variable, double liveShare) {
    // Every branch copies the product and walks its tables to fix and trim.
    tracking.cost.multiplyAdds += tracking.branches * variable.valueCount * tracking.productEntries;
    tracking.heldEntries += tracking.ownedEntries;
    tracking.branches *= variable.valueCount * liveShare;
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

void trimTemp(TempProd& tempProd, const ConditioningProbe& probe) {
    CostTracking& tracking = tempProd.tracking;
    std::vector<double> before;
    allocateOrDie("tempProd->functions", [&] { before.assign(tempProd.functions.size(), 0.0); });
    for (std::size_t slot = 0; slot < tempProd.functions.size(); ++slot) {
        if (tempProd.functions[slot].inUse) before[slot] = entriesOf(tempProd.functions[slot]);
    }
    for (OrderVariable& variable : tempProd.variables) {
        if (!variable.inUse) continue;
        variable.valueCount = trimmedValueCount(variable, probe);
        costChanged(tempProd, variable);
    }
    // Trimming replaces a table that loses entries by a smaller one of the
    // branch's own.
    for (std::size_t slot = 0; slot < tempProd.functions.size(); ++slot) {
        OrderFunction& function = tempProd.functions[slot];
        if (!function.inUse) continue;
        const double after = entriesOf(function);
        if (after >= before[slot]) continue;
        tracking.productEntries -= before[slot] - after;
        tracking.ownedEntries += function.inherited ? after : after - before[slot];
        function.inherited = 0;
    }
    tracking.cost.peakEntries = std::max(tracking.cost.peakEntries, tracking.heldEntries + tracking.ownedEntries);
}

}  // namespace pedlik
