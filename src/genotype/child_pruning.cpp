#include "genotype/child_pruning.hpp"

#include <vector>

#include "base/errors.hpp"
#include "genotype/candidate_lists.hpp"
#include "genotype/family_links.hpp"
#include "input/input_place.hpp"
#include "input/process_state.hpp"

namespace pedlik {

namespace {

// `first` and `second` are the lists of what the parent can pass on.
void pruneHalf(Person& child, int locus, CandidateList& half, CandidateList& opposite, const CandidateList& first,
               const CandidateList& second) {
    if (half.empty()) {
        mergeCandidates(half, first);
        mergeCandidates(half, second);
        markIfSingle(half);
        return;
    }
    std::erase_if(half, [&](const halfLocusPerson& node) {
        return !hasAllele(first, node.allele) && !hasAllele(second, node.allele);
    });
    if (half.empty()) {
        const int index = runParameters.currentPedigreeIndex;
        const Pedigree* pedigree = runParameters.pedigrees.head;
        for (int i = 0; i < index; ++i) pedigree = pedigree->next;
        inputErrorAt(personPlace(*pedigree, child, locus),
                     formatMessage("Invalid value in locus no. %d of person no. %d, pedigree no. %d.\n", locus,
                                   child.id, index));
    }
    markIfSingle(half);
    // A typed child's two halves hold its two observed alleles between them:
    // once this half is certain, the other allele belongs to the opposite one.
    if (child.loci[locus].isUnknown == 0 && half.size() == 1 && opposite.size() >= 2) {
        const bool firstIsTaken = opposite.front().allele == half.front().allele;
        opposite.erase(opposite.begin() + (firstIsTaken ? 0 : 1));
        opposite.front().mark = 1;
    }
}

}  // namespace

void pruneChild(Person& parent, Person& child, int locus) {
    const PersonLocus& from = parent.loci[locus];
    if (from.paternalCandidates.empty() || from.maternalCandidates.empty()) return;
    PersonLocus& data = child.loci[locus];
    pruneHalf(child, locus, halfFrom(data, parent), oppositeHalf(data, parent), from.paternalCandidates,
              from.maternalCandidates);
}

void pruneChildSexLinked(Person& parent, Person& child, int locus) {
    // A son's half from his mother has no opposite half to narrow, so the
    // autosomal rule covers mothers with children of either sex.
    if (parent.isFemale) {
        pruneChild(parent, child, locus);
        return;
    }
    if (!child.isFemale) return;
    const CandidateList& fathersAllele = parent.loci[locus].maternalCandidates;
    if (fathersAllele.empty()) return;
    PersonLocus& data = child.loci[locus];
    // The father's one list is all he can pass on; given twice it stands for
    // both halves of a parent.
    pruneHalf(child, locus, data.paternalCandidates, data.maternalCandidates, fathersAllele, fathersAllele);
}

}  // namespace pedlik
