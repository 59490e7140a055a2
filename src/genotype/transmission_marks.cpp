#include "genotype/transmission_marks.hpp"

#include "genotype/candidate_lists.hpp"
#include "genotype/family_links.hpp"

namespace pedlik {

namespace {

void markInBothHalves(PersonLocus& parent, int allele) {
    markAllele(parent.paternalCandidates, allele);
    markAllele(parent.maternalCandidates, allele);
}

// The alleles of the first (at most) two marked nodes, in list order.
struct MarkedAlleles {
    int count = 0;
    int alleles[2] = {0, 0};
};

MarkedAlleles firstTwoMarked(const CandidateList& list) {
    MarkedAlleles marked;
    for (const halfLocusPerson& node : list) {
        if (node.mark == 0) continue;
        marked.alleles[marked.count++] = node.allele;
        if (marked.count == 2) break;
    }
    return marked;
}

// A child finished while its other parent was not has not been marked in
// either parent yet; a child of a finished other parent was marked when that
// parent finished.
void markTransmissionsToChildren(Person& parent) {
    for (Person* child = parent.firstChild; child != nullptr; child = nextSibling(*child, parent)) {
        if (otherParent(*child, parent)->done != 0) continue;
        forEachMarkerLocus([&](int locus) { markTransmitted(*child->father, *child->mother, *child, locus); });
    }
}

}  // namespace

void markTransmitted(Person& father, Person& mother, Person& child, int locus) {
    const PersonLocus& data = child.loci[locus];
    if (data.paternalCandidates.size() == 1) markInBothHalves(father.loci[locus], data.paternalCandidates.front().allele);
    if (data.maternalCandidates.size() == 1) markInBothHalves(mother.loci[locus], data.maternalCandidates.front().allele);
}

void reduceByMarks(Person& person, int locus) {
    CandidateList& paternal = person.loci[locus].paternalCandidates;
    CandidateList& maternal = person.loci[locus].maternalCandidates;
    if (paternal.size() < 2 && maternal.size() < 2) return;
    MarkedAlleles p = firstTwoMarked(paternal);
    MarkedAlleles m = firstTwoMarked(maternal);
    if (p.count == 0) {
        if (m.count > 0) keepFirstNodesAs(maternal, {m.alleles[0]});
        return;
    }
    if (m.count == 0) {
        keepFirstNodesAs(paternal, {p.alleles[0]});
        return;
    }
    if (p.count == 2 && m.count == 2) {
        keepFirstNodesAs(paternal, {p.alleles[0], p.alleles[1]});
        keepFirstNodesAs(maternal, {m.alleles[0], m.alleles[1]});
        return;
    }
    // One side has a single mark. An allele marked on both sides may have
    // come from either half, so a second mark on the other side decides.
    if (p.alleles[0] == m.alleles[0]) {
        if (p.count == 1 && m.count == 1) return;
        if (m.count == 2) m.alleles[0] = m.alleles[1];
        if (p.count == 2) p.alleles[0] = p.alleles[1];
    }
    keepFirstNodesAs(paternal, {p.alleles[0]});
    keepFirstNodesAs(maternal, {m.alleles[0]});
}

void reduceMaleByMarks(Person& person, int locus) {
    CandidateList& alleles = person.loci[locus].maternalCandidates;
    if (alleles.size() < 2) return;
    const MarkedAlleles marked = firstTwoMarked(alleles);
    if (marked.count > 0) keepFirstNodesAs(alleles, {marked.alleles[0]});
}

void reduceByTransmissions(Person& person) {
    markTransmissionsToChildren(person);
    forEachMarkerLocus([&](int locus) { reduceByMarks(person, locus); });
}

void reduceByTransmissionsSexLinked(Person& person) {
    markTransmissionsToChildren(person);
    forEachMarkerLocus([&](int locus) {
        if (person.isFemale) {
            reduceByMarks(person, locus);
        } else {
            reduceMaleByMarks(person, locus);
        }
    });
}

}  // namespace pedlik
