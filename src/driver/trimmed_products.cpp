#include "driver/trimmed_products.hpp"

#include "input/process_state.hpp"
#include "product/trimming.hpp"

namespace pedlik {

bool buildTrimmedProducts(PedigreeList& pedigrees, ProductArray& products, ProgressSink progress) {
    int failed = 0;
    products = buildProducts(failed, pedigrees, progress);
    if (failed == 1) return false;
    runParameters.logLikelihood += trimProducts(products, pedigrees, failed, progress);
    if (failed == 1) products.clear();
    return failed == 0;
}

void printZeroLikelihood(ProgressSink out) { out.print("\nThe likelihood is 0.0\n"); }

}  // namespace pedlik
