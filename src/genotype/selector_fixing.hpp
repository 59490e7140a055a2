#pragma once

#include "input/records.hpp"

namespace pedlik {

// The pair action of the last downward pass: when the child's half from
// `parent` holds one allele that only one of the parent's lists holds, the
// selector of that half is fixed (1: the parent's paternal allele, 0: the
// maternal one).
void fixSelectors(Person& parent, Person& child, int locus);

// Sex-linked data: only mothers choose between two alleles, so only
// maternal selectors are fixed.
void fixSelectorsSexLinked(Person& parent, Person& child, int locus);

}  // namespace pedlik
