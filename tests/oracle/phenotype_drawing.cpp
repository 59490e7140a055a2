#include "oracle/phenotype_drawing.hpp"

#include <numeric>
#include <optional>
#include <vector>

#include "oracle/descent.hpp"

namespace pedlik::oracle {

namespace {

int drawAllele(RandomSource& random, const std::vector<double>& frequencies) {
    double u = random.unit() * std::accumulate(frequencies.begin(), frequencies.end(), 0.0);
    for (size_t a = 0; a + 1 < frequencies.size(); ++a) {
        if (u < frequencies[a]) return static_cast<int>(a);
        u -= frequencies[a];
    }
    return static_cast<int>(frequencies.size()) - 1;
}

// Alleles (0-based, -1 for a missing half) of every person at every locus.
struct Genes {
    std::vector<std::vector<int>> paternal;
    std::vector<std::vector<int>> maternal;
};

// Which parental allele each locus receives along one meiosis: 1/2 at the
// first locus, then a switch with probability theta per interval.
std::vector<int> drawSelectors(const Dataset& dataset, RandomSource& random) {
    std::vector<int> selectors(dataset.loci.size());
    selectors[0] = random.chance(0.5) ? 1 : 0;
    for (size_t r = 1; r < selectors.size(); ++r) {
        selectors[r] = random.chance(dataset.thetas[r - 1]) ? 1 - selectors[r - 1] : selectors[r - 1];
    }
    return selectors;
}

Genes dropFromFounders(const Dataset& dataset, const PedigreeRecord& pedigree, RandomSource& random) {
    const size_t n = pedigree.persons.size();
    const size_t lociCount = dataset.loci.size();
    Genes genes{std::vector<std::vector<int>>(n, std::vector<int>(lociCount, -1)),
                std::vector<std::vector<int>>(n, std::vector<int>(lociCount, -1))};
    for (int j : describeDescent(dataset, pedigree).parentsFirst) {
        const PersonRecord& person = pedigree.persons[j];
        const bool hemizygous = dataset.sexLinked && person.isMale;
        if (person.father < 0) {
            for (size_t r = 0; r < lociCount; ++r) {
                if (!hemizygous) genes.paternal[j][r] = drawAllele(random, dataset.loci[r].frequencies);
                genes.maternal[j][r] = drawAllele(random, dataset.loci[r].frequencies);
            }
            continue;
        }
        const std::vector<int> fromMother = drawSelectors(dataset, random);
        const std::vector<int> fromFather = dataset.sexLinked ? std::vector<int>() : drawSelectors(dataset, random);
        for (size_t r = 0; r < lociCount; ++r) {
            const int father = person.father;
            const int mother = person.mother;
            genes.maternal[j][r] = fromMother[r] == 1 ? genes.paternal[mother][r] : genes.maternal[mother][r];
            if (!dataset.sexLinked) {
                genes.paternal[j][r] = fromFather[r] == 1 ? genes.paternal[father][r] : genes.maternal[father][r];
            } else if (!hemizygous) {
                genes.paternal[j][r] = genes.maternal[father][r];
            }
        }
    }
    return genes;
}

// Whether the phenotype of locus r is observed (numbered alleles typed, or
// a status known); the first trait locus has no phenotype of its own.
bool observed(const Dataset& dataset, int r, const Phenotype& phenotype) {
    return dataset.loci[r].kind == LocusKind::NumberedAlleles ? phenotype.allele1 != 0 : phenotype.affection != 0;
}

class Observer {
public:
    Observer(const Dataset& dataset, PedigreeRecord& pedigree, RandomSource& random, const Genes& genes)
        : dataset_(dataset), pedigree_(pedigree), random_(random), genes_(genes), trait_(findTraitLoci(dataset)) {}

    bool hasPhenotype(int r) const {
        return dataset_.loci[r].kind != LocusKind::TwoLocusTrait || (trait_ && r == trait_->second);
    }

    // Observes person j at locus r when `observe` says so; a status locus
    // always gets its liability class.
    void observe(int j, int r, bool observe) {
        const LocusModel& locus = dataset_.loci[r];
        Phenotype& phenotype = pedigree_.persons[j].phenotypes[r];
        const bool hemizygous = dataset_.sexLinked && pedigree_.persons[j].isMale;
        const int paternal = genes_.paternal[j][r];
        const int maternal = genes_.maternal[j][r];
        if (locus.kind == LocusKind::NumberedAlleles) {
            if (!observe) return;
            if (hemizygous) {
                phenotype.allele1 = maternal + 1;
                phenotype.allele2 = 0;
            } else {
                const bool swap = random_.chance(0.5);
                phenotype.allele1 = (swap ? maternal : paternal) + 1;
                phenotype.allele2 = (swap ? paternal : maternal) + 1;
            }
            return;
        }
        const int c = random_.below(locus.liabilityClassCount());
        phenotype.liabilityClass = c + 1;
        if (!observe) return;
        double penetrance = 0.0;
        if (locus.kind == LocusKind::AffectionStatus) {
            penetrance =
                hemizygous ? locus.malePenetrances[c][maternal] : locus.femalePenetrances[c][paternal + maternal];
        } else {
            const int first = trait_->first;
            const int firstMaternal = genes_.maternal[j][first];
            penetrance =
                hemizygous
                    ? locus.malePenetrances[c][firstMaternal * 2 + maternal]
                    : locus.femalePenetrances[c][(genes_.paternal[j][first] + firstMaternal) * 3 + paternal + maternal];
        }
        phenotype.affection = random_.chance(penetrance) ? 2 : 1;
    }

private:
    const Dataset& dataset_;
    PedigreeRecord& pedigree_;
    RandomSource& random_;
    const Genes& genes_;
    std::optional<std::pair<int, int>> trait_;
};

void resetPhenotypes(const Dataset& dataset, PedigreeRecord& pedigree) {
    for (PersonRecord& person : pedigree.persons) person.phenotypes.assign(dataset.loci.size(), Phenotype{});
}

}  // namespace

void dropGenes(const Dataset& dataset, PedigreeRecord& pedigree, RandomSource& random, const TypingRates& rates,
               bool observeEveryLocus) {
    resetPhenotypes(dataset, pedigree);
    const Genes genes = dropFromFounders(dataset, pedigree, random);
    Observer observer(dataset, pedigree, random, genes);
    const int n = static_cast<int>(pedigree.persons.size());
    for (int r = 0; r < static_cast<int>(dataset.loci.size()); ++r) {
        if (!observer.hasPhenotype(r)) continue;
        const double rate = dataset.loci[r].kind == LocusKind::NumberedAlleles ? rates.marker : rates.status;
        bool anyone = false;
        for (int j = 0; j < n; ++j) {
            observer.observe(j, r, random.chance(rate));
            anyone = anyone || observed(dataset, r, pedigree.persons[j].phenotypes[r]);
        }
        if (observeEveryLocus && !anyone) observer.observe(random.below(n), r, true);
    }
}

void drawRandomPhenotypes(const Dataset& dataset, PedigreeRecord& pedigree, RandomSource& random,
                          const TypingRates& rates) {
    resetPhenotypes(dataset, pedigree);
    const std::optional<std::pair<int, int>> trait = findTraitLoci(dataset);
    for (PersonRecord& person : pedigree.persons) {
        const bool hemizygous = dataset.sexLinked && person.isMale;
        for (int r = 0; r < static_cast<int>(dataset.loci.size()); ++r) {
            const LocusModel& locus = dataset.loci[r];
            Phenotype& phenotype = person.phenotypes[r];
            if (locus.kind == LocusKind::NumberedAlleles) {
                if (!random.chance(rates.marker)) continue;
                phenotype.allele1 = random.between(1, locus.alleleCount());
                phenotype.allele2 = hemizygous ? 0 : random.between(1, locus.alleleCount());
                continue;
            }
            if (locus.kind == LocusKind::TwoLocusTrait && r != trait->second) continue;
            phenotype.liabilityClass = random.between(1, locus.liabilityClassCount());
            phenotype.affection = random.chance(rates.status) ? random.between(1, 2) : 0;
        }
    }
}

}  // namespace pedlik::oracle
