#pragma once

#include "input/records.hpp"
#include "input/text_reading.hpp"

namespace pedlik {

// Reads the line of the person at line position `position` of `pedigree`
// (pedigree index `pedigreeIndex`): links, sex, every phenotype group, and
// the person's empty node arrays.
void readPerson(TextStream& stream, Pedigree& pedigree, int position, int pedigreeIndex);

}  // namespace pedlik
