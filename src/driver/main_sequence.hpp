#pragma once

namespace pedlik {

// One whole run: read both files, eliminate genotypes, build the network,
// run the mode the program code selects, print the timings, release.
// `reportEstimates` makes the bucket-tree mode report its iterations;
// `threads` eliminate the LOD-score mode's pedigrees and conditioning
// branches side by side.
int runMainSequence(const char* locusPath, const char* pedigreePath, bool reportEstimates = false, int threads = 1);

}  // namespace pedlik
