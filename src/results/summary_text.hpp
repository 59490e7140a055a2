#pragma once

#include "results/lod_results.hpp"

namespace pedlik {

// The summary on standard output: a table with a row per value of the
// varied fraction (each pedigree's LOD score, the total, the HLOD and its
// alpha), wrapped into blocks of columns that fit 80 characters, never
// cutting a number; notes on pedigrees left out; the maximum LOD and HLOD.
void printSummary(const LodResults& results);

}  // namespace pedlik
