#pragma once

#include <vector>

#include "input/records.hpp"

namespace pedlik {

// What the values of a node stand for, as the table builders read them.

// The alleles of a person's paternal or maternal allele node at a locus:
// the allele array at a numbered-allele locus, alleles 1 and 2 elsewhere.
std::vector<int> alleleValues(const Person& person, int locus, bool paternal);

// The selector values still possible for the allele from the father or the
// mother: the fixed value once genotype elimination fixed it at a
// numbered-allele locus, 0 and 1 otherwise.
std::vector<int> selectorValues(const Person& person, int locus, bool paternal);

// One ordered genotype of a founder's genotype list.
struct OrderedGenotype {
    int paternalAllele;
    int maternalAllele;
};

// A founder's genotype list at locus 0, in the order of its ge node's values:
// every pair j <= k of candidate positions for an untyped founder or a
// non-marker locus, the typed genotype alone otherwise.
std::vector<OrderedGenotype> founderGenotypes(const Person& founder, int paternalValueCount);

}  // namespace pedlik
