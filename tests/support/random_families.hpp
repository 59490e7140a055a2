#pragma once

#include <random>
#include <string>
#include <vector>

namespace pedlik::testing {

// One person of a generated family; parents are 1-based indices of earlier
// persons (0: none), so nobody is his or her own ancestor.
struct FamilyMember {
    int father = 0;
    int mother = 0;
    bool female = false;
    std::vector<std::pair<int, int>> alleles;  // per marker: from father, from mother (sex-linked male: 0, allele)
    std::vector<bool> typed;                   // per marker
};

using Family = std::vector<FamilyMember>;

// A connected family of `size` (at least 3) persons: a founder couple and a
// child of theirs, then
// children of two earlier persons of opposite sex (inbreeding and loops
// included), and now and then a founder married in, who gets a child at
// once. Alleles at markers with these allele counts are drawn as inherited,
// so the data are consistent; each person is typed with `typedShare`.
Family randomConnectedFamily(std::mt19937& rng, int size, const std::vector<int>& alleleCounts, bool sexLinked,
                             double typedShare);

// The families as the lines of one pedigree numbered `pedigreeId`: lines
// shuffled (families interleaved), each parent's children chained in a random
// order, person numbers equal to line positions.
std::string pedigreeLines(std::mt19937& rng, const std::vector<Family>& families, int pedigreeId);

}  // namespace pedlik::testing
