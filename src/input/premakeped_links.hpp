#pragma once

#include <vector>

#include "input/person_reader.hpp"
#include "input/records.hpp"

namespace pedlik {

// Links the persons of a pre-makeped pedigree by the parents' person numbers
// in `lines` (by line position): each parent's first child and each child's
// next sibling through either parent follow the file order. A parent number
// that names nobody in the pedigree, or a person number given twice, is an
// input error; the other checks are the link check's.
void linkByParentIds(Pedigree& pedigree, const std::vector<PersonLine>& lines, int pedigreeIndex);

// Rebuilds every first-child and sibling link from the father and mother
// links, children in line order.
void linkChildrenInFileOrder(Pedigree& pedigree);

}  // namespace pedlik
