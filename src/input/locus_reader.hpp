#pragma once

#include <cstdio>

namespace pedlik {

// Reads the whole locus data file into the run parameters and loci, reports
// the kind of data, and returns the program code.
int readLocusDataFile(std::FILE* stream);

}  // namespace pedlik
