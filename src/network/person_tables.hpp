#pragma once

#include "input/records.hpp"

namespace pedlik {

// All tables of one person, locus by locus from the last to the first; its
// children's tables must already exist, so that every allele node's child
// count is complete.
void buildPersonTables(Person& person);
void buildPersonTablesSexLinked(Person& person);

}  // namespace pedlik
