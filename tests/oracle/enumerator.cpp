#include "oracle/enumerator.hpp"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string>

#include "oracle/descent.hpp"
#include "oracle/founder_allele_sum.hpp"

namespace pedlik::oracle {

namespace {

// Beyond these the vectors of the sums no longer fit a test's time budget.
constexpr int maxMeioses = 16;
constexpr int maxTraitMeioses = 10;
constexpr int maxTraitFounderAlleles = 14;

double penetranceFactor(double penetrance, int status) { return status == 2 ? penetrance : 1.0 - penetrance; }

// The observation of one person at one single locus, as a table over the
// alleles of the halves it has.
struct PersonFactor {
    int person = -1;
    bool hemizygous = false;  // a table over the maternal allele alone
    std::vector<double> table;
};

class PedigreeLikelihood {
public:
    PedigreeLikelihood(const Dataset& dataset, const PedigreeRecord& pedigree, FounderPhase phase,
                       std::span<const Condition> conditions)
        : dataset_(dataset),
          pedigree_(pedigree),
          phase_(phase),
          conditions_(conditions),
          descent_(describeDescent(dataset, pedigree)),
          vectorCount_(1u << descent_.meiosisCount) {}

    double compute();

private:
    bool hemizygous(int person) const { return dataset_.sexLinked && pedigree_.persons[person].isMale; }
    std::vector<PersonFactor> personFactors(int r) const;
    std::vector<double> phaseTable(int alleleCount) const;
    void trace(unsigned bits) {
        traceAlleles(descent_, pedigree_, dataset_.sexLinked, bits, paternalSource_, maternalSource_);
    }
    int source(int person, bool paternal) const { return paternal ? paternalSource_[person] : maternalSource_[person]; }
    std::vector<double> emission(int r);
    // The conditions of one kind at locus r.
    std::vector<const Condition*> conditionsAt(Condition::Kind kind, int r) const {
        std::vector<const Condition*> found;
        for (const Condition& condition : conditions_) {
            if (condition.kind == kind && condition.locus == r) found.push_back(&condition);
        }
        return found;
    }
    void applySelectorCondition(int r, std::vector<double>& values, unsigned stride) const;
    std::vector<std::vector<std::pair<int, double>>> traitPatterns(int r, const std::vector<int>& phenotyped);
    std::vector<double> traitEmission(int first, int second);
    void mix(std::vector<double>& values, double theta) const;
    double chain();
    double chainWithTrait(int first, int second);

    const Dataset& dataset_;
    const PedigreeRecord& pedigree_;
    FounderPhase phase_;
    std::span<const Condition> conditions_;  // empty: the data alone
    Descent descent_;
    unsigned vectorCount_;
    std::vector<int> paternalSource_;
    std::vector<int> maternalSource_;
    FounderAlleleSum sum_;
};

std::vector<PersonFactor> PedigreeLikelihood::personFactors(int r) const {
    const LocusModel& locus = dataset_.loci[r];
    const int alleles = locus.alleleCount();
    std::vector<PersonFactor> factors;
    for (int j = 0; j < static_cast<int>(pedigree_.persons.size()); ++j) {
        const Phenotype& phenotype = pedigree_.persons[j].phenotypes[r];
        PersonFactor factor{j, hemizygous(j), {}};
        if (locus.kind == LocusKind::NumberedAlleles) {
            if (phenotype.allele1 == 0) continue;
            const int x = phenotype.allele1 - 1;
            const int y = phenotype.allele2 - 1;
            if (factor.hemizygous) {
                factor.table.assign(alleles, 0.0);
                factor.table[x] = 1.0;
            } else {
                factor.table.assign(static_cast<size_t>(alleles) * alleles, 0.0);
                factor.table[x * alleles + y] = 1.0;
                factor.table[y * alleles + x] = 1.0;
            }
        } else {
            if (phenotype.affection == 0) continue;
            const int c = phenotype.liabilityClass - 1;
            if (factor.hemizygous) {
                for (int a = 0; a < 2; ++a) {
                    factor.table.push_back(penetranceFactor(locus.malePenetrances[c][a], phenotype.affection));
                }
            } else {
                for (int a = 0; a < 2; ++a) {
                    for (int b = 0; b < 2; ++b) {
                        factor.table.push_back(
                            penetranceFactor(locus.femalePenetrances[c][a + b], phenotype.affection));
                    }
                }
            }
        }
        factors.push_back(std::move(factor));
    }
    return factors;
}

// Weight of a founder's ordered genotype (paternal a, maternal b) beyond the
// two frequencies, under the network's ordering at locus 0.
std::vector<double> PedigreeLikelihood::phaseTable(int alleleCount) const {
    std::vector<double> table(static_cast<size_t>(alleleCount) * alleleCount, 0.0);
    for (int a = 0; a < alleleCount; ++a) {
        for (int b = a; b < alleleCount; ++b) table[a * alleleCount + b] = a == b ? 1.0 : 2.0;
    }
    return table;
}

void PedigreeLikelihood::applySelectorCondition(int r, std::vector<double>& values, unsigned stride) const {
    for (const Condition* condition : conditionsAt(Condition::Kind::Selector, r)) {
        const int meiosis = condition->paternal ? descent_.paternalMeiosis[condition->person]
                                                : descent_.maternalMeiosis[condition->person];
        for (size_t i = 0; i < values.size(); ++i) {
            const unsigned bits = static_cast<unsigned>(i / stride) % vectorCount_;
            if (static_cast<int>(bits >> meiosis & 1u) != condition->value) values[i] = 0.0;
        }
    }
}

// Per inheritance vector, the sum over the founder alleles of locus r.
std::vector<double> PedigreeLikelihood::emission(int r) {
    const LocusModel& locus = dataset_.loci[r];
    const std::vector<PersonFactor> persons = personFactors(r);
    const std::vector<double> phase = phaseTable(locus.alleleCount());
    const std::vector<const Condition*> alleleConditions = conditionsAt(Condition::Kind::Allele, r);
    std::vector<std::vector<double>> indicators;
    for (const Condition* condition : alleleConditions) {
        indicators.emplace_back(locus.alleleCount(), 0.0)[condition->value - 1] = 1.0;
    }
    std::vector<AlleleFactor> factors;
    std::vector<double> values(vectorCount_, 0.0);
    for (unsigned bits = 0; bits < vectorCount_; ++bits) {
        trace(bits);
        factors.clear();
        for (const PersonFactor& person : persons) {
            if (person.hemizygous) {
                factors.push_back({maternalSource_[person.person], -1, person.table.data()});
            } else {
                factors.push_back(
                    {paternalSource_[person.person], maternalSource_[person.person], person.table.data()});
            }
        }
        for (size_t c = 0; c < alleleConditions.size(); ++c) {
            factors.push_back({source(alleleConditions[c]->person, alleleConditions[c]->paternal), -1,
                               indicators[c].data()});
        }
        if (phase_ == FounderPhase::LowerAlleleFromFatherAtFirstLocus && r == 0) {
            for (size_t j = 0; j < pedigree_.persons.size(); ++j) {
                const int paternal = descent_.paternalFounderAllele[j];
                if (paternal >= 0) factors.push_back({paternal, descent_.maternalFounderAllele[j], phase.data()});
            }
        }
        values[bits] = sum_(descent_.founderAlleleCount, locus.frequencies, factors);
    }
    applySelectorCondition(r, values, 1);
    return values;
}

// For trait locus r (diallelic) and every inheritance vector: the total
// weight of the founder allele assignments that give the phenotyped persons
// each pattern of genotype codes (copies of allele 2, or a hemizygote's
// allele index), the pattern read as a base-3 number.
std::vector<std::vector<std::pair<int, double>>> PedigreeLikelihood::traitPatterns(int r,
                                                                                   const std::vector<int>& phenotyped) {
    const LocusModel& locus = dataset_.loci[r];
    const int founderAlleles = descent_.founderAlleleCount;
    int patternCount = 1;
    for (size_t k = 0; k < phenotyped.size(); ++k) patternCount *= 3;
    const std::vector<const Condition*> alleleConditions = conditionsAt(Condition::Kind::Allele, r);
    const bool ordered = phase_ == FounderPhase::LowerAlleleFromFatherAtFirstLocus && r == 0;
    std::vector<std::vector<std::pair<int, double>>> patterns(vectorCount_);
    std::vector<double> dense(patternCount);
    for (unsigned bits = 0; bits < vectorCount_; ++bits) {
        trace(bits);
        std::fill(dense.begin(), dense.end(), 0.0);
        for (unsigned assignment = 0; assignment < (1u << founderAlleles); ++assignment) {
            const auto allele = [assignment](int founderAllele) {
                return static_cast<int>(assignment >> founderAllele & 1u);
            };
            double weight = 1.0;
            for (int s = 0; s < founderAlleles; ++s) weight *= locus.frequencies[allele(s)];
            const auto violated = [&](const Condition* condition) {
                return allele(source(condition->person, condition->paternal)) != condition->value - 1;
            };
            if (std::any_of(alleleConditions.begin(), alleleConditions.end(), violated)) continue;
            for (size_t j = 0; ordered && j < pedigree_.persons.size(); ++j) {
                const int paternal = descent_.paternalFounderAllele[j];
                if (paternal < 0) continue;
                const int a = allele(paternal);
                const int b = allele(descent_.maternalFounderAllele[j]);
                weight *= a > b ? 0.0 : (a < b ? 2.0 : 1.0);
            }
            if (weight == 0.0) continue;
            int key = 0;
            for (size_t k = phenotyped.size(); k-- > 0;) {
                const int j = phenotyped[k];
                const int code = hemizygous(j) ? allele(maternalSource_[j])
                                               : allele(paternalSource_[j]) + allele(maternalSource_[j]);
                key = key * 3 + code;
            }
            dense[key] += weight;
        }
        for (int key = 0; key < patternCount; ++key) {
            if (dense[key] != 0.0) patterns[bits].emplace_back(key, dense[key]);
        }
    }
    return patterns;
}

// Joint sums over the founder alleles of both trait loci, for every pair of
// inheritance vectors (first locus slower), as a flat table.
std::vector<double> PedigreeLikelihood::traitEmission(int first, int second) {
    if (descent_.meiosisCount > maxTraitMeioses || descent_.founderAlleleCount > maxTraitFounderAlleles) {
        throw std::invalid_argument("pedigree too large for the brute-force two-locus trait");
    }
    const LocusModel& table = dataset_.loci[second];
    std::vector<int> phenotyped;
    // Per phenotyped person, its penetrance factor by (first code, second
    // code), row-major in rows of three.
    std::vector<std::array<double, 9>> factors;
    for (int j = 0; j < static_cast<int>(pedigree_.persons.size()); ++j) {
        const Phenotype& phenotype = pedigree_.persons[j].phenotypes[second];
        if (phenotype.affection == 0) continue;
        phenotyped.push_back(j);
        const int c = phenotype.liabilityClass - 1;
        std::array<double, 9> factor{};
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                if (hemizygous(j) && (row == 2 || column == 2)) continue;
                const double p = hemizygous(j) ? table.malePenetrances[c][row * 2 + column]
                                               : table.femalePenetrances[c][row * 3 + column];
                factor[row * 3 + column] = penetranceFactor(p, phenotype.affection);
            }
        }
        factors.push_back(factor);
    }
    const auto firstPatterns = traitPatterns(first, phenotyped);
    const auto secondPatterns = traitPatterns(second, phenotyped);
    const auto penetrance = [&](int firstKey, int secondKey) {
        double product = 1.0;
        for (const std::array<double, 9>& factor : factors) {
            product *= factor[firstKey % 3 * 3 + secondKey % 3];
            firstKey /= 3;
            secondKey /= 3;
        }
        return product;
    };
    const size_t patternCount = static_cast<size_t>(std::pow(3, phenotyped.size()) + 0.5);
    std::vector<int> secondKeys;
    std::vector<bool> seen(patternCount, false);
    for (const auto& patterns : secondPatterns) {
        for (const auto& [key, weight] : patterns) {
            if (!seen[key]) secondKeys.push_back(key);
            seen[key] = true;
        }
    }
    // For every first-locus pattern in use: its sum against every
    // second-locus vector.
    std::vector<int> slot(patternCount, -1);
    std::vector<std::vector<double>> againstSecond;
    std::vector<double> penetrances(patternCount, 0.0);
    for (const auto& patterns : firstPatterns) {
        for (const auto& [key, weight] : patterns) {
            if (slot[key] >= 0) continue;
            slot[key] = static_cast<int>(againstSecond.size());
            for (int secondKey : secondKeys) penetrances[secondKey] = penetrance(key, secondKey);
            std::vector<double> row(vectorCount_, 0.0);
            for (unsigned bits = 0; bits < vectorCount_; ++bits) {
                for (const auto& [secondKey, secondWeight] : secondPatterns[bits]) {
                    row[bits] += secondWeight * penetrances[secondKey];
                }
            }
            againstSecond.push_back(std::move(row));
        }
    }
    std::vector<double> joint(static_cast<size_t>(vectorCount_) * vectorCount_, 0.0);
    for (unsigned firstBits = 0; firstBits < vectorCount_; ++firstBits) {
        double* out = &joint[static_cast<size_t>(firstBits) * vectorCount_];
        for (const auto& [key, weight] : firstPatterns[firstBits]) {
            const std::vector<double>& row = againstSecond[slot[key]];
            for (unsigned bits = 0; bits < vectorCount_; ++bits) out[bits] += weight * row[bits];
        }
    }
    applySelectorCondition(first, joint, vectorCount_);
    applySelectorCondition(second, joint, 1);
    return joint;
}

// One step between adjacent loci: every meiosis keeps its bit with
// probability 1 - theta and flips it with probability theta.
void PedigreeLikelihood::mix(std::vector<double>& values, double theta) const {
    const double keep = 1.0 - theta;
    for (int meiosis = 0; meiosis < descent_.meiosisCount; ++meiosis) {
        const unsigned bit = 1u << meiosis;
        for (unsigned bits = 0; bits < vectorCount_; ++bits) {
            if ((bits & bit) != 0) continue;
            const double x = values[bits];
            const double y = values[bits | bit];
            values[bits] = keep * x + theta * y;
            values[bits | bit] = theta * x + keep * y;
        }
    }
}

double PedigreeLikelihood::chain() {
    std::vector<double> forward = emission(0);
    for (int r = 1; r < static_cast<int>(dataset_.loci.size()); ++r) {
        mix(forward, dataset_.thetas[r - 1]);
        const std::vector<double> here = emission(r);
        for (unsigned bits = 0; bits < vectorCount_; ++bits) forward[bits] *= here[bits];
    }
    return std::accumulate(forward.begin(), forward.end(), 0.0) / vectorCount_;
}

double PedigreeLikelihood::chainWithTrait(int first, int second) {
    const int lociCount = static_cast<int>(dataset_.loci.size());
    const auto multiply = [this](std::vector<double>& values, const std::vector<double>& by) {
        for (unsigned bits = 0; bits < vectorCount_; ++bits) values[bits] *= by[bits];
    };
    // Data of the loci before the first trait locus, per vector there.
    std::vector<double> before(vectorCount_, 1.0 / vectorCount_);
    for (int r = 0; r < first; ++r) {
        multiply(before, emission(r));
        mix(before, dataset_.thetas[r]);
    }
    // Data of the loci after the second trait locus, per vector there.
    std::vector<double> after(vectorCount_, 1.0);
    for (int r = lociCount - 1; r > second; --r) {
        multiply(after, emission(r));
        mix(after, dataset_.thetas[r - 1]);
    }
    std::vector<std::vector<double>> between;
    for (int r = first + 1; r < second; ++r) between.push_back(emission(r));
    const std::vector<double> joint = traitEmission(first, second);
    double total = 0.0;
    std::vector<double> path(vectorCount_);
    for (unsigned firstBits = 0; firstBits < vectorCount_; ++firstBits) {
        if (before[firstBits] == 0.0) continue;
        std::fill(path.begin(), path.end(), 0.0);
        path[firstBits] = 1.0;
        for (int r = first; r < second; ++r) {
            mix(path, dataset_.thetas[r]);
            if (r + 1 < second) multiply(path, between[r - first]);
        }
        double sum = 0.0;
        const double* row = &joint[static_cast<size_t>(firstBits) * vectorCount_];
        for (unsigned bits = 0; bits < vectorCount_; ++bits) sum += path[bits] * row[bits] * after[bits];
        total += before[firstBits] * sum;
    }
    return total;
}

double PedigreeLikelihood::compute() {
    if (descent_.meiosisCount > maxMeioses) throw std::invalid_argument("pedigree too large for brute force");
    const std::optional<std::pair<int, int>> trait = findTraitLoci(dataset_);
    return trait ? chainWithTrait(trait->first, trait->second) : chain();
}

const PedigreeRecord& pedigreeAt(const Dataset& dataset, int pedigreeIndex) {
    validateDataset(dataset);
    if (pedigreeIndex < 0 || pedigreeIndex >= static_cast<int>(dataset.pedigrees.size())) {
        throw std::invalid_argument("pedigree index out of range");
    }
    return dataset.pedigrees[pedigreeIndex];
}

void validateCondition(const Dataset& dataset, const PedigreeRecord& pedigree, const Condition& condition) {
    if (condition.person < 0 || condition.person >= static_cast<int>(pedigree.persons.size())) {
        throw std::invalid_argument("person out of range");
    }
    if (condition.locus < 0 || condition.locus >= static_cast<int>(dataset.loci.size())) {
        throw std::invalid_argument("locus out of range");
    }
    const PersonRecord& person = pedigree.persons[condition.person];
    if (condition.kind == Condition::Kind::Selector) {
        if (person.father < 0) throw std::invalid_argument("a founder has no selector");
        if (condition.paternal && dataset.sexLinked)
            throw std::invalid_argument("sex-linked data have no paternal selector");
        if (condition.value != 0 && condition.value != 1) throw std::invalid_argument("a selector is 0 or 1");
        return;
    }
    if (condition.paternal && dataset.sexLinked && person.isMale) {
        throw std::invalid_argument("a sex-linked male has no paternal allele");
    }
    if (condition.value < 1 || condition.value > dataset.loci[condition.locus].alleleCount()) {
        throw std::invalid_argument("allele out of range");
    }
}

}  // namespace

double likelihood(const Dataset& dataset, int pedigreeIndex, FounderPhase phase) {
    return PedigreeLikelihood(dataset, pedigreeAt(dataset, pedigreeIndex), phase, {}).compute();
}

double logLikelihood(const Dataset& dataset) {
    double total = 0.0;
    for (int i = 0; i < static_cast<int>(dataset.pedigrees.size()); ++i) {
        const double value = likelihood(dataset, i);
        if (!(value > 0.0)) return -DBL_MAX;
        total += std::log(value);
    }
    return total;
}

std::vector<double> reportLogLikelihoods(const Dataset& dataset) {
    std::vector<double> values;
    for (double theta : lodScoreThetas(dataset)) values.push_back(logLikelihood(withVariedTheta(dataset, theta)));
    return values;
}

double posterior(const Dataset& dataset, int pedigreeIndex, const Condition& condition, FounderPhase phase) {
    return jointPosterior(dataset, pedigreeIndex, std::span<const Condition>(&condition, 1), phase);
}

double jointPosterior(const Dataset& dataset, int pedigreeIndex, std::span<const Condition> conditions,
                      FounderPhase phase) {
    const PedigreeRecord& pedigree = pedigreeAt(dataset, pedigreeIndex);
    for (const Condition& condition : conditions) validateCondition(dataset, pedigree, condition);
    const double total = PedigreeLikelihood(dataset, pedigree, phase, {}).compute();
    if (total == 0.0) return std::numeric_limits<double>::quiet_NaN();
    return PedigreeLikelihood(dataset, pedigree, phase, conditions).compute() / total;
}

double posteriorAllele(const Dataset& dataset, int pedigreeIndex, int person, int internalLocus, bool paternal,
                       int allele, FounderPhase phase) {
    return posterior(dataset, pedigreeIndex, {Condition::Kind::Allele, person, internalLocus, paternal, allele}, phase);
}

double posteriorSelector(const Dataset& dataset, int pedigreeIndex, int person, int internalLocus, bool paternal,
                         int value, FounderPhase phase) {
    return posterior(dataset, pedigreeIndex, {Condition::Kind::Selector, person, internalLocus, paternal, value},
                     phase);
}

}  // namespace pedlik::oracle
