#pragma once

#include "product/product.hpp"

namespace pedlik {

// Puts `replacement` (none when the old function became a constant) in the
// place of `old` in its variables' funcs and releases `old`. The replacement
// was made before `old` is released, so each funcs list first shrinks, then
// grows: the room buildFunctionIndex gave it suffices.
void replaceFunction(Product& product, Function& old, Function* replacement);

}  // namespace pedlik
