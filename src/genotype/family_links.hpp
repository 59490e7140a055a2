#pragma once

#include "input/process_state.hpp"
#include "input/records.hpp"

namespace pedlik {

// A parent's children form one chain: the paternal sibling links for a
// father, the maternal ones for a mother.
inline Person* nextSibling(const Person& child, const Person& parent) {
    return parent.isFemale ? child.nextMaternalSibling : child.nextPaternalSibling;
}

// The child's parent other than `parent`.
inline Person* otherParent(const Person& child, const Person& parent) {
    return parent.isFemale ? child.father : child.mother;
}

// The half of the child's genotype that came from `parent`, and the other one.
inline CandidateList& halfFrom(PersonLocus& child, const Person& parent) {
    return parent.isFemale ? child.maternalCandidates : child.paternalCandidates;
}
inline CandidateList& oppositeHalf(PersonLocus& child, const Person& parent) {
    return parent.isFemale ? child.paternalCandidates : child.maternalCandidates;
}

inline bool isFounder(const Person& person) { return person.father == nullptr && person.mother == nullptr; }

// Runs `action(locus)` for every numbered-allele locus in internal index
// order: only those loci carry candidate lists.
template <typename LocusAction>
void forEachMarkerLocus(LocusAction&& action) {
    const std::vector<Locus>& loci = runParameters.loci;
    for (int locus = 0; locus < static_cast<int>(loci.size()); ++locus) {
        if (loci[locus].type == LocusType::NumberedAlleles) action(locus);
    }
}

}  // namespace pedlik
