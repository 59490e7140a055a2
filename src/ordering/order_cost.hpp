#pragma once

#include "ordering/order_product.hpp"

namespace pedlik {

// The table entries an order needs within the memory: those alive at once
// along one branch when the elimination may condition, all it keeps for a
// bucket tree, which cannot.
double neededEntries(const OrderCost& cost, bool conditioning);

// Tracking from a fresh tempProd, whose tables all belong to the product.
CostTracking startTracking(TempProd& tempProd);

// The number of entries of the table that summing the variable out makes;
// 1 when it has no neighbour.
double sumOutEntries(OrderVariable& variable);

// The sum-out of `variable`, before it is applied to the tempProd.
void trackSumOut(CostTracking& tracking, OrderVariable& variable);

// Conditioning on `variable`, before it is applied: every later step is
// repeated once per value, and the tables alive now stay held meanwhile.
void trackCondition(CostTracking& tracking, TempProd& tempProd, OrderVariable& variable);

}  // namespace pedlik
