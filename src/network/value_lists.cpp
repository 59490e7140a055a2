#include "network/value_lists.hpp"

#include "base/allocation.hpp"
#include "input/process_state.hpp"

namespace pedlik {

namespace {

bool isMarker(int locus) { return runParameters.loci[locus].type == LocusType::NumberedAlleles; }

}  // namespace

std::vector<int> alleleValues(const Person& person, int locus, bool paternal) {
    if (!isMarker(locus)) return allocateOrDie("locusVals", [] { return std::vector<int>{1, 2}; });
    const PersonLocus& data = person.loci[locus];
    return allocateOrDie("locusVals", [&] { return paternal ? data.paternalAlleles : data.maternalAlleles; });
}

std::vector<int> selectorValues(const Person& person, int locus, bool paternal) {
    const PersonLocus& data = person.loci[locus];
    const int state = paternal ? data.paternalSelectorState : data.maternalSelectorState;
    const int value = paternal ? data.paternalSelectorValue : data.maternalSelectorValue;
    if (isMarker(locus) && state == selectorFixed) return allocateOrDie("selectorVals", [&] { return std::vector<int>{value}; });
    return allocateOrDie("selectorVals", [] { return std::vector<int>{0, 1}; });
}

std::vector<OrderedGenotype> founderGenotypes(const Person& founder, int paternalValueCount) {
    const std::vector<int> pa = alleleValues(founder, 0, true);
    const std::vector<int> ma = alleleValues(founder, 0, false);
    std::vector<OrderedGenotype> genotypes;
    if (isMarker(0) && founder.loci[0].isUnknown == 0) {
        const int maternal = paternalValueCount != 1 ? ma[1] : ma[0];
        return allocateOrDie("locusVals", [&] { return std::vector<OrderedGenotype>{{pa[0], maternal}}; });
    }
    const int n = paternalValueCount;
    allocateOrDie("locusVals", [&] { genotypes.reserve(static_cast<size_t>(n) * (n + 1) / 2); });
    for (int j = 0; j < n; ++j) {
        for (int k = j; k < n; ++k) genotypes.push_back({pa[j], ma[k]});
    }
    return genotypes;
}

}  // namespace pedlik
