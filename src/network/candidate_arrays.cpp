#include "network/candidate_arrays.hpp"

#include <algorithm>

#include "base/allocation.hpp"

namespace pedlik {

int candidateCount(const CandidateList& candidates) { return static_cast<int>(candidates.size()); }

void candidatesToArray(PersonLocus& data, int length, int paternal) {
    CandidateList& candidates = paternal ? data.paternalCandidates : data.maternalCandidates;
    std::vector<int>& alleles = paternal ? data.paternalAlleles : data.maternalAlleles;
    allocateOrDie(paternal ? "paAlleles" : "maAlleles", [&] { alleles.assign(length, 0); });
    std::transform(candidates.begin(), candidates.begin() + std::min(length, candidateCount(candidates)),
                   alleles.begin(), [](const halfLocusPerson& node) { return node.allele; });
    CandidateList().swap(candidates);
}

}  // namespace pedlik
