#pragma once

#include <cstdio>

namespace pedlik {

// Reads the whole locus data file (open as `file`, from `path` as given)
// into the run parameters and loci, reports the kind of data, and returns
// the program code.
int readLocusDataFile(std::FILE* file, const char* path);

}  // namespace pedlik
