#pragma once

#include "input/records.hpp"

namespace pedlik {

// Every person of the pedigree becomes neither entered nor done, ready for
// the next traversal.
void clearTraversalFlags(Pedigree& pedigree);

}  // namespace pedlik
