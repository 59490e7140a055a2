#pragma once

#include "product/product.hpp"

namespace pedlik::testing {

// The natural log of the sum, over every combination of values of the
// product's live variables, of the product of all its live functions' true
// values (entry x e^logScale); a live variable without functions counts its
// values. For checking what the assembly and trimming hand over, so it
// shares nothing with the elimination code: plain dense tables, multiplied
// out and summed one variable at a time, smallest result first.
double logProductTotal(const Product& product);

}  // namespace pedlik::testing
