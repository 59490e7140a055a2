#pragma once

#include <vector>

#include "input/person_reader.hpp"
#include "input/records.hpp"

namespace pedlik {

// Merges the two copies of each person that a loop was broken at, found by
// the code (2 or more) both carry in the ninth column, back into the first
// copy in line order: the other copy's children and parents become its own,
// and the other copy leaves the pedigree. Each code must be carried by
// exactly two persons with the same sex and phenotypes, at most one of them
// with parents. Prints one line per merged pair; true when any was merged,
// the first leaf and founder then to be found and the links checked again.
bool mergeLoopBreakers(Pedigree& pedigree, const std::vector<PersonLine>& lines, int pedigreeIndex);

}  // namespace pedlik
