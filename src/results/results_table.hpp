#pragma once

#include <cstdio>

#include "results/lod_results.hpp"

namespace pedlik {

// The summary's numbers as tab-separated values with a header line
// (theta, pedigree, ln_likelihood, lod, alpha): a row per pedigree and
// value and a "total" row per value, then a "max_lod" and an "hlod" row.
// Missing values are NA and a likelihood of 0 is -Inf, as R's read.delim
// and pandas' read_csv read them without options. False when a write fails.
bool writeResultsTable(const LodResults& results, std::FILE* out);

}  // namespace pedlik
