#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

// A linkage problem held apart from pedlik's own records, so that the oracles
// built on it share nothing with the code they check.
namespace pedlik::oracle {

enum class LocusKind { AffectionStatus, NumberedAlleles, TwoLocusTrait };

struct LocusModel {
    LocusKind kind = LocusKind::NumberedAlleles;
    std::vector<double> frequencies;
    // Per liability class. Affection status: female by copies of allele 2,
    // male by his allele. Two-locus trait (on the second trait locus in file
    // order only): female 3 x 3 by copies at the first and second trait
    // locus, male 2 x 2 by allele.
    std::vector<std::vector<double>> femalePenetrances, malePenetrances;
    int alleleCount() const { return static_cast<int>(frequencies.size()); }
    int liabilityClassCount() const { return static_cast<int>(femalePenetrances.size()); }
};

struct Phenotype {
    int allele1 = 0, allele2 = 0;  // 0 0 untyped; a sex-linked male has allele2 0
    int affection = 0, liabilityClass = 1;
};

struct PersonRecord {
    int father = -1, mother = -1;  // 0-based line positions
    bool isMale = false;
    std::vector<Phenotype> phenotypes;  // by internal locus
    int loopBreaker = 0;  // the ninth column: 2 or more on both copies of a person written twice
};

struct PedigreeRecord {
    int id = 1;
    std::vector<PersonRecord> persons;
};

struct Dataset {
    bool sexLinked = false;
    int programCode = 5;
    std::vector<LocusModel> loci;  // internal (map) order
    std::vector<int> order;        // file description k is internal locus order[k] - 1
    std::vector<double> thetas;    // thetas[i] between internal loci i and i + 1
    int variedThetaIndex = 1;
    double thetaIncrement = 0.1, thetaStop = 0.5;
    std::vector<PedigreeRecord> pedigrees;
};

// Internal indices of the two trait loci, the table carrier second.
std::optional<std::pair<int, int>> findTraitLoci(const Dataset& dataset);
// The varied fraction's values in LOD-score report order: 0.5, then the
// start stepped while below the stop (at least once) unless it is 0.5.
std::vector<double> lodScoreThetas(const Dataset& dataset);
Dataset withVariedTheta(Dataset dataset, double theta);
// Complete linkage and penetrances rounded to 0 or 1: data dropped under the
// original model then often have likelihood 0 at some values only.
Dataset withRigidModel(Dataset dataset);
// Each pedigree's first two persons with parents and children written twice
// as makeped breaks a loop: the copy, appended, a founder with the children.
Dataset withLoopsBroken(Dataset dataset);
// Internal locus `locus` alone, program code 6.
Dataset onlyLocus(const Dataset& dataset, int locus);

// A dataset written by hand: identity order, program code 6.
Dataset handDataset(std::vector<LocusModel> loci, std::vector<double> thetas, std::vector<std::vector<PersonRecord>> pedigrees, bool sexLinked = false);

// Draws on the engine's raw output: the same seed gives the same dataset with
// every standard library.
struct Random {
    std::mt19937_64 engine;
    int below(int n) { return static_cast<int>(engine() % static_cast<std::uint64_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return static_cast<double>(engine() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    // Thousandths up to `top`, each end drawn outright once in `oneIn`: the
    // ends are where models are fragile.
    double withEnds(int oneIn, int top) {
        const int kind = below(oneIn);
        return (kind == 0 ? 0 : kind == 1 ? top : between(0, top)) / 1000.0;
    }
};

struct TinyOptions {
    bool geneDropped = true;  // false: phenotypes drawn at random, often inconsistent
    int minLoci = 1, maxLoci = 3, maxPersons = 6, maxPedigrees = 3;
    std::optional<bool> sexLinked = std::nullopt;
};
// Random pedigrees (loops, half-sibs, unconnected families, parents after
// children) and loci of every kind in a random order; deterministic per seed.
Dataset randomTinyDataset(std::uint64_t seed, const TinyOptions& options = {});

struct GeneDropOptions {
    int minPersons = 3, maxPersons = 60, minPedigrees = 1, maxPedigrees = 4;
    int minMarkers = 1, maxMarkers = 5, maxAlleles = 8;
};
// Loop-free families of 2 to 4 generations, one affection locus and markers
// of 2 to maxAlleles alleles (300 haplotypes at most) in identity order,
// someone observed at every locus: data FASTLINK takes.
Dataset geneDroppedDataset(std::uint64_t seed, const GeneDropOptions& options = {});

// The locus file serves FASTLINK too where the order line is its own inverse
// (FASTLINK reads it inversely) and there is no two-locus trait, as in
// geneDroppedDataset; its pedigree file has a sex-linked male's allele twice.
std::string toPedlikLocusFile(const Dataset& dataset);
std::string toPedlikPedigreeFile(const Dataset& dataset);
std::string toLinkagePedigreeFile(const Dataset& dataset);
// Pedigree, person, father, mother, sex, phenotypes; person numbers that are not line positions.
std::string toPreMakepedPedigreeFile(const Dataset& dataset);

// Short spellings for datasets written by hand.
namespace hand {
inline LocusModel marker(std::vector<double> f) { return {LocusKind::NumberedAlleles, std::move(f), {}, {}}; }
using Table = std::vector<std::vector<double>>;
inline LocusModel affection(std::vector<double> f, Table female, Table male = {}) { return {LocusKind::AffectionStatus, std::move(f), std::move(female), std::move(male)}; }
inline LocusModel trait(std::vector<double> f, Table female = {}, Table male = {}) { return {LocusKind::TwoLocusTrait, std::move(f), std::move(female), std::move(male)}; }
inline Phenotype status(int affection, int liabilityClass = 1) { return {0, 0, affection, liabilityClass}; }
inline PersonRecord founder(bool isMale, std::vector<Phenotype> phenotypes) { return {-1, -1, isMale, phenotypes}; }
inline PersonRecord child(int father, int mother, bool isMale, std::vector<Phenotype> phenotypes) { return {father, mother, isMale, phenotypes}; }
}  // namespace hand

}  // namespace pedlik::oracle
