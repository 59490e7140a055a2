#pragma once

#include "input/records.hpp"

namespace pedlik {

// What an upward pass does to a person once all its children are done.
using PersonAction = void (*)(Person& person);

// The bottom-up traversal from `start`: a person is finished (`finish`,
// then `done`) only after all its children; a person with an unfinished
// child sends the pass down that child's first-child line to a person
// without children instead. A finished person passes up to its father, then
// to its mother. Persons are visited in the order of the recursive
// description, with the pending calls kept on the heap.
void passUp(Person& start, PersonAction finish);

// passUp from the pedigree's first leaf, then again from the first person
// without children in line order that no pass has entered, until none is
// left: a pedigree may hold families with no link between them.
void passUpEveryFamily(Pedigree& pedigree, PersonAction finish);

}  // namespace pedlik
