#include "driver/trimmed_products.hpp"

#include <cstdio>

#include "input/process_state.hpp"
#include "product/trimming.hpp"

namespace pedlik {

bool buildTrimmedProducts(PedigreeList& pedigrees, ProductArray& products) {
    int failed = 0;
    products = buildProducts(failed, pedigrees);
    if (failed == 1) return false;
    runParameters.logLikelihood += trimProducts(products, pedigrees, failed);
    if (failed == 1) products.clear();
    return failed == 0;
}

void printZeroLikelihood() { std::printf("\nThe likelihood is 0.0\n"); }

}  // namespace pedlik
