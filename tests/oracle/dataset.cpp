#include "oracle/dataset.hpp"

#include <cmath>
#include <functional>
#include <numeric>
#include <stdexcept>
#include <string>

namespace pedlik::oracle {

namespace {

[[noreturn]] void fault(const std::string& what) { throw std::invalid_argument("invalid dataset: " + what); }

void validatePenetrances(const std::vector<std::vector<double>>& table, size_t width, const std::string& what) {
    if (table.empty()) fault(what + " has no liability class");
    for (const std::vector<double>& row : table) {
        if (row.size() != width) fault(what + " has a class of the wrong width");
        for (double p : row) {
            if (!(p >= 0.0 && p <= 1.0)) fault(what + " holds a penetrance outside [0, 1]");
        }
    }
}

void validateLocus(const Dataset& dataset, const LocusModel& locus, int index, bool carriesTraitTable) {
    const std::string name = "locus " + std::to_string(index);
    if (locus.frequencies.empty()) fault(name + " has no allele");
    for (double f : locus.frequencies) {
        if (!(f > 0.0)) fault(name + " has a frequency that is not positive");
    }
    const bool hasTable = locus.kind == LocusKind::AffectionStatus || carriesTraitTable;
    if (locus.kind != LocusKind::NumberedAlleles && locus.alleleCount() != 2) fault(name + " is not diallelic");
    if (!hasTable) {
        if (!locus.femalePenetrances.empty() || !locus.malePenetrances.empty()) fault(name + " has penetrances");
        return;
    }
    const bool affection = locus.kind == LocusKind::AffectionStatus;
    validatePenetrances(locus.femalePenetrances, affection ? 3 : 9, name + " (female)");
    if (!dataset.sexLinked) {
        if (!locus.malePenetrances.empty()) fault(name + " has male penetrances in autosomal data");
        return;
    }
    validatePenetrances(locus.malePenetrances, affection ? 2 : 4, name + " (male)");
    if (locus.malePenetrances.size() != locus.femalePenetrances.size()) {
        fault(name + " has different class counts for the sexes");
    }
}

void validateOrderAndLoci(const Dataset& dataset) {
    const int lociCount = static_cast<int>(dataset.loci.size());
    if (lociCount == 0) fault("no locus");
    if (static_cast<int>(dataset.order.size()) != lociCount) fault("order line of the wrong length");
    std::vector<bool> seen(lociCount, false);
    for (int entry : dataset.order) {
        if (entry < 1 || entry > lociCount || seen[entry - 1]) fault("order line is no permutation");
        seen[entry - 1] = true;
    }
    int traitCount = 0;
    for (const LocusModel& locus : dataset.loci) traitCount += locus.kind == LocusKind::TwoLocusTrait ? 1 : 0;
    if (traitCount != 0 && traitCount != 2) fault("a two-locus trait needs exactly two loci");
    const std::optional<std::pair<int, int>> trait = findTraitLoci(dataset);
    if (trait && trait->first > trait->second) fault("the table-carrying trait locus has the lower internal index");
    for (int r = 0; r < lociCount; ++r) {
        validateLocus(dataset, dataset.loci[r], r, trait && r == trait->second);
    }
    if (static_cast<int>(dataset.thetas.size()) != lociCount - 1) fault("wrong number of recombination fractions");
    for (double theta : dataset.thetas) {
        if (!(theta >= 0.0 && theta <= 1.0)) fault("recombination fraction outside [0, 1]");
    }
    const bool hasModeLine = dataset.programCode == 4 || dataset.programCode == 5;
    if (hasModeLine && (dataset.variedThetaIndex < 1 || dataset.variedThetaIndex > lociCount - 1)) {
        fault("varied fraction index out of range");
    }
}

// Depth-first search for a person who is his own ancestor.
bool reachesItself(const PedigreeRecord& pedigree, int person, std::vector<int>& state) {
    if (state[person] == 1) return true;
    if (state[person] == 2) return false;
    state[person] = 1;
    const PersonRecord& record = pedigree.persons[person];
    for (int parent : {record.father, record.mother}) {
        if (parent >= 0 && reachesItself(pedigree, parent, state)) return true;
    }
    state[person] = 2;
    return false;
}

void validatePhenotype(const LocusModel& locus, const Phenotype& phenotype, bool hemizygous, bool observedHere,
                       const std::string& name) {
    if (locus.kind == LocusKind::NumberedAlleles) {
        const int a = locus.alleleCount();
        if (phenotype.allele1 < 0 || phenotype.allele1 > a || phenotype.allele2 < 0 || phenotype.allele2 > a) {
            fault(name + ": allele out of range");
        }
        if (hemizygous && phenotype.allele2 != 0) fault(name + ": a sex-linked male keeps allele2 at 0");
        if (!hemizygous && (phenotype.allele1 == 0) != (phenotype.allele2 == 0)) fault(name + ": half-typed");
        return;
    }
    if (!observedHere) return;
    if (phenotype.affection < 0 || phenotype.affection > 2) fault(name + ": affection status out of range");
    if (phenotype.liabilityClass < 1 || phenotype.liabilityClass > locus.liabilityClassCount()) {
        fault(name + ": liability class out of range");
    }
}

void validatePedigree(const Dataset& dataset, const PedigreeRecord& pedigree,
                      const std::optional<std::pair<int, int>>& trait) {
    const int n = static_cast<int>(pedigree.persons.size());
    const std::string pedName = "pedigree " + std::to_string(pedigree.id);
    if (n == 0) fault(pedName + " is empty");
    for (int j = 0; j < n; ++j) {
        const PersonRecord& person = pedigree.persons[j];
        const std::string name = pedName + " person " + std::to_string(j);
        if ((person.father < 0) != (person.mother < 0)) fault(name + " has only one parent");
        if (person.father >= n || person.mother >= n || person.father == j || person.mother == j) {
            fault(name + " has a parent link out of range");
        }
        if (person.father >= 0 && !pedigree.persons[person.father].isMale) fault(name + " has a female father");
        if (person.mother >= 0 && pedigree.persons[person.mother].isMale) fault(name + " has a male mother");
        if (person.phenotypes.size() != dataset.loci.size()) fault(name + " has the wrong number of phenotypes");
        for (size_t r = 0; r < dataset.loci.size(); ++r) {
            const LocusModel& locus = dataset.loci[r];
            const bool observedHere =
                locus.kind == LocusKind::AffectionStatus || (trait && static_cast<int>(r) == trait->second);
            validatePhenotype(locus, person.phenotypes[r], dataset.sexLinked && person.isMale, observedHere,
                              name + " locus " + std::to_string(r));
        }
    }
    std::vector<int> state(n, 0);
    for (int j = 0; j < n; ++j) {
        if (reachesItself(pedigree, j, state)) fault(pedName + " has a cycle of descent");
    }
}

}  // namespace

std::vector<int> filePositions(const Dataset& dataset) {
    std::vector<int> positions(dataset.order.size(), 0);
    for (size_t k = 0; k < dataset.order.size(); ++k) positions[dataset.order[k] - 1] = static_cast<int>(k);
    return positions;
}

std::optional<std::pair<int, int>> findTraitLoci(const Dataset& dataset) {
    std::vector<int> found;
    for (int entry : dataset.order) {
        const int r = entry - 1;
        if (r >= 0 && r < static_cast<int>(dataset.loci.size()) && dataset.loci[r].kind == LocusKind::TwoLocusTrait) {
            found.push_back(r);
        }
    }
    if (found.size() != 2) return std::nullopt;
    return std::make_pair(found[0], found[1]);
}

void validateDataset(const Dataset& dataset) {
    validateOrderAndLoci(dataset);
    const std::optional<std::pair<int, int>> trait = findTraitLoci(dataset);
    for (const PedigreeRecord& pedigree : dataset.pedigrees) validatePedigree(dataset, pedigree, trait);
}

std::vector<double> lodScoreThetas(const Dataset& dataset) {
    const double start = dataset.thetas.at(dataset.variedThetaIndex - 1);
    std::vector<double> values{0.5};
    if (start == 0.5) return values;
    if (start < dataset.thetaStop && !(dataset.thetaIncrement > 0.0)) {
        throw std::invalid_argument("the varied fraction would never reach its stop value");
    }
    double theta = start;
    do {
        values.push_back(theta);
        theta += dataset.thetaIncrement;
    } while (theta < dataset.thetaStop);
    return values;
}

Dataset withVariedTheta(const Dataset& dataset, double theta) {
    Dataset copy = dataset;
    copy.thetas.at(copy.variedThetaIndex - 1) = theta;
    return copy;
}

Dataset withRigidModel(const Dataset& dataset) {
    Dataset rigid = dataset;
    if (!rigid.thetas.empty()) rigid.thetaStop -= rigid.thetas.at(rigid.variedThetaIndex - 1);
    rigid.thetas.assign(rigid.thetas.size(), 0.0);
    for (LocusModel& locus : rigid.loci) {
        for (auto* table : {&locus.femalePenetrances, &locus.malePenetrances}) {
            for (std::vector<double>& row : *table) {
                for (double& penetrance : row) penetrance = penetrance < 0.5 ? 0.0 : 1.0;
            }
        }
    }
    return rigid;
}

Dataset onlyLoci(const Dataset& dataset, const std::vector<int>& keep) {
    Dataset part = dataset;
    part.programCode = 6;
    part.loci.clear();
    for (int r : keep) part.loci.push_back(dataset.loci[r]);
    part.order.resize(keep.size());
    std::iota(part.order.begin(), part.order.end(), 1);
    part.thetas.assign(keep.empty() ? 0 : keep.size() - 1, 0.5);
    for (PedigreeRecord& pedigree : part.pedigrees) {
        for (PersonRecord& person : pedigree.persons) {
            std::vector<Phenotype> kept;
            for (int r : keep) kept.push_back(person.phenotypes[r]);
            person.phenotypes = kept;
        }
    }
    return part;
}

std::vector<std::vector<int>> familiesOf(const PedigreeRecord& pedigree) {
    const int n = static_cast<int>(pedigree.persons.size());
    std::vector<int> root(n);
    std::iota(root.begin(), root.end(), 0);
    const std::function<int(int)> find = [&](int x) { return root[x] == x ? x : root[x] = find(root[x]); };
    for (int j = 0; j < n; ++j) {
        for (int parent : {pedigree.persons[j].father, pedigree.persons[j].mother}) {
            if (parent >= 0) root[find(j)] = find(parent);
        }
    }
    std::vector<std::vector<int>> families;
    std::vector<int> familyOfRoot(n, -1);
    for (int j = 0; j < n; ++j) {
        int& family = familyOfRoot[find(j)];
        if (family < 0) {
            family = static_cast<int>(families.size());
            families.emplace_back();
        }
        families[family].push_back(j);
    }
    return families;
}

Dataset withFamiliesApart(const Dataset& dataset) {
    Dataset apart = dataset;
    apart.pedigrees.clear();
    for (const PedigreeRecord& pedigree : dataset.pedigrees) {
        for (const std::vector<int>& family : familiesOf(pedigree)) {
            PedigreeRecord& part = apart.pedigrees.emplace_back();
            part.id = static_cast<int>(apart.pedigrees.size());
            std::vector<int> position(pedigree.persons.size(), -1);
            for (int j : family) {
                position[j] = static_cast<int>(part.persons.size());
                part.persons.push_back(pedigree.persons[j]);
            }
            for (PersonRecord& person : part.persons) {
                if (person.father >= 0) person.father = position[person.father];
                if (person.mother >= 0) person.mother = position[person.mother];
            }
        }
    }
    return apart;
}

}  // namespace pedlik::oracle
