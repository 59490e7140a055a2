#pragma once

#include <vector>

#include "oracle/dataset.hpp"
#include "oracle/random_source.hpp"

// Family structures without phenotypes: persons with parents and sex only.
namespace pedlik::oracle {

// One tiny family of at most `maxPersons` persons, chosen among a single
// person, a trio, a sibship, half-sibs through two marriages, three
// generations, sib mating, parent-offspring mating, half-sib mating, a trio
// with a childless unrelated founder and, when allowed, two or three
// unconnected families. Lines are shuffled half of the time, so that
// parents may follow their children.
std::vector<PersonRecord> tinyFamily(RandomSource& random, int maxPersons, bool allowUnconnected);

// A family of exactly `size` persons (at least 3) over at most `generations`
// generations: a founder couple, then marriages of persons of the earlier
// generations to new founders or to an earlier spouse, each with children.
// Multiple marriages give half-sibs; there are no loops. Parents come
// before their children.
std::vector<PersonRecord> grownFamily(RandomSource& random, int size, int generations);

}  // namespace pedlik::oracle
