#pragma once

#include <cstdint>

#include "oracle/dataset.hpp"

// Bench data shaped like a linkage study's: one or two large pedigrees of
// three to five generations with married-in spouses (some married twice),
// optionally a marriage between two descendants of the founders (a loop);
// the founders and the dead mostly untyped and markers missing elsewhere,
// so that a third to a half of the marker genotypes are unknown; markers of
// 5 to 8 alleles with no rare allele, one affection locus with 1 to 3
// liability classes. Genes are dropped under the case's own model.
namespace pedlik::bench {

struct BenchCase {
    const char* name;
    std::uint64_t seed;
    int markers;  // besides the affection locus
    int minAlleles, maxAlleles;
    int pedigrees, personsPerPedigree, generations;
    bool sexLinked;
    bool loop;  // FASTLINK would need loop breakers: pedlik alone

};

oracle::Dataset benchDataset(const BenchCase& benchCase);
// The share of marker genotypes (persons times markers) left untyped.
double unknownMarkerShare(const oracle::Dataset& data);

}  // namespace pedlik::bench
