#pragma once

#include "input/records.hpp"

namespace pedlik {

// Narrows the candidate lists of every person at every numbered-allele
// locus of every pedigree from the typed relatives, fixes the selectors the
// narrowed lists determine, and stops the run with "Invalid value ..." when
// a child's half loses every allele. `currentPedigreeIndex` counts the
// pedigrees for that message.
void eliminateGenotypes(PedigreeList& pedigrees);

// The same for sex-linked data, where a male carries only the allele he got
// from his mother.
void eliminateGenotypesSexLinked(PedigreeList& pedigrees);

}  // namespace pedlik
