#pragma once

#include <cstddef>
#include <span>

#include "product/product.hpp"

namespace pedlik {

// Clears the scratch mark of every variable that shares a function with
// `variable` (the variable itself included when it has functions).
void clearNeighbourMarks(Variable& variable);

struct Neighbourhood {
    int count = 0;          // neighbours written to the out array
    std::size_t size = 1;   // product of their value counts
};

// Writes the distinct variables other than `variable` found in its functions
// to `out`, in order of first appearance (functions in funcs order, each
// function's variables in table order): the variable order of the table that
// summing `variable` out creates. `out` has room for every other live
// variable of the product.
Neighbourhood collectNeighbours(Variable& variable, std::span<Variable*> out);

// The number of entries of the table that summing `variable` out would
// create, in floating point so that huge neighbourhoods cannot overflow.
double neighbourhoodSize(Variable& variable);

}  // namespace pedlik
