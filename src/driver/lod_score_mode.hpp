#pragma once

#include "input/records.hpp"

namespace pedlik {

// Program code 5: the log-likelihood of all pedigrees at recombination
// fraction 0.5 for the varied pair, then for its values from the file's
// upward by the increment while below the stop value, each with its LOD
// score against the first.
void runLodScoreMode(PedigreeList& pedigrees);

}  // namespace pedlik
