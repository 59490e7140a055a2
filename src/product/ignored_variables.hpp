#pragma once

#include "product/product.hpp"

namespace pedlik {

// Replaces every function whose table is the same for every value of one of
// its variables by the function over its other variables, in slot order, as
// often as that holds. The product's value is unchanged, but the variable
// no longer joins the others in its sum-outs: a recombination fraction of
// 0.5 makes the loci on either side independent, and their eliminations
// then no longer multiply.
void dropIgnoredVariables(Product& product);

}  // namespace pedlik
