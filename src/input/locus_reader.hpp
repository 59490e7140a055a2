#pragma once

#include <cstdio>

#include "input/locus_order.hpp"

namespace pedlik {

// Reads the whole locus data file (open as `file`, from `path` as given)
// into the run parameters and loci, reports the kind of data, and returns
// the program code.
int readLocusDataFile(std::FILE* file, const char* path,
                      LocusOrderReading orderReading = LocusOrderReading::DescriptionToMap);

}  // namespace pedlik
