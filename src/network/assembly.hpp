#pragma once

#include "input/records.hpp"
#include "product/product.hpp"
#include "product/progress_text.hpp"

namespace pedlik {

// Wires every node's parents, builds its table and hands the tables of more
// than one entry to the product, children before parents; barren allele
// nodes are released and one-entry tables folded into a log constant, which
// is returned (minus infinity when one of them is 0). Prints the three
// report lines to `progress`.
double buildPedigreeTables(Product& product, Pedigree& pedigree, int sexLinked, ProgressSink progress = {});

}  // namespace pedlik
