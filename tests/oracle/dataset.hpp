#pragma once

#include <optional>
#include <utility>
#include <vector>

// A plain in-memory description of one linkage problem, independent of
// pedlik's own records, so that the oracles built on it share nothing with
// the code they check.
namespace pedlik::oracle {

enum class LocusKind { AffectionStatus, NumberedAlleles, TwoLocusTrait };

struct LocusModel {
    LocusKind kind = LocusKind::NumberedAlleles;
    std::vector<double> frequencies;  // allele 1 first; its size is the allele count
    // Per liability class, for affection-status loci and for the trait locus
    // that carries the table (the second trait locus in file order):
    // affection status: female 3 entries (genotypes 1/1, 1/2, 2/2), male 2
    // (hemizygous 1, 2); two-locus trait: female 9 entries, row = copies of
    // allele 2 at the first trait locus, column = copies at the second; male
    // 4, row = allele index at the first trait locus, column = at the second.
    // Female penetrances serve both sexes in autosomal data; male ones exist
    // only in sex-linked data.
    std::vector<std::vector<double>> femalePenetrances;
    std::vector<std::vector<double>> malePenetrances;

    int alleleCount() const { return static_cast<int>(frequencies.size()); }
    int liabilityClassCount() const { return static_cast<int>(femalePenetrances.size()); }
};

// One person's observation at one internal locus.
struct Phenotype {
    // Numbered alleles: 0 0 = untyped. A male of sex-linked data keeps his
    // single allele in allele1 and 0 in allele2.
    int allele1 = 0;
    int allele2 = 0;
    // Affection status and the table-carrying trait locus: 0 unknown,
    // 1 unaffected, 2 affected; liability class 1-based.
    int affection = 0;
    int liabilityClass = 1;
};

struct PersonRecord {
    int father = -1;  // 0-based line position in the pedigree, -1 for none
    int mother = -1;
    bool isMale = false;
    std::vector<Phenotype> phenotypes;  // by internal locus index
};

struct PedigreeRecord {
    int id = 1;
    std::vector<PersonRecord> persons;  // in line order
};

struct Dataset {
    bool sexLinked = false;
    int programCode = 5;
    std::vector<LocusModel> loci;  // internal (map) order
    // The order line: description k of the locus file (and phenotype group k
    // of every pedigree line) is internal locus order[k] - 1.
    std::vector<int> order;
    std::vector<double> thetas;  // thetas[i]: between internal loci i and i + 1
    int variedThetaIndex = 1;    // 1-based into thetas
    double thetaIncrement = 0.1;
    double thetaStop = 0.5;
    std::vector<PedigreeRecord> pedigrees;
};

// Throws std::invalid_argument naming the first structural fault: sizes that
// disagree, an order line that is no permutation, links out of range or to
// the wrong sex, a person with only one parent, a cycle of descent, alleles
// or classes out of range, a two-locus trait that is not exactly two loci
// with its table on the second in file order at the higher internal index.
void validateDataset(const Dataset& dataset);

// File position of every internal locus: the inverse of the order line.
std::vector<int> filePositions(const Dataset& dataset);

// Internal indices of the two trait loci (first, second in file order), or
// nothing when the dataset has no two-locus trait.
std::optional<std::pair<int, int>> findTraitLoci(const Dataset& dataset);

// The values the LOD-score report visits for the varied fraction, in report
// order: 0.5 first, then the start value stepped by repeated addition while
// below the stop value (at least once), unless the start value is 0.5.
std::vector<double> lodScoreThetas(const Dataset& dataset);

// A copy with the varied recombination fraction set to `theta`.
Dataset withVariedTheta(const Dataset& dataset, double theta);

// A copy with complete linkage (every fraction 0) and every penetrance
// rounded to 0 or 1: data dropped under the original model then often have
// likelihood 0 in ways that no single locus or person shows. The varied
// fraction starts at 0 and visits as many values as before.
Dataset withRigidModel(const Dataset& dataset);

// A copy with only the internal loci `keep` (ascending), in identity order,
// every fraction between them 0.5, and program code 6.
Dataset onlyLoci(const Dataset& dataset, const std::vector<int>& keep);

// The families of a pedigree: the sets of persons linked through parents,
// each in line order, ordered by their first person.
std::vector<std::vector<int>> familiesOf(const PedigreeRecord& pedigree);

// A copy in which every family of every pedigree is a pedigree of its own,
// in the same order, numbered from 1.
Dataset withFamiliesApart(const Dataset& dataset);

}  // namespace pedlik::oracle
