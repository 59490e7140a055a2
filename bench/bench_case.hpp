#pragma once

#include <cstdint>

#include "oracle/dataset.hpp"

namespace pedlik::bench {

// One generated bench case: the seed draws the family shape, the model and
// the typing; the rest is fixed here.
struct BenchCase {
    const char* name;
    std::uint64_t seed;
    int markers;
    int maxAlleles;
    int pedigrees;
    int personsPerPedigree;
    bool sexLinked;
};

// The gene-dropped dataset of a case, with marker allele counts from
// `minAlleles` to the case's maximum and at most `maxHaplotypes` marker
// haplotypes.
inline oracle::Dataset benchDataset(const BenchCase& benchCase, int minAlleles, std::int64_t maxHaplotypes) {
    oracle::GeneDropOptions options;
    options.minMarkers = options.maxMarkers = benchCase.markers;
    options.minAlleles = minAlleles;
    options.maxAlleles = benchCase.maxAlleles;
    options.maxHaplotypes = maxHaplotypes;
    options.minPedigrees = options.maxPedigrees = benchCase.pedigrees;
    options.minPersons = options.maxPersons = benchCase.personsPerPedigree;
    options.sexLinked = benchCase.sexLinked;
    return oracle::geneDroppedDataset(benchCase.seed, options);
}

}  // namespace pedlik::bench
