#pragma once

#include "product/elimination_settings.hpp"
#include "product/order_record.hpp"
#include "product/product.hpp"

namespace pedlik {

// Sums out everything left in the product in the order's sequence from its
// cursor on, conditioning where the order marks a variable whose sum-out
// would be too large. Returns the natural log of the product's total;
// `share` and `base` are the part of the whole problem this product stands
// for and the part solved before it, for the progress line.
double eliminateAll(Product& product, EliminationOrder& order, float share, float base,
                    const EliminationSettings& settings = EliminationSettings{});

// The variable of the next order entry whose node has a live variable;
// `conditioned` says whether it is to be conditioned on.
Variable& nextOrderVariable(EliminationOrder& order, int& conditioned,
                            const EliminationSettings& settings = EliminationSettings{});

// Instantiates the variable to each of its values in turn on copies of the
// product, solves each copy, and combines their results in log space.
double conditionOn(Product& product, Variable& variable, EliminationOrder& order, float share, float base,
                   const EliminationSettings& settings = EliminationSettings{});

}  // namespace pedlik
