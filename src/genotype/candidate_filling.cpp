#include "genotype/candidate_filling.hpp"

#include "base/allocation.hpp"
#include "genotype/family_links.hpp"
#include "input/process_state.hpp"

namespace pedlik {

namespace {

void fillIfEmpty(CandidateList& list, int alleleCount) {
    if (!list.empty()) return;
    allocateOrDie("halfLocusPerson", [&] {
        for (int allele = 1; allele <= alleleCount; ++allele) list.push_back(halfLocusPerson{allele, 0});
    });
}

}  // namespace

void fillCandidates(Person& person) {
    forEachMarkerLocus([&](int locus) {
        const int alleleCount = runParameters.loci[locus].alleleCount;
        fillIfEmpty(person.loci[locus].paternalCandidates, alleleCount);
        fillIfEmpty(person.loci[locus].maternalCandidates, alleleCount);
    });
}

void fillCandidatesSexLinked(Person& person) {
    if (person.isFemale) {
        fillCandidates(person);
        return;
    }
    forEachMarkerLocus([&](int locus) {
        fillIfEmpty(person.loci[locus].maternalCandidates, runParameters.loci[locus].alleleCount);
    });
}

}  // namespace pedlik
