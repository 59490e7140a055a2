#pragma once

#include "input/records.hpp"

namespace pedlik {

int candidateCount(const CandidateList& candidates);

// Moves the paternal (`paternal` = 1) or maternal candidates of `data` into
// its allele array of `length` entries, ascending; the list is released and
// the array is all that is left of the candidates.
void candidatesToArray(PersonLocus& data, int length, int paternal);

}  // namespace pedlik
