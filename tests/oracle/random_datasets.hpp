#pragma once

#include <cstdint>
#include <optional>

#include "oracle/dataset.hpp"

// Seeded random problems: the same seed gives the same dataset.
namespace pedlik::oracle {

struct TinyOptions {
    bool geneDropped = true;  // consistent phenotypes; false: drawn at random, often inconsistent
    int minLoci = 1;
    int maxLoci = 3;
    int maxPersons = 6;  // per pedigree
    int maxPedigrees = 3;
    std::optional<bool> sexLinked;  // unset: either, at random
    bool allowTwoLocusTrait = true;
    bool allowUnconnectedFamilies = true;  // two or three families under one pedigree number
    int programCode = 5;                   // a single-locus dataset gets 6: it has no fraction to vary
};

// 1 to maxPedigrees pedigrees of 1 to maxPersons persons in the shapes of
// tinyFamily; loci of every kind (affection status with 1-3 liability
// classes, numbered alleles with 2-4 alleles, a two-locus trait pair whose
// table is on the second in file order, which has the higher internal
// index), random order line, frequencies in thousandths, penetrances
// sometimes 0 or 1, fractions in [0, 0.5] sometimes 0 or 0.5. The mode line
// visits a few values, its stop half an increment past the last one.
Dataset randomTinyDataset(std::uint64_t seed, const TinyOptions& options = {});

struct GeneDropOptions {
    int minPersons = 3;  // per pedigree
    int maxPersons = 60;
    int minPedigrees = 1;
    int maxPedigrees = 4;
    int minMarkers = 1;
    int maxMarkers = 5;  // with the affection locus FASTLINK takes at most 6 loci
    int minAlleles = 2;  // per marker, also under maxHaplotypes
    int maxAlleles = 8;
    int maxLiabilityClasses = 3;
    std::int64_t maxHaplotypes = 1000;  // product of the allele counts, kept small for FASTLINK
    std::optional<bool> sexLinked;
};

// Realistic data for FASTLINK comparisons: grownFamily pedigrees over 2 to 4
// generations, one affection-status locus and numbered-allele markers in
// identity order, program code 5, phenotypes by gene dropping with partial
// typing but someone observed at every locus of every pedigree.
Dataset geneDroppedDataset(std::uint64_t seed, const GeneDropOptions& options = {});

}  // namespace pedlik::oracle
