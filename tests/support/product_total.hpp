#pragma once

#include "product/product.hpp"

namespace pedlik::testing {

// The natural log of the sum, over every combination of values of the
// product's live variables, of the product of all its live functions'
// true values (entry x e^logScale). Computed by plain enumeration, for
// checking what the assembly and trimming hand over.
double logProductTotal(const Product& product);

}  // namespace pedlik::testing
