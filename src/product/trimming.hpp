#pragma once

#include <memory>
#include <span>
#include <vector>

#include "input/records.hpp"
#include "product/product.hpp"
#include "product/progress_text.hpp"

namespace pedlik {

// Value trimming removes every value that no non-zero entry of some table
// supports, cuts the tables down to the values left and renumbers them
// (keeping their order), until nothing more goes. A variable left with one
// value is released, a table left without variables becomes a constant.
//
// The scratch arrays of one call ("structures used for value-elimination")
// are indexed by slot: `newValueCounts` and the rows of `possible` by
// variable slot, `toRestrict` by function slot, the rows of `support` by a
// variable's position in the function being walked. Every row has
// `rowLength` entries, the largest value count at the start of the call.

// Trims the product of every pedigree, in list order (products[k] belongs to
// the k-th pedigree), and returns the sum of their results. At the first
// pedigree whose data prove impossible it stops with `failed` 1 and returns
// the sum of the pedigrees before it; otherwise `failed` is 0. Each
// pedigree's result also joins its share of pedigreeLogLikelihoods, which
// buildProducts sized.
double trimProducts(std::vector<std::unique_ptr<Product>>& products, const PedigreeList& pedigrees, int& failed,
                    ProgressSink progress = {});

// Trims one product until nothing more can be removed, prints
// "Eliminated %d values from the variables." and "Trimmed %d variables."
// to `progress`,
// and returns the sum of the natural logarithms of the constants made.
// `failed` becomes 1 when a variable has no value left; the result is then
// minus infinity (its tables kept no entry) and the product is in a partial
// state, fit only to be released.
double trimValues(Product& product, int& failed, ProgressSink progress = {});

// One pass: walks every live function in slot order that is not
// supportChecked (and marks it so), marks each value that
// has possible set but no non-zero entry of the function not possible,
// lowers the variable's new value count and flags every function of the
// variable for restriction. Returns the number of values removed. A walk
// stops as soon as every value of the function's variables is supported.
int findUnsupportedValues(Product& product, std::span<int> possible, std::span<int> support, int rowLength,
                          std::span<int> toRestrict, std::span<int> newValueCounts);

// Marks supportChecked every unchecked function without `fixed` whose
// entries support every value of its variables. Called before the branches
// of a conditioning copy the product: fixing `fixed` leaves such a table as
// it is, so each branch's trimming would only walk it again to the same
// end. A table that lacks support stays unchecked, and each branch trims it.
void markWhollySupported(Product& product, const Variable& fixed);

// The function cut down to the entries whose values are all still possible,
// over its variables that keep at least two values. Returns null when none
// keeps two: `constant` then receives the natural logarithm of the single
// entry plus the function's logScale (minus infinity when some variable has
// no value left, so that no entry remains). The caller replaces the old
// function.
Function* restrictFunction(Product& product, const Function& function, std::span<const int> possible, int rowLength,
                           std::span<const int> newValueCounts, double& constant);

}  // namespace pedlik
