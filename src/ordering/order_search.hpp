#pragma once

#include "ordering/elimination_order.hpp"

namespace pedlik {

// Replaces `order`, whose predicted cost is `cost`, by the cheapest order
// that repeated randomised greedy passes over the product find within the
// search's share of the predicted elimination time. Every order it keeps
// holds its tables within limits.memoryEntries along any branch (all of
// them, without conditioning); `order` itself competes only when it does.
// Seeded, so a run is reproducible. Returns the predicted cost of the order
// it leaves.
OrderCost searchEliminationOrder(const Product& product, EliminationOrder& order, OrderCost cost,
                                 OrderLimits limits);

}  // namespace pedlik
