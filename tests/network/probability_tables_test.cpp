#include <gtest/gtest.h>

#include "network/probability_tables.hpp"

namespace pedlik {
namespace {

Locus marker(std::vector<double> frequencies) {
    Locus locus;
    locus.type = LocusType::NumberedAlleles;
    locus.alleleCount = static_cast<int>(frequencies.size());
    locus.geneFrequencies = std::move(frequencies);
    return locus;
}

// Two liability classes with distinct penetrances, so that a wrong class,
// genotype or status shows.
Locus affectionLocus() {
    Locus locus;
    locus.type = LocusType::AffectionStatus;
    locus.alleleCount = 2;
    locus.geneFrequencies = {0.9, 0.1};
    locus.liabilityClassCount = 2;
    for (double p : {0.01, 0.02, 0.03, 0.11, 0.12, 0.13}) locus.femalePenetrances.push_back({p, 1.0 - p});
    for (double p : {0.21, 0.22, 0.31, 0.32}) locus.malePenetrances.push_back({p, 1.0 - p});
    return locus;
}

PersonLocus observed(int status, int liabilityClass) {
    PersonLocus data;
    data.affectionStatus = status;
    data.liabilityClass = liabilityClass;
    return data;
}

TEST(SelectorTable, FollowsTheFixedPreviousSelector) {
    const ThetaPair theta{0.2, 0.8};
    EXPECT_EQ(selectorTable({1}, {0, 1}, theta), (Table{0.2, 0.8}));
    EXPECT_EQ(selectorTable({0, 1}, {0, 1}, theta), (Table{0.8, 0.2, 0.2, 0.8}));
    EXPECT_EQ(selectorTable({1}, {1}, theta), (Table{0.8}));
    EXPECT_EQ(selectorTable({0}, {1}, theta), (Table{0.2}));
    EXPECT_EQ(firstSelectorTable(2), (Table{0.5, 0.5}));
}

TEST(FounderTables, GenotypeFrequenciesInGenotypeListOrder) {
    const Locus locus = marker({0.1, 0.2, 0.3, 0.15, 0.25});
    EXPECT_DOUBLE_EQ(founderGenotypeTable(locus, {2, 5}, 2, 0)[0], 2 * 0.2 * 0.25);
    EXPECT_DOUBLE_EQ(founderGenotypeTable(locus, {3}, 1, 0)[0], 0.3 * 0.3);
    const Table untyped = founderGenotypeTable(locus, {1, 2, 3}, 3, 1);
    const Table expected{0.01, 2 * 0.1 * 0.2, 2 * 0.1 * 0.3, 0.04, 2 * 0.2 * 0.3, 0.09};
    ASSERT_EQ(untyped.size(), expected.size());
    for (size_t g = 0; g < expected.size(); ++g) EXPECT_DOUBLE_EQ(untyped[g], expected[g]) << g;
    const Table diallelic = founderGenotypeTable(affectionLocus(), {}, 2, 1);
    EXPECT_DOUBLE_EQ(diallelic[0], 0.81);
    EXPECT_DOUBLE_EQ(diallelic[1], 0.18);
    EXPECT_DOUBLE_EQ(diallelic[2], 0.01);
    EXPECT_EQ(founderAlleleTable(affectionLocus(), {1, 2}), (Table{0.9, 0.1}));
    EXPECT_EQ(founderAlleleTable(locus, {2, 4}), (Table{0.2, 0.15}));
}

TEST(TransmissionTables, OnlyTheSelectedParentalAlleleIsPassedOn) {
    // Father allows only allele 4 on both sides: allele 4 whatever the selector.
    EXPECT_EQ(transmissionTable({1, 4}, {4}, {4}, {0, 1}), (Table{0, 0, 1, 1}));
    // Parent 1/3 (pl 1, ml 3), child allele 1 or 3, selector 1 = parent's pl.
    EXPECT_EQ(transmissionTable({1, 3}, {1}, {3}, {0, 1}), (Table{0, 1, 1, 0}));
    // A fixed selector value 0 keeps only the maternal side.
    EXPECT_EQ(transmissionTable({1, 3}, {1, 3}, {3}, {0}), (Table{0, 0, 1, 1}));
    const std::vector<OrderedGenotype> genotypes{{1, 1}, {1, 2}, {2, 2}};
    EXPECT_EQ(founderTransmissionTable({1, 2}, genotypes, {0, 1}), (Table{1, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 1}));
    EXPECT_EQ(paternalXTable({2, 3}, {1, 3}), (Table{0, 0, 0, 1}));
}

TEST(PhenotypeTables, PenetranceByClassAndStatus) {
    const Locus locus = affectionLocus();
    const Table affected = affectionTable(locus, observed(2, 2));
    EXPECT_EQ(affected, (Table{0.11, 0.12, 0.12, 0.13}));
    const Table unaffected = affectionTable(locus, observed(1, 1));
    EXPECT_EQ(unaffected, (Table{1 - 0.01, 1 - 0.02, 1 - 0.02, 1 - 0.03}));
    EXPECT_EQ(founderAffectionTable(locus, observed(2, 1)), (Table{0.01, 0.02, 0.03}));
    EXPECT_EQ(maleAffectionTable(locus, observed(2, 2)), (Table{0.31, 0.32}));
    EXPECT_EQ(heterozygoteTable(), (Table{0, 1, 1, 0}));
}

TEST(PhenotypeTables, TwoLocusTraitRowsFollowTheFirstTraitLocus) {
    Locus table;
    table.type = LocusType::TwoLocusTrait;
    table.liabilityClassCount = 1;
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const double p = 0.1 * row + 0.01 * column;
            table.femalePenetrances.push_back({p, 1.0 - p});
        }
    }
    for (double p : {0.5, 0.6, 0.7, 0.8}) table.malePenetrances.push_back({p, 1.0 - p});
    const Table full = twoLocusTable(table, observed(2, 1));
    // Index (plA, mlA, plB, mlB): row = plA + mlA, column = plB + mlB.
    EXPECT_DOUBLE_EQ(full[0b0000], 0.0);
    EXPECT_DOUBLE_EQ(full[0b0001], 0.01);
    EXPECT_DOUBLE_EQ(full[0b0100], 0.1);
    EXPECT_DOUBLE_EQ(full[0b1011], 0.12);
    EXPECT_DOUBLE_EQ(full[0b1111], 0.22);
    const Table founder = founderTwoLocusTable(table, observed(1, 1));
    EXPECT_DOUBLE_EQ(founder[2 * 4 + 0b01], 1.0 - 0.21);
    EXPECT_EQ(maleTwoLocusTable(table, observed(2, 1)), (Table{0.5, 0.6, 0.7, 0.8}));
}

}  // namespace
}  // namespace pedlik
