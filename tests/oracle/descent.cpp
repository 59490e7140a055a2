#include "oracle/descent.hpp"

namespace pedlik::oracle {

namespace {

void placeAfterParents(const PedigreeRecord& pedigree, int person, std::vector<bool>& placed, std::vector<int>& order) {
    if (placed[person]) return;
    placed[person] = true;
    const PersonRecord& record = pedigree.persons[person];
    if (record.father >= 0) placeAfterParents(pedigree, record.father, placed, order);
    if (record.mother >= 0) placeAfterParents(pedigree, record.mother, placed, order);
    order.push_back(person);
}

}  // namespace

Descent describeDescent(const Dataset& dataset, const PedigreeRecord& pedigree) {
    const int n = static_cast<int>(pedigree.persons.size());
    Descent descent;
    descent.paternalMeiosis.assign(n, -1);
    descent.maternalMeiosis.assign(n, -1);
    descent.paternalFounderAllele.assign(n, -1);
    descent.maternalFounderAllele.assign(n, -1);
    std::vector<bool> placed(n, false);
    for (int j = 0; j < n; ++j) placeAfterParents(pedigree, j, placed, descent.parentsFirst);
    for (int j = 0; j < n; ++j) {
        const PersonRecord& person = pedigree.persons[j];
        const bool hemizygous = dataset.sexLinked && person.isMale;
        if (person.father < 0) {
            if (!hemizygous) descent.paternalFounderAllele[j] = descent.founderAlleleCount++;
            descent.maternalFounderAllele[j] = descent.founderAlleleCount++;
            continue;
        }
        if (!dataset.sexLinked) descent.paternalMeiosis[j] = descent.meiosisCount++;
        descent.maternalMeiosis[j] = descent.meiosisCount++;
    }
    return descent;
}

void traceAlleles(const Descent& descent, const PedigreeRecord& pedigree, bool sexLinked, unsigned bits,
                  std::vector<int>& paternalSource, std::vector<int>& maternalSource) {
    const size_t n = pedigree.persons.size();
    paternalSource.assign(n, -1);
    maternalSource.assign(n, -1);
    const auto transmitted = [&](int parent, int meiosis) {
        return (bits >> meiosis & 1u) != 0 ? paternalSource[parent] : maternalSource[parent];
    };
    for (int j : descent.parentsFirst) {
        const PersonRecord& person = pedigree.persons[j];
        if (person.father < 0) {
            paternalSource[j] = descent.paternalFounderAllele[j];
            maternalSource[j] = descent.maternalFounderAllele[j];
            continue;
        }
        if (!sexLinked) {
            paternalSource[j] = transmitted(person.father, descent.paternalMeiosis[j]);
        } else if (!person.isMale) {
            paternalSource[j] = maternalSource[person.father];
        }
        maternalSource[j] = transmitted(person.mother, descent.maternalMeiosis[j]);
    }
}

}  // namespace pedlik::oracle
