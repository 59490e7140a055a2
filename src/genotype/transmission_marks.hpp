#pragma once

#include "input/records.hpp"

namespace pedlik {

// Marks, in both lists of the father, the allele the child certainly got
// from him (its paternal half holds one allele), and likewise for the
// mother. In sex-linked data this marks a father's only list for a daughter
// and nothing for a son, whose paternal half is empty.
void markTransmitted(Person& father, Person& mother, Person& child, int locus);

// Narrows the person's two lists at `locus` to what the marked (transmitted
// or certain) alleles imply, when either list still has two or more nodes.
void reduceByMarks(Person& person, int locus);

// A sex-linked male carries one allele: a marked one is it.
void reduceMaleByMarks(Person& person, int locus);

// The upward pass's work on a person whose children are all finished: the
// transmissions to the children whose other parent is not finished yet are
// marked in both parents, then the person's lists are reduced by the marks.
void reduceByTransmissions(Person& person);
void reduceByTransmissionsSexLinked(Person& person);

}  // namespace pedlik
