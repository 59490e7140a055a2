#pragma once

#include "input/records.hpp"
#include "product/likelihood.hpp"

namespace pedlik {

// Builds and trims every pedigree's product for the current fractions; the
// trimming constants join logLikelihood. False, with no product kept, when
// some pedigree's likelihood is 0.
bool buildTrimmedProducts(PedigreeList& pedigrees, ProductArray& products, ProgressSink progress = {});

// The report of a likelihood of 0, in place of a mode's results.
void printZeroLikelihood(ProgressSink out = {});

}  // namespace pedlik
