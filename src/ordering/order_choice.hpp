#pragma once

#include <limits>
#include <span>

#include "ordering/order_product.hpp"

namespace pedlik {

// A cost at or below this is cheap enough to take without looking further.
constexpr double takeAtOnceCost = 15.0;

struct CostChoice {
    OrderVariable* variable = nullptr;  // none when no variable with functions is left
    double cost = std::numeric_limits<double>::max();
};

// The cheapest variable with functions, scanning the slots from the
// tempProd's scanPosition round to it again: the first of cost 15 or less at
// once, otherwise the first met of the smallest cost. Costs are computed only
// where the cache is out of date. The next scan starts after the choice.
CostChoice chooseMinCost(TempProd& tempProd);

// The same choice among the candidates, scanning the list from
// `listPosition`, which then moves past the choice. Costs are those of the
// whole tempProd.
CostChoice chooseMinCost(TempProd& tempProd, std::span<OrderVariable* const> candidates, int& listPosition);

// The variable to condition on when every choice is too costly: the live one
// with the largest cost times the square root of its function count, costs
// computed afresh; the first in slot order wins a tie.
OrderVariable* chooseConditioned(TempProd& tempProd);

// The same choice among the candidates; the first in list order wins a tie.
OrderVariable* chooseConditioned(std::span<OrderVariable* const> candidates);

}  // namespace pedlik
