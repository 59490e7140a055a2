#include "product/function_replacement.hpp"

#include "product/function_index.hpp"
#include "product/product_pool.hpp"

namespace pedlik {

void replaceFunction(Product& product, Function& old, Function* replacement) {
    for (Variable* variable : old.vars) removeFunction(*variable, old);
    releaseFunction(product, old);
    if (replacement == nullptr) return;
    for (Variable* variable : replacement->vars) appendFunction(*variable, *replacement);
}

}  // namespace pedlik
