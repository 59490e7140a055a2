#pragma once

#include "input/records.hpp"

namespace pedlik {

// Gives every empty candidate list of the person at a numbered-allele locus
// all alleles of the locus, unmarked: nothing has narrowed that half.
void fillCandidates(Person& person);

// The same for sex-linked data, where a male has no paternal half to fill.
void fillCandidatesSexLinked(Person& person);

}  // namespace pedlik
