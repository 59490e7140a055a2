#pragma once

#include "input/records.hpp"

namespace pedlik {

// What a downward pass does to a parent and one child at one
// numbered-allele locus.
using PairAction = void (*)(Person& parent, Person& child, int locus);

// The top-down traversal from `start`: each person hands its children, in
// chain order, to the pair action at every numbered-allele locus and then
// descends into a child once the child's other parent is finished, first
// climbing to that parent's paternal founder when nobody has entered it.
// Persons are visited in the order of the recursive description, but the
// calls in progress are kept on the heap, so any number of generations fits.
void passDown(Person& start, PairAction action);

// passDown from the pedigree's first founder, then again from the first
// founder in line order that no pass has entered, until none is left: a
// pedigree may hold families with no link between them.
void passDownEveryFamily(Pedigree& pedigree, PairAction action);

}  // namespace pedlik
