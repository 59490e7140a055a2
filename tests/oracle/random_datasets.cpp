#include "oracle/random_datasets.hpp"

#include <algorithm>
#include <functional>
#include <numeric>

#include "oracle/pedigree_shapes.hpp"
#include "oracle/phenotype_drawing.hpp"
#include "oracle/random_source.hpp"

namespace pedlik::oracle {

namespace {

// Frequencies in thousandths that sum to exactly 1000, each at least 12, so
// that they read back from text exactly and none is 0.
std::vector<double> randomFrequencies(RandomSource& random, int alleles) {
    std::vector<int> weights(alleles);
    for (int& weight : weights) weight = random.between(10, 100);
    const int total = std::accumulate(weights.begin(), weights.end(), 0);
    std::vector<double> frequencies;
    int assigned = 0;
    for (int a = 0; a + 1 < alleles; ++a) {
        const int thousandths = weights[a] * 1000 / total;
        assigned += thousandths;
        frequencies.push_back(thousandths / 1000.0);
    }
    frequencies.push_back((1000 - assigned) / 1000.0);
    return frequencies;
}

// A value in thousandths from 0 to `top`, with each end drawn outright
// once in `oneIn` draws, since the ends are where models are most fragile.
double thousandthsWithEnds(RandomSource& random, int oneIn, int top) {
    const int kind = random.below(oneIn);
    if (kind == 0) return 0.0;
    if (kind == 1) return top / 1000.0;
    return random.between(0, top) / 1000.0;
}

double randomPenetrance(RandomSource& random) { return thousandthsWithEnds(random, 10, 1000); }

std::vector<std::vector<double>> randomPenetrances(RandomSource& random, int classes, int width) {
    std::vector<std::vector<double>> table(classes, std::vector<double>(width));
    for (std::vector<double>& row : table) {
        for (double& p : row) p = randomPenetrance(random);
    }
    return table;
}

// An affection-status locus, or the table-carrying locus of a two-locus
// trait: diallelic, with penetrances per class.
LocusModel locusWithTable(RandomSource& random, LocusKind kind, int classes, bool sexLinked) {
    const bool affection = kind == LocusKind::AffectionStatus;
    LocusModel locus;
    locus.kind = kind;
    locus.frequencies = randomFrequencies(random, 2);
    locus.femalePenetrances = randomPenetrances(random, classes, affection ? 3 : 9);
    if (sexLinked) locus.malePenetrances = randomPenetrances(random, classes, affection ? 2 : 4);
    return locus;
}

LocusModel locusWithoutTable(RandomSource& random, LocusKind kind, int alleles) {
    LocusModel locus;
    locus.kind = kind;
    locus.frequencies = randomFrequencies(random, alleles);
    return locus;
}

double randomTheta(RandomSource& random) { return thousandthsWithEnds(random, 8, 500); }

// A few values of the varied fraction, none above 0.5; the stop value lies
// half an increment past the last, where no rounding of the repeated
// addition can move a value across it.
void chooseModeLine(Dataset& dataset, RandomSource& random) {
    dataset.variedThetaIndex = random.between(1, static_cast<int>(dataset.thetas.size()));
    const double start = dataset.thetas[dataset.variedThetaIndex - 1];
    dataset.thetaIncrement = random.between(1, 20) / 100.0;
    int values = random.between(1, 3);
    while (values > 1 && start + (values - 1) * dataset.thetaIncrement > 0.5) --values;
    dataset.thetaStop = start + (values - 0.5) * dataset.thetaIncrement;
}

std::vector<int> randomPermutation(RandomSource& random, int n) {
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 1);
    for (int k = n - 1; k > 0; --k) std::swap(order[k], order[random.below(k + 1)]);
    return order;
}

void addTinyLoci(Dataset& dataset, RandomSource& random, const TinyOptions& options) {
    const int lociCount = random.between(options.minLoci, options.maxLoci);
    int firstTrait = -1;
    int secondTrait = -1;
    if (options.allowTwoLocusTrait && lociCount >= 2 && random.chance(0.35)) {
        firstTrait = random.below(lociCount - 1);
        secondTrait = random.between(firstTrait + 1, lociCount - 1);
    }
    for (int r = 0; r < lociCount; ++r) {
        if (r == firstTrait) {
            dataset.loci.push_back(locusWithoutTable(random, LocusKind::TwoLocusTrait, 2));
        } else if (r == secondTrait) {
            dataset.loci.push_back(
                locusWithTable(random, LocusKind::TwoLocusTrait, random.between(1, 3), dataset.sexLinked));
        } else if (random.chance(0.35)) {
            dataset.loci.push_back(
                locusWithTable(random, LocusKind::AffectionStatus, random.between(1, 3), dataset.sexLinked));
        } else {
            dataset.loci.push_back(locusWithoutTable(random, LocusKind::NumberedAlleles, random.between(2, 4)));
        }
    }
    dataset.order = randomPermutation(random, lociCount);
    if (firstTrait >= 0) {
        // The table belongs to the second trait locus in file order, which
        // must also be the later one in the map.
        std::vector<int> position = filePositions(dataset);
        if (position[firstTrait] > position[secondTrait]) {
            std::swap(dataset.order[position[firstTrait]], dataset.order[position[secondTrait]]);
        }
    }
    for (int i = 0; i + 1 < lociCount; ++i) dataset.thetas.push_back(randomTheta(random));
}

TypingRates randomRates(RandomSource& random, double low, double high) {
    return {low + (high - low) * random.unit(), low + (high - low) * random.unit()};
}

}  // namespace

Dataset randomTinyDataset(std::uint64_t seed, const TinyOptions& options) {
    RandomSource random(seed);
    Dataset dataset;
    dataset.sexLinked = options.sexLinked.value_or(random.chance(0.3));
    addTinyLoci(dataset, random, options);
    dataset.programCode = dataset.loci.size() == 1 ? 6 : options.programCode;
    if (dataset.programCode == 4 || dataset.programCode == 5) chooseModeLine(dataset, random);
    const int pedigreeCount = random.between(1, options.maxPedigrees);
    for (int p = 0; p < pedigreeCount; ++p) {
        PedigreeRecord pedigree;
        pedigree.id = p + 1;
        pedigree.persons = tinyFamily(random, options.maxPersons, options.allowUnconnectedFamilies);
        const TypingRates rates = randomRates(random, 0.4, 0.9);
        if (options.geneDropped) {
            dropGenes(dataset, pedigree, random, rates, false);
        } else {
            drawRandomPhenotypes(dataset, pedigree, random, rates);
        }
        dataset.pedigrees.push_back(std::move(pedigree));
    }
    validateDataset(dataset);
    return dataset;
}

Dataset geneDroppedDataset(std::uint64_t seed, const GeneDropOptions& options) {
    RandomSource random(seed);
    Dataset dataset;
    dataset.sexLinked = options.sexLinked.value_or(random.chance(0.3));
    const int markers = random.between(options.minMarkers, options.maxMarkers);
    const int lociCount = markers + 1;
    const int affection = random.below(lociCount);
    std::vector<int> alleles(lociCount, 2);
    for (int r = 0; r < lociCount; ++r) {
        if (r != affection) alleles[r] = random.between(options.minAlleles, options.maxAlleles);
    }
    const auto haplotypes = [&] {
        return std::accumulate(alleles.begin(), alleles.end(), std::int64_t{1}, std::multiplies<>());
    };
    while (haplotypes() > options.maxHaplotypes) {
        int& largest = *std::max_element(alleles.begin(), alleles.end());
        if (largest <= options.minAlleles) break;
        --largest;
    }
    const int classes = random.between(1, options.maxLiabilityClasses);
    for (int r = 0; r < lociCount; ++r) {
        dataset.loci.push_back(r == affection
                                   ? locusWithTable(random, LocusKind::AffectionStatus, classes, dataset.sexLinked)
                                   : locusWithoutTable(random, LocusKind::NumberedAlleles, alleles[r]));
    }
    dataset.order.resize(lociCount);
    std::iota(dataset.order.begin(), dataset.order.end(), 1);
    for (int i = 0; i + 1 < lociCount; ++i) dataset.thetas.push_back(random.between(1, 500) / 1000.0);
    dataset.programCode = 5;
    chooseModeLine(dataset, random);
    const int pedigreeCount = random.between(options.minPedigrees, options.maxPedigrees);
    for (int p = 0; p < pedigreeCount; ++p) {
        PedigreeRecord pedigree;
        pedigree.id = p + 1;
        pedigree.persons =
            grownFamily(random, random.between(options.minPersons, options.maxPersons), random.between(2, 4));
        dropGenes(dataset, pedigree, random, randomRates(random, 0.5, 0.9), true);
        dataset.pedigrees.push_back(std::move(pedigree));
    }
    validateDataset(dataset);
    return dataset;
}

}  // namespace pedlik::oracle
