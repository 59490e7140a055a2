#pragma once

#include <cstddef>
#include <span>

#include "product/product.hpp"

namespace pedlik {

// A new zero-filled table of `size` entries; a failed allocation ends the run
// with the report naming `label`.
SharedTable newTable(std::size_t size, const char* label);

// A new table whose entries are left unset, for a caller that writes every
// one of them before anything reads it.
SharedTable newUnfilledTable(std::size_t size, const char* label);

// Gives the function its table. Pass a table no other function holds with
// ownsTable 1, or a table read from another function with ownsTable 0.
void setTable(Function& function, SharedTable table, int ownsTable);

// The function's entries for writing. A function never writes a table that
// another function reads: when it does not own its table alone, it first
// gets a private copy ("probability table").
std::span<double> writableTable(Function& function);

// Divides every entry by the largest one and adds that entry's natural
// logarithm to logScale, leaving the function's true values unchanged. A
// table without a positive entry is left as it is.
void rescale(Function& function);

}  // namespace pedlik
