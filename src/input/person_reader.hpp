#pragma once

#include "input/records.hpp"
#include "input/text_reading.hpp"

namespace pedlik {

// Post-makeped lines link persons by line position and carry the first-child
// and sibling links; pre-makeped lines give only the parents, by person number.
enum class PedigreeFormat { PostMakeped, PreMakeped };

// What a line gives that the person record does not keep.
struct PersonLine {
    int fatherId = 0, motherId = 0;  // pre-makeped: the parents' person numbers, 0 for none
    int proband = 0;                 // post-makeped: the ninth number
};

// Reads the line of the person at line position `position` of `pedigree`
// (pedigree index `pedigreeIndex`): links (post-makeped only), sex, every
// phenotype group, and the person's empty node arrays.
PersonLine readPerson(TextStream& stream, Pedigree& pedigree, int position, int pedigreeIndex, PedigreeFormat format);

}  // namespace pedlik
