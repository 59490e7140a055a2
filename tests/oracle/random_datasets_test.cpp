#include "oracle/random_datasets.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <string>

#include "oracle/enumerator.hpp"
#include "oracle/file_writers.hpp"

namespace pedlik::oracle {
namespace {

std::string asText(const Dataset& data) { return toPedlikLocusFile(data) + toPedlikPedigreeFile(data); }

TEST(RandomDatasets, SameSeedGivesTheSameDataset) {
    for (std::uint64_t seed : {1u, 7u, 12345u}) {
        EXPECT_EQ(asText(randomTinyDataset(seed)), asText(randomTinyDataset(seed)));
        EXPECT_EQ(asText(geneDroppedDataset(seed)), asText(geneDroppedDataset(seed)));
    }
    EXPECT_NE(asText(randomTinyDataset(1)), asText(randomTinyDataset(2)));
    EXPECT_NE(asText(geneDroppedDataset(1)), asText(geneDroppedDataset(2)));
}

// Ancestors of a person, itself included.
std::set<int> ancestors(const PedigreeRecord& pedigree, int person) {
    std::set<int> found{person};
    const PersonRecord& record = pedigree.persons[person];
    for (int parent : {record.father, record.mother}) {
        if (parent < 0) continue;
        const std::set<int> above = ancestors(pedigree, parent);
        found.insert(above.begin(), above.end());
    }
    return found;
}

bool hasConsanguineousMating(const PedigreeRecord& pedigree) {
    for (const PersonRecord& person : pedigree.persons) {
        if (person.father < 0) continue;
        const std::set<int> fathers = ancestors(pedigree, person.father);
        for (int a : ancestors(pedigree, person.mother)) {
            if (fathers.count(a) != 0) return true;
        }
    }
    return false;
}

int familyCount(const PedigreeRecord& pedigree) { return static_cast<int>(familiesOf(pedigree).size()); }

bool hasParentAfterChild(const PedigreeRecord& pedigree) {
    for (int j = 0; j < static_cast<int>(pedigree.persons.size()); ++j) {
        if (pedigree.persons[j].father > j || pedigree.persons[j].mother > j) return true;
    }
    return false;
}

bool hasHalfSibs(const PedigreeRecord& pedigree) {
    for (const PersonRecord& x : pedigree.persons) {
        for (const PersonRecord& y : pedigree.persons) {
            if (x.father >= 0 && y.father >= 0 && (x.father == y.father) != (x.mother == y.mother)) return true;
        }
    }
    return false;
}

bool hasPenetrance(const Dataset& data, double value) {
    for (const LocusModel& locus : data.loci) {
        for (const auto* table : {&locus.femalePenetrances, &locus.malePenetrances}) {
            for (const std::vector<double>& row : *table) {
                if (std::find(row.begin(), row.end(), value) != row.end()) return true;
            }
        }
    }
    return false;
}

void expectFrequenciesSumToOne(const Dataset& data, std::uint64_t seed) {
    for (const LocusModel& locus : data.loci) {
        EXPECT_NEAR(std::accumulate(locus.frequencies.begin(), locus.frequencies.end(), 0.0), 1.0, 1e-12)
            << "seed " << seed;
    }
}

TEST(RandomDatasets, TinyDatasetsStayInBoundsAndCoverEveryShape) {
    std::map<std::string, int> seen;
    for (std::uint64_t seed = 1; seed <= 300; ++seed) {
        const Dataset data = randomTinyDataset(seed);
        ASSERT_NO_THROW(validateDataset(data)) << "seed " << seed;
        const int lociCount = static_cast<int>(data.loci.size());
        EXPECT_TRUE(lociCount >= 1 && lociCount <= 3) << "seed " << seed;
        EXPECT_EQ(data.programCode, lociCount == 1 ? 6 : 5) << "seed " << seed;
        EXPECT_TRUE(data.pedigrees.size() >= 1 && data.pedigrees.size() <= 3) << "seed " << seed;
        expectFrequenciesSumToOne(data, seed);
        if (data.programCode == 5) {
            const std::vector<double> thetas = lodScoreThetas(data);
            EXPECT_TRUE(thetas.size() >= 1 && thetas.size() <= 4) << "seed " << seed;
            for (double theta : thetas) EXPECT_LE(theta, 0.5 + 1e-12) << "seed " << seed;
        }
        seen["sex-linked"] += data.sexLinked ? 1 : 0;
        seen["two-locus trait"] += findTraitLoci(data) ? 1 : 0;
        seen["penetrance 0"] += hasPenetrance(data, 0.0) ? 1 : 0;
        seen["penetrance 1"] += hasPenetrance(data, 1.0) ? 1 : 0;
        for (double theta : data.thetas) seen["theta 0 or 0.5"] += theta == 0.0 || theta == 0.5 ? 1 : 0;
        for (const LocusModel& locus : data.loci) {
            seen["affection status"] += locus.kind == LocusKind::AffectionStatus ? 1 : 0;
            seen["three classes"] += locus.liabilityClassCount() == 3 ? 1 : 0;
            seen["four alleles"] += locus.kind == LocusKind::NumberedAlleles && locus.alleleCount() == 4 ? 1 : 0;
        }
        for (const PedigreeRecord& pedigree : data.pedigrees) {
            EXPECT_TRUE(!pedigree.persons.empty() && pedigree.persons.size() <= 6) << "seed " << seed;
            seen["single person"] += pedigree.persons.size() == 1 ? 1 : 0;
            seen["loop"] += hasConsanguineousMating(pedigree) ? 1 : 0;
            seen["unconnected families"] += familyCount(pedigree) > 1 ? 1 : 0;
            seen["parent after child"] += hasParentAfterChild(pedigree) ? 1 : 0;
            seen["half-sibs"] += hasHalfSibs(pedigree) ? 1 : 0;
        }
    }
    for (const char* kind : {"sex-linked", "two-locus trait", "penetrance 0", "penetrance 1", "theta 0 or 0.5",
                             "affection status", "three classes", "four alleles", "single person", "loop",
                             "unconnected families", "parent after child", "half-sibs"}) {
        EXPECT_GE(seen[kind], 10) << kind;
    }
}

TEST(RandomDatasets, GeneDroppedTinyDataAreConsistentAndRandomOnesOftenNot) {
    int zero = 0, pedigrees = 0;
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
        const Dataset dropped = randomTinyDataset(seed);
        for (int p = 0; p < static_cast<int>(dropped.pedigrees.size()); ++p) {
            ASSERT_GT(likelihood(dropped, p), 0.0) << "seed " << seed << " pedigree " << p;
        }
        TinyOptions options;
        options.geneDropped = false;
        const Dataset drawn = randomTinyDataset(seed, options);
        for (int p = 0; p < static_cast<int>(drawn.pedigrees.size()); ++p, ++pedigrees) {
            zero += likelihood(drawn, p) == 0.0 ? 1 : 0;
        }
    }
    EXPECT_GE(zero, pedigrees / 5);
}

TEST(RandomDatasets, TinyOptionsAreObeyed) {
    for (std::uint64_t seed = 1; seed <= 100; ++seed) {
        TinyOptions options;
        options.minLoci = 3;
        options.maxPersons = 3;
        options.maxPedigrees = 1;
        options.sexLinked = true;
        options.allowTwoLocusTrait = false;
        options.allowUnconnectedFamilies = false;
        const Dataset data = randomTinyDataset(seed, options);
        EXPECT_EQ(data.loci.size(), 3u);
        EXPECT_TRUE(data.sexLinked);
        EXPECT_FALSE(findTraitLoci(data).has_value());
        ASSERT_EQ(data.pedigrees.size(), 1u);
        EXPECT_LE(data.pedigrees[0].persons.size(), 3u);
        EXPECT_EQ(familyCount(data.pedigrees[0]), 1) << "seed " << seed;
    }
}

int generations(const PedigreeRecord& pedigree, int person) {
    const PersonRecord& record = pedigree.persons[person];
    if (record.father < 0) return 1;
    return 1 + std::max(generations(pedigree, record.father), generations(pedigree, record.mother));
}

TEST(RandomDatasets, GeneDroppedDatasetsSuitFastlink) {
    int halfSibs = 0, sexLinked = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const Dataset data = geneDroppedDataset(seed);
        ASSERT_NO_THROW(toLinkageLocusFile(data)) << "seed " << seed;
        EXPECT_EQ(data.programCode, 5);
        expectFrequenciesSumToOne(data, seed);
        EXPECT_GE(lodScoreThetas(data).size(), 2u) << "seed " << seed;
        int affection = 0, haplotypes = 1;
        for (const LocusModel& locus : data.loci) {
            affection += locus.kind == LocusKind::AffectionStatus ? 1 : 0;
            haplotypes *= locus.alleleCount();
        }
        EXPECT_EQ(affection, 1) << "seed " << seed;
        EXPECT_TRUE(data.loci.size() >= 2 && data.loci.size() <= 6) << "seed " << seed;
        EXPECT_LE(haplotypes, 1000) << "seed " << seed;
        EXPECT_TRUE(data.pedigrees.size() >= 1 && data.pedigrees.size() <= 4) << "seed " << seed;
        sexLinked += data.sexLinked ? 1 : 0;
        for (const PedigreeRecord& pedigree : data.pedigrees) {
            const int n = static_cast<int>(pedigree.persons.size());
            EXPECT_TRUE(n >= 3 && n <= 60) << "seed " << seed;
            EXPECT_FALSE(hasConsanguineousMating(pedigree)) << "seed " << seed;
            EXPECT_EQ(familyCount(pedigree), 1) << "seed " << seed;
            halfSibs += hasHalfSibs(pedigree) ? 1 : 0;
            int depth = 0;
            for (int j = 0; j < n; ++j) depth = std::max(depth, generations(pedigree, j));
            EXPECT_TRUE(depth >= 2 && depth <= 4) << "seed " << seed;
            // FASTLINK goes wrong where nobody is observed at a locus.
            for (size_t r = 0; r < data.loci.size(); ++r) {
                bool observed = false;
                for (const PersonRecord& person : pedigree.persons) {
                    const Phenotype& phenotype = person.phenotypes[r];
                    observed = observed || phenotype.allele1 != 0 || phenotype.affection != 0;
                }
                EXPECT_TRUE(observed) << "seed " << seed << " locus " << r;
            }
        }
    }
    EXPECT_GE(halfSibs, 10);
    EXPECT_GE(sexLinked, 5);
}

// Bench-sized data: many markers of many alleles, beyond what FASTLINK
// takes. The allele bounds hold even where the haplotype bound cannot be
// met, and the haplotype count does not overflow.
TEST(RandomDatasets, GeneDropAlleleBoundsHoldForManyMarkers) {
    struct Bounds {
        int markers, minAlleles, maxAlleles;
        std::int64_t maxHaplotypes;
    };
    for (const Bounds& bounds : {Bounds{10, 4, 8, std::int64_t{1} << 40}, Bounds{6, 4, 8, 1000}, Bounds{3, 2, 8, 50}}) {
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            GeneDropOptions options;
            options.minMarkers = options.maxMarkers = bounds.markers;
            options.minAlleles = bounds.minAlleles;
            options.maxAlleles = bounds.maxAlleles;
            options.maxHaplotypes = bounds.maxHaplotypes;
            options.minPersons = 30;
            options.maxPedigrees = 1;
            const Dataset data = geneDroppedDataset(seed, options);
            ASSERT_EQ(data.loci.size(), static_cast<size_t>(bounds.markers + 1)) << "seed " << seed;
            std::int64_t haplotypes = 1;
            bool atMinimum = true;
            for (const LocusModel& locus : data.loci) {
                haplotypes *= locus.alleleCount();
                if (locus.kind != LocusKind::NumberedAlleles) continue;
                EXPECT_GE(locus.alleleCount(), bounds.minAlleles) << "seed " << seed;
                EXPECT_LE(locus.alleleCount(), bounds.maxAlleles) << "seed " << seed;
                atMinimum = atMinimum && locus.alleleCount() == bounds.minAlleles;
            }
            EXPECT_TRUE(haplotypes <= bounds.maxHaplotypes || atMinimum) << "seed " << seed;
            EXPECT_GE(data.pedigrees[0].persons.size(), 30u) << "seed " << seed;
        }
    }
}

}  // namespace
}  // namespace pedlik::oracle
