// Properties of the enumerator over random tiny datasets, and a second,
// slower brute force that shares nothing with it: a sum over every person's
// ordered multilocus genotype with explicit transmission probabilities.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>

#include "oracle/enumerator.hpp"
#include "oracle/random_datasets.hpp"
#include "oracle/random_source.hpp"

namespace pedlik::oracle {
namespace {

bool near(double a, double b) {
    return std::fabs(a - b) <= 1e-10 * std::max({1e-300, std::fabs(a), std::fabs(b)}) + 1e-300;
}

// Sums over every person's ordered multilocus genotype: a haplotype (one
// allele per locus, numbered in mixed radix) from each parent, or from the
// population for a founder; a sex-linked male has only the maternal one.
// With a condition it gives the likelihood of the data and the condition.
class GenotypeSum {
public:
    GenotypeSum(const Dataset& dataset, const PedigreeRecord& pedigree, FounderPhase phase)
        : dataset_(dataset), pedigree_(pedigree), phase_(phase), lociCount_(static_cast<int>(dataset.loci.size())) {
        haplotypeCount_ = 1;
        for (const LocusModel& locus : dataset.loci) haplotypeCount_ *= locus.alleleCount();
        const size_t n = pedigree.persons.size();
        std::vector<bool> placed(n, false);
        while (order_.size() < n) {
            for (size_t j = 0; j < n; ++j) {
                const PersonRecord& person = pedigree.persons[j];
                if (placed[j] || (person.father >= 0 && (!placed[person.father] || !placed[person.mother]))) continue;
                placed[j] = true;
                order_.push_back(static_cast<int>(j));
            }
        }
        paternal_.assign(n, -1);
        maternal_.assign(n, -1);
    }

    // Number of joint states the sum may visit.
    double size() const {
        double total = 1.0;
        for (const PersonRecord& person : pedigree_.persons) {
            total *= hemizygous(person) ? haplotypeCount_ : static_cast<double>(haplotypeCount_) * haplotypeCount_;
        }
        return total;
    }

    double compute(const Condition* condition = nullptr) {
        condition_ = condition;
        const int h = haplotypeCount_;
        founder_.assign(h, 1.0);
        for (int x = 0; x < h; ++x) {
            for (int r = 0; r < lociCount_; ++r) founder_[x] *= dataset_.loci[r].frequencies[allele(x, r)];
        }
        transmission_ = transmissionTable(-1, 0);
        if (condition != nullptr && condition->kind == Condition::Kind::Selector) {
            conditioned_ = transmissionTable(condition->locus, condition->value);
        }
        observations_.clear();
        for (const PersonRecord& person : pedigree_.persons) {
            std::vector<double> table(static_cast<size_t>(h) * h, 0.0);
            for (int paternal = 0; paternal < (hemizygous(person) ? 1 : h); ++paternal) {
                for (int maternal = 0; maternal < h; ++maternal) {
                    table[static_cast<size_t>(paternal) * h + maternal] = phenotypes(person, paternal, maternal);
                }
            }
            observations_.push_back(std::move(table));
        }
        return visit(0);
    }

private:
    bool hemizygous(const PersonRecord& person) const { return dataset_.sexLinked && person.isMale; }

    // [father's hap][mother's hap][passed hap] of one parent, optionally
    // only over the selectors whose value at `locus` is `value`.
    std::vector<double> transmissionTable(int locus, int value) const {
        const int h = haplotypeCount_;
        std::vector<double> table(static_cast<size_t>(h) * h * h, 0.0);
        for (int father = 0; father < h; ++father) {
            for (int mother = 0; mother < h; ++mother) {
                for (unsigned selectors = 0; selectors < (1u << lociCount_); ++selectors) {
                    if (locus >= 0 && static_cast<int>(selectors >> locus & 1u) != value) continue;
                    double p = 0.5;
                    int passed = 0;
                    for (int r = lociCount_ - 1; r >= 0; --r) {
                        const bool fromPaternal = (selectors >> r & 1u) != 0;
                        if (r > 0) {
                            // Compared as bits: GCC 12.2 at -O1 and above
                            // miscompiled the same test written on bools.
                            const unsigned switched = (selectors >> r ^ selectors >> (r - 1)) & 1u;
                            p *= switched != 0 ? dataset_.thetas[r - 1] : 1.0 - dataset_.thetas[r - 1];
                        }
                        passed = passed * dataset_.loci[r].alleleCount() + allele(fromPaternal ? father : mother, r);
                    }
                    table[(static_cast<size_t>(father) * h + mother) * h + passed] += p;
                }
            }
        }
        return table;
    }

    int allele(int haplotype, int r) const {
        for (int k = 0; k < r; ++k) haplotype /= dataset_.loci[k].alleleCount();
        return haplotype % dataset_.loci[r].alleleCount();
    }

    double passes(int child, bool paternalSide, int parent, int haplotype) const {
        const size_t h = haplotypeCount_;
        const bool conditioned = condition_ != nullptr && condition_->kind == Condition::Kind::Selector &&
                                 condition_->person == child && condition_->paternal == paternalSide;
        return (conditioned ? conditioned_
                            : transmission_)[(paternal_[parent] * h + maternal_[parent]) * h + haplotype];
    }

    // Whether the condition allows this haplotype in this half.
    bool allowed(int person, bool paternalHalf, int haplotype) const {
        return condition_ == nullptr || condition_->kind != Condition::Kind::Allele || condition_->person != person ||
               condition_->paternal != paternalHalf || allele(haplotype, condition_->locus) == condition_->value - 1;
    }

    // A founder's ordered pair at locus 0 under the network's ordering.
    double founderPhase(int paternal, int maternal) const {
        if (phase_ != FounderPhase::LowerAlleleFromFatherAtFirstLocus) return 1.0;
        const int a = allele(paternal, 0);
        const int b = allele(maternal, 0);
        return a > b ? 0.0 : (a < b ? 2.0 : 1.0);
    }

    static double penetrance(double p, int affection) { return affection == 2 ? p : 1.0 - p; }

    double phenotypes(const PersonRecord& person, int paternal, int maternal) const {
        const bool hemi = hemizygous(person);
        const std::optional<std::pair<int, int>> trait = findTraitLoci(dataset_);
        double product = 1.0;
        for (int r = 0; r < lociCount_; ++r) {
            const LocusModel& locus = dataset_.loci[r];
            const Phenotype& ph = person.phenotypes[r];
            const int m = allele(maternal, r);
            const int pa = hemi ? 0 : allele(paternal, r);
            if (locus.kind == LocusKind::NumberedAlleles) {
                if (ph.allele1 == 0) continue;
                const bool match = hemi ? m == ph.allele1 - 1
                                        : ((pa == ph.allele1 - 1 && m == ph.allele2 - 1) ||
                                           (pa == ph.allele2 - 1 && m == ph.allele1 - 1));
                if (!match) return 0.0;
                continue;
            }
            if (ph.affection == 0) continue;
            const int c = ph.liabilityClass - 1;
            if (locus.kind == LocusKind::AffectionStatus) {
                product *=
                    penetrance(hemi ? locus.malePenetrances[c][m] : locus.femalePenetrances[c][pa + m], ph.affection);
            } else if (trait && r == trait->second) {
                const int f = trait->first;
                const int fm = allele(maternal, f);
                product *= penetrance(hemi ? locus.malePenetrances[c][fm * 2 + m]
                                           : locus.femalePenetrances[c][(allele(paternal, f) + fm) * 3 + pa + m],
                                      ph.affection);
            }
        }
        return product;
    }

    double visit(size_t depth) {
        if (depth == order_.size()) return 1.0;
        const int j = order_[depth];
        const PersonRecord& person = pedigree_.persons[j];
        const bool hemi = hemizygous(person);
        double total = 0.0;
        for (int paternal = 0; paternal < (hemi ? 1 : haplotypeCount_); ++paternal) {
            if (!hemi && !allowed(j, true, paternal)) continue;
            double paternalWeight = 1.0;
            if (!hemi && person.father < 0) paternalWeight = founder_[paternal];
            if (!hemi && person.father >= 0) {
                paternalWeight = dataset_.sexLinked ? (paternal == maternal_[person.father] ? 1.0 : 0.0)
                                                    : passes(j, true, person.father, paternal);
            }
            if (paternalWeight == 0.0) continue;
            for (int maternal = 0; maternal < haplotypeCount_; ++maternal) {
                if (!allowed(j, false, maternal)) continue;
                double maternalWeight =
                    person.mother >= 0 ? passes(j, false, person.mother, maternal) : founder_[maternal];
                if (person.mother < 0 && !hemi) maternalWeight *= founderPhase(paternal, maternal);
                const double weight = paternalWeight * maternalWeight *
                                      observations_[j][static_cast<size_t>(paternal) * haplotypeCount_ + maternal];
                if (weight == 0.0) continue;
                paternal_[j] = paternal;
                maternal_[j] = maternal;
                total += weight * visit(depth + 1);
            }
        }
        return total;
    }

    const Dataset& dataset_;
    const PedigreeRecord& pedigree_;
    FounderPhase phase_;
    const Condition* condition_ = nullptr;  // null: the data alone
    int lociCount_ = 0;
    int haplotypeCount_ = 1;
    std::vector<int> order_;
    std::vector<int> paternal_;  // current haplotypes of the persons placed so far
    std::vector<int> maternal_;
    std::vector<double> founder_;                    // population frequency of each haplotype
    std::vector<double> transmission_;               // [father's hap][mother's hap][passed hap] of one parent
    std::vector<double> conditioned_;                // the same under the selector condition
    std::vector<std::vector<double>> observations_;  // per person: phenotype factor by [paternal][maternal]
};

struct GenotypeSumConfig {
    int maxPersons;
    int minLoci;
    int maxLoci;
    double budget;  // joint states the slow sum may visit
    int minimumCompared;
    int minimumTraits;
};

class EnumeratorAgainstGenotypeSum : public ::testing::TestWithParam<GenotypeSumConfig> {};

TEST_P(EnumeratorAgainstGenotypeSum, LikelihoodsAndPosteriorsAgree) {
    const GenotypeSumConfig& config = GetParam();
    int compared = 0, traits = 0, linked = 0, sexLinked = 0;
    for (std::uint64_t seed = 1; seed <= 400; ++seed) {
        TinyOptions options;
        options.maxPersons = config.maxPersons;
        options.minLoci = config.minLoci;
        options.maxLoci = config.maxLoci;
        options.geneDropped = seed % 3 != 0;
        const Dataset data = randomTinyDataset(seed, options);
        for (int p = 0; p < static_cast<int>(data.pedigrees.size()); ++p) {
            const PedigreeRecord& pedigree = data.pedigrees[p];
            const FounderPhase phase =
                seed % 2 == 0 ? FounderPhase::Independent : FounderPhase::LowerAlleleFromFatherAtFirstLocus;
            GenotypeSum sum(data, pedigree, phase);
            if (sum.size() > config.budget) continue;
            ++compared;
            traits += findTraitLoci(data) ? 1 : 0;
            linked += data.loci.size() >= 2 && data.thetas[0] < 0.5 ? 1 : 0;
            sexLinked += data.sexLinked ? 1 : 0;
            const double expected = sum.compute();
            ASSERT_TRUE(near(likelihood(data, p), expected))
                << "seed " << seed << " pedigree " << p << ": " << likelihood(data, p) << " vs " << expected;
            if (expected == 0.0) continue;
            // One allele and one selector posterior of a random person.
            RandomSource random(seed * 31 + p);
            Condition condition;
            condition.kind = Condition::Kind::Allele;
            condition.person = random.below(static_cast<int>(pedigree.persons.size()));
            condition.locus = random.below(static_cast<int>(data.loci.size()));
            // Trait loci are summed apart from the others: ask there often.
            const std::optional<std::pair<int, int>> trait = findTraitLoci(data);
            if (trait && random.chance(0.6)) condition.locus = random.chance(0.5) ? trait->first : trait->second;
            const PersonRecord& person = pedigree.persons[condition.person];
            condition.paternal = !(data.sexLinked && person.isMale) && random.chance(0.5);
            condition.value = random.between(1, data.loci[condition.locus].alleleCount());
            EXPECT_NEAR(posterior(data, p, condition, phase), sum.compute(&condition) / expected, 1e-9)
                << "seed " << seed << " pedigree " << p;
            if (person.father < 0) continue;
            condition.kind = Condition::Kind::Selector;
            condition.paternal = !data.sexLinked && random.chance(0.5);
            condition.value = random.below(2);
            EXPECT_NEAR(posterior(data, p, condition, phase), sum.compute(&condition) / expected, 1e-9)
                << "seed " << seed << " pedigree " << p;
        }
    }
    // The budget must leave every kind of case in the comparison.
    EXPECT_GE(compared, config.minimumCompared);
    EXPECT_GE(traits, config.minimumTraits);
    EXPECT_GE(linked, config.minimumCompared / 4);
    EXPECT_GE(sexLinked, config.minimumCompared / 5);
}

INSTANTIATE_TEST_SUITE_P(Sizes, EnumeratorAgainstGenotypeSum,
                         ::testing::Values(GenotypeSumConfig{4, 1, 2, 5e4, 300, 30},
                                           GenotypeSumConfig{3, 3, 3, 1e5, 100, 15}));

// At theta 0.5 the loci are independent: the likelihood is the product of
// the likelihoods of each locus alone (a trait's two loci stay together).
TEST(EnumeratorProperties, UnlinkedLociMultiply) {
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        TinyOptions options;
        options.minLoci = 2;
        Dataset data = randomTinyDataset(seed, options);
        data.thetas.assign(data.thetas.size(), 0.5);
        const std::optional<std::pair<int, int>> trait = findTraitLoci(data);
        std::vector<std::vector<int>> groups;
        if (trait) groups.push_back({trait->first, trait->second});
        for (int r = 0; r < static_cast<int>(data.loci.size()); ++r) {
            if (data.loci[r].kind != LocusKind::TwoLocusTrait) groups.push_back({r});
        }
        for (int p = 0; p < static_cast<int>(data.pedigrees.size()); ++p) {
            double product = 1.0;
            for (const std::vector<int>& group : groups) product *= likelihood(onlyLoci(data, group), p);
            ASSERT_TRUE(near(likelihood(data, p), product)) << "seed " << seed << " pedigree " << p;
        }
    }
}

// The same problem with the map read from the other end. A two-locus
// trait keeps its table on the later locus, so the two trait loci swap
// roles: the table is transposed and the observations move with it.
Dataset reversedMap(const Dataset& data) {
    const int lociCount = static_cast<int>(data.loci.size());
    const auto mirror = [lociCount](int r) { return lociCount - 1 - r; };
    Dataset reversed = data;
    for (int r = 0; r < lociCount; ++r) reversed.loci[mirror(r)] = data.loci[r];
    for (int i = 0; i + 1 < lociCount; ++i) reversed.thetas[lociCount - 2 - i] = data.thetas[i];
    for (int& entry : reversed.order) entry = mirror(entry - 1) + 1;
    for (PedigreeRecord& pedigree : reversed.pedigrees) {
        for (PersonRecord& person : pedigree.persons) {
            std::reverse(person.phenotypes.begin(), person.phenotypes.end());
        }
    }
    const std::optional<std::pair<int, int>> trait = findTraitLoci(data);
    if (!trait) return reversed;
    const int carrier = mirror(trait->first);
    const int other = mirror(trait->second);
    std::swap(reversed.loci[carrier].femalePenetrances, reversed.loci[other].femalePenetrances);
    std::swap(reversed.loci[carrier].malePenetrances, reversed.loci[other].malePenetrances);
    for (std::vector<double>& table : reversed.loci[carrier].femalePenetrances) {
        for (int row = 0; row < 3; ++row) {
            for (int column = row + 1; column < 3; ++column)
                std::swap(table[row * 3 + column], table[column * 3 + row]);
        }
    }
    for (std::vector<double>& table : reversed.loci[carrier].malePenetrances) std::swap(table[1], table[2]);
    const std::vector<int> position = filePositions(reversed);
    std::swap(reversed.order[position[carrier]], reversed.order[position[other]]);
    for (PedigreeRecord& pedigree : reversed.pedigrees) {
        for (PersonRecord& person : pedigree.persons) std::swap(person.phenotypes[carrier], person.phenotypes[other]);
    }
    return reversed;
}

TEST(EnumeratorProperties, LikelihoodAndPosteriorsAreTheSameWithTheMapReversed) {
    int traits = 0;
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
        TinyOptions options;
        options.minLoci = 2;
        const Dataset data = randomTinyDataset(seed, options);
        const Dataset reversed = reversedMap(data);
        traits += findTraitLoci(data) ? 1 : 0;
        for (int p = 0; p < static_cast<int>(data.pedigrees.size()); ++p) {
            ASSERT_TRUE(near(likelihood(data, p), likelihood(reversed, p))) << "seed " << seed << " pedigree " << p;
        }
        // Posteriors move with their locus (without the ordering of founder
        // phases, which belongs to internal locus 0).
        RandomSource random(seed);
        const PedigreeRecord& pedigree = data.pedigrees[0];
        const int person = random.below(static_cast<int>(pedigree.persons.size()));
        const int r = random.below(static_cast<int>(data.loci.size()));
        const int mirrored = static_cast<int>(data.loci.size()) - 1 - r;
        if (likelihood(data, 0) == 0.0) continue;
        const FounderPhase free = FounderPhase::Independent;
        const bool paternal = !(data.sexLinked && pedigree.persons[person].isMale) && random.chance(0.5);
        const int a = random.between(1, data.loci[r].alleleCount());
        EXPECT_NEAR(posteriorAllele(data, 0, person, r, paternal, a, free),
                    posteriorAllele(reversed, 0, person, mirrored, paternal, a, free), 1e-9)
            << "seed " << seed;
        if (pedigree.persons[person].father < 0) continue;
        const bool paternalSelector = !data.sexLinked && random.chance(0.5);
        EXPECT_NEAR(posteriorSelector(data, 0, person, r, paternalSelector, 1, free),
                    posteriorSelector(reversed, 0, person, mirrored, paternalSelector, 1, free), 1e-9)
            << "seed " << seed;
    }
    EXPECT_GE(traits, 40);
}

TEST(EnumeratorProperties, LikelihoodIsTheSameUnderBothFounderPhases) {
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        const Dataset data = randomTinyDataset(seed);
        for (int p = 0; p < static_cast<int>(data.pedigrees.size()); ++p) {
            ASSERT_TRUE(near(likelihood(data, p, FounderPhase::LowerAlleleFromFatherAtFirstLocus),
                             likelihood(data, p, FounderPhase::Independent)))
                << "seed " << seed << " pedigree " << p;
        }
    }
}

TEST(EnumeratorProperties, LikelihoodDoesNotDependOnLineOrder) {
    for (std::uint64_t seed = 1; seed <= 150; ++seed) {
        const Dataset data = randomTinyDataset(seed);
        Dataset reversed = data;
        for (PedigreeRecord& pedigree : reversed.pedigrees) {
            const int n = static_cast<int>(pedigree.persons.size());
            std::reverse(pedigree.persons.begin(), pedigree.persons.end());
            for (PersonRecord& person : pedigree.persons) {
                if (person.father >= 0) person.father = n - 1 - person.father;
                if (person.mother >= 0) person.mother = n - 1 - person.mother;
            }
        }
        for (int p = 0; p < static_cast<int>(data.pedigrees.size()); ++p) {
            ASSERT_TRUE(near(likelihood(data, p), likelihood(reversed, p))) << "seed " << seed << " pedigree " << p;
        }
    }
}

TEST(EnumeratorProperties, PosteriorsOfEveryHalfAndSelectorSumToOne) {
    for (std::uint64_t seed = 1; seed <= 120; ++seed) {
        const Dataset data = randomTinyDataset(seed);
        RandomSource random(seed);
        const int p = random.below(static_cast<int>(data.pedigrees.size()));
        if (likelihood(data, p) == 0.0) continue;
        const PedigreeRecord& pedigree = data.pedigrees[p];
        const int person = random.below(static_cast<int>(pedigree.persons.size()));
        const int r = random.below(static_cast<int>(data.loci.size()));
        const bool hemizygous = data.sexLinked && pedigree.persons[person].isMale;
        const bool paternal = !hemizygous && random.chance(0.5);
        for (const FounderPhase phase : {FounderPhase::LowerAlleleFromFatherAtFirstLocus, FounderPhase::Independent}) {
            double alleleTotal = 0.0;
            for (int a = 1; a <= data.loci[r].alleleCount(); ++a) {
                const double posterior = posteriorAllele(data, p, person, r, paternal, a, phase);
                ASSERT_GE(posterior, -1e-12) << "seed " << seed;
                alleleTotal += posterior;
            }
            EXPECT_NEAR(alleleTotal, 1.0, 1e-9) << "seed " << seed;
            if (pedigree.persons[person].father < 0) continue;
            const bool paternalSelector = !data.sexLinked && paternal;
            EXPECT_NEAR(posteriorSelector(data, p, person, r, paternalSelector, 0, phase) +
                            posteriorSelector(data, p, person, r, paternalSelector, 1, phase),
                        1.0, 1e-9)
                << "seed " << seed;
        }
    }
}

}  // namespace
}  // namespace pedlik::oracle
