#pragma once

#include "input/records.hpp"

namespace pedlik {

// The pair action of the pruning passes: narrows the half of `child` that
// came from `parent` at `locus` to alleles the parent carries (or fills it
// with them when it is empty), and stops the run with "Invalid value ..."
// when nothing is left. A typed child whose half from the parent is certain
// keeps the other allele in its opposite half.
void pruneChild(Person& parent, Person& child, int locus);

// The same for sex-linked data: a father passes his only allele to his
// daughters and nothing to his sons; a mother is handled as in autosomal
// data.
void pruneChildSexLinked(Person& parent, Person& child, int locus);

}  // namespace pedlik
