#pragma once

#include <vector>

// Exact sums of products of dense tables, sharing nothing with pedlik's
// elimination code.
namespace pedlik::oracle {

// A table over variables named by number, the last variable fastest.
struct DenseFactor {
    std::vector<int> vars;
    std::vector<double> entries;
};

// The sum, over every value of every variable (valueCounts[v] values each),
// of the product of the factors. Exact: the distributive law sums one
// variable at a time, the one whose sum makes the smallest table first.
double sumOfProduct(const std::vector<int>& valueCounts, std::vector<DenseFactor> factors);

}  // namespace pedlik::oracle
