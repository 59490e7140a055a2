#include "genotype/selector_fixing.hpp"

#include "genotype/candidate_lists.hpp"
#include "genotype/family_links.hpp"

namespace pedlik {

void fixSelectors(Person& parent, Person& child, int locus) {
    PersonLocus& data = child.loci[locus];
    const CandidateList& half = halfFrom(data, parent);
    if (half.size() != 1) return;
    const int allele = half.front().allele;
    const PersonLocus& from = parent.loci[locus];
    const bool inPaternal = hasAllele(from.paternalCandidates, allele);
    // Either of the parent's alleles could be the one passed on.
    if (inPaternal && hasAllele(from.maternalCandidates, allele)) return;
    const int value = inPaternal ? 1 : 0;
    if (parent.isFemale) {
        data.maternalSelectorValue = value;
        data.maternalSelectorState = selectorFixed;
    } else {
        data.paternalSelectorValue = value;
        data.paternalSelectorState = selectorFixed;
    }
}

void fixSelectorsSexLinked(Person& parent, Person& child, int locus) {
    if (parent.isFemale) fixSelectors(parent, child, locus);
}

}  // namespace pedlik
