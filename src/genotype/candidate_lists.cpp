#include "genotype/candidate_lists.hpp"

#include <algorithm>

#include "base/allocation.hpp"

namespace pedlik {

namespace {

CandidateList::iterator firstNotBelow(CandidateList& list, int allele) {
    return std::lower_bound(list.begin(), list.end(), allele,
                            [](const halfLocusPerson& node, int value) { return node.allele < value; });
}

}  // namespace

bool hasAllele(const CandidateList& list, int allele) {
    return std::any_of(list.begin(), list.end(), [allele](const halfLocusPerson& node) { return node.allele == allele; });
}

void markAllele(CandidateList& list, int allele) {
    for (halfLocusPerson& node : list) {
        if (node.allele == allele) node.mark = 1;
    }
}

void markIfSingle(CandidateList& list) {
    if (list.size() == 1) list.front().mark = 1;
}

void mergeCandidates(CandidateList& target, const CandidateList& source) {
    for (const halfLocusPerson& node : source) {
        const auto at = firstNotBelow(target, node.allele);
        if (at != target.end() && at->allele == node.allele) continue;
        allocateOrDie("halfLocusPerson", [&] { target.insert(at, halfLocusPerson{node.allele, 0}); });
    }
}

void keepFirstNodesAs(CandidateList& list, std::initializer_list<int> alleles) {
    list.resize(alleles.size());
    std::transform(alleles.begin(), alleles.end(), list.begin(), list.begin(), [](int allele, halfLocusPerson node) {
        node.allele = allele;
        return node;
    });
}

}  // namespace pedlik
