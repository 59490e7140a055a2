#pragma once

#include "ordering/order_product.hpp"

namespace pedlik {

// The table entries an order needs within the memory: those alive at once
// along one branch for an elimination, all it keeps for a bucket tree.
double neededEntries(const OrderCost& cost, bool keepsTables);

// The entries a bucket tree keeps once it also keeps a new table of `made`
// entries.
double keptWith(const CostTracking& tracking, double made);

// Tracking from a fresh tempProd, whose tables all belong to the product.
CostTracking startTracking(TempProd& tempProd);

// The number of entries of the table that summing the variable out makes;
// 1 when it has no neighbour.
double sumOutEntries(OrderVariable& variable);

// The sum-out of `variable`, before it is applied to the tempProd.
void trackSumOut(CostTracking& tracking, OrderVariable& variable);

// Conditioning on `variable`, before it is applied: every later step is
// repeated once per value whose branch stays alive (`liveShare` of them),
// and the tables alive now stay held meanwhile.
void trackCondition(CostTracking& tracking, TempProd& tempProd, OrderVariable& variable, double liveShare);

// The variable's value count once the probe's variable is conditioned on,
// at least 1.
double trimmedValueCount(const OrderVariable& variable, const ConditioningProbe& probe);

// After conditioning: lowers every variable's value count to the share the
// probe found trimming leaves it, and makes the tables that shrink the
// branch's own.
void trimTemp(TempProd& tempProd, const ConditioningProbe& probe);

}  // namespace pedlik
