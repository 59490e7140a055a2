#pragma once

#include "input/records.hpp"

namespace pedlik {

// The number of values of a founder's unordered genotype node at `locus`:
// the three diallelic genotypes at a disease locus; at a numbered-allele
// locus the typed genotype alone, or every unordered pair of the candidate
// alleles of the founder's paternal allele node, which must exist already.
int founderGenotypeCount(const Person& person, int locus);

}  // namespace pedlik
