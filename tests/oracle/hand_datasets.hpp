#pragma once

#include <numeric>
#include <utility>
#include <vector>

#include "oracle/dataset.hpp"

// Short spellings for datasets written out by hand in tests.
namespace pedlik::oracle::hand {

inline LocusModel marker(std::vector<double> frequencies) {
    return {LocusKind::NumberedAlleles, std::move(frequencies), {}, {}};
}

inline LocusModel affection(std::vector<double> frequencies, std::vector<std::vector<double>> female,
                            std::vector<std::vector<double>> male = {}) {
    return {LocusKind::AffectionStatus, std::move(frequencies), std::move(female), std::move(male)};
}

// A trait locus; only the second one (in file order) carries the tables.
inline LocusModel trait(std::vector<double> frequencies, std::vector<std::vector<double>> female = {},
                        std::vector<std::vector<double>> male = {}) {
    return {LocusKind::TwoLocusTrait, std::move(frequencies), std::move(female), std::move(male)};
}

inline Phenotype alleles(int first, int second) { return {first, second, 0, 1}; }
inline Phenotype hemizygote(int allele) { return {allele, 0, 0, 1}; }
inline Phenotype status(int affection, int liabilityClass = 1) { return {0, 0, affection, liabilityClass}; }
inline Phenotype unknown() { return {}; }

inline PersonRecord founder(bool isMale, std::vector<Phenotype> phenotypes) {
    return {-1, -1, isMale, std::move(phenotypes)};
}

inline PersonRecord child(int father, int mother, bool isMale, std::vector<Phenotype> phenotypes) {
    return {father, mother, isMale, std::move(phenotypes)};
}

// Identity order; program code 6, so that no mode line is needed.
inline Dataset dataset(std::vector<LocusModel> loci, std::vector<double> thetas,
                       std::vector<std::vector<PersonRecord>> pedigrees, bool sexLinked = false) {
    Dataset result;
    result.sexLinked = sexLinked;
    result.programCode = 6;
    result.order.resize(loci.size());
    std::iota(result.order.begin(), result.order.end(), 1);
    result.loci = std::move(loci);
    result.thetas = std::move(thetas);
    for (size_t p = 0; p < pedigrees.size(); ++p) {
        result.pedigrees.push_back({static_cast<int>(p) + 1, std::move(pedigrees[p])});
    }
    return result;
}

}  // namespace pedlik::oracle::hand
