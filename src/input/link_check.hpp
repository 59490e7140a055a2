#pragma once

#include "input/records.hpp"

namespace pedlik {

// Checks that the parent and child links of one pedigree agree and describe
// a family that the traversals of later stages can walk: both parents or
// none, fathers male and mothers female, chains of children that end and
// hold only children of their parent, and nobody his or her own ancestor.
void checkLinks(Pedigree& pedigree, int pedigreeIndex);

// A person number given twice in the pedigree is an input error.
void checkDistinctIds(const Pedigree& pedigree);

}  // namespace pedlik
