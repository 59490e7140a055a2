// Persons outside the first traversal's reach still count: single-person
// pedigrees, childless founders and pedigree numbers holding unconnected
// families, over several values of the varied fraction.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "oracle/enumerator.hpp"
#include "oracle/hand_datasets.hpp"
#include "support/dataset_run.hpp"
#include "support/lod_score_runs.hpp"

namespace pedlik::testing {
namespace {

using namespace oracle::hand;
using oracle::Dataset;
using oracle::PersonRecord;
using oracle::Phenotype;

constexpr bool male = true;
constexpr bool female = false;

// What a person shows at locus 0, whatever its kind.
enum class Typing { Heterozygous, Homozygous, Untyped };

// Loci with `first` at internal locus 0, a marker after it (and the
// table-carrying trait locus in between for a two-locus trait); the
// fraction after locus 0 is varied over 0.5, 0.05, 0.25 and 0.45.
struct LocusZero {
    const char* name;
    std::vector<oracle::LocusModel> loci;

    Phenotype at0(Typing typing) const {
        const bool typed = typing != Typing::Untyped;
        switch (loci[0].kind) {
            case oracle::LocusKind::NumberedAlleles:
                return typing == Typing::Heterozygous ? alleles(3, 1) : typed ? alleles(2, 2) : unknown();
            case oracle::LocusKind::AffectionStatus:
                return typing == Typing::Heterozygous ? status(2) : typed ? status(1, 2) : unknown();
            case oracle::LocusKind::TwoLocusTrait:
                return unknown();
        }
        return unknown();
    }
    // Every phenotype of a person typed `typing` at locus 0 and at the trait
    // table, heterozygous 1/2 at the last marker.
    std::vector<Phenotype> person(Typing typing) const {
        std::vector<Phenotype> phenotypes{at0(typing)};
        if (loci[0].kind == oracle::LocusKind::TwoLocusTrait) {
            phenotypes.push_back(typing == Typing::Heterozygous ? status(2)
                                 : typing == Typing::Homozygous ? status(1)
                                                                : unknown());
        }
        phenotypes.push_back(alleles(1, 2));
        return phenotypes;
    }
    Dataset with(std::vector<std::vector<PersonRecord>> pedigrees, bool sexLinked = false) const {
        Dataset data = dataset(loci, std::vector<double>(loci.size() - 1, 0.05), std::move(pedigrees), sexLinked);
        data.programCode = 5;
        data.variedThetaIndex = 1;
        data.thetaIncrement = 0.2;
        data.thetaStop = 0.55;
        return data;
    }
};

const oracle::LocusModel markerLocus = marker({0.2, 0.3, 0.5});
const oracle::LocusModel lastMarker = marker({0.45, 0.55});

const LocusZero atMarker{"Marker", {markerLocus, lastMarker}};
const LocusZero atAffection{"AffectionStatus", {affection({0.7, 0.3}, {{0.1, 0.6, 0.9}, {0.0, 0.3, 0.5}}), lastMarker}};
const LocusZero atTrait{
    "TwoLocusTrait",
    {trait({0.6, 0.4}), trait({0.7, 0.3}, {{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9}}), lastMarker}};

std::vector<PersonRecord> trio(const LocusZero& zero) {
    return {founder(male, zero.person(Typing::Heterozygous)), founder(female, zero.person(Typing::Homozygous)),
            child(0, 1, female, zero.person(Typing::Untyped))};
}

// The same persons in sex-linked data: a male keeps the first allele of
// each marker genotype.
std::vector<PersonRecord> hemizygousMales(std::vector<PersonRecord> persons) {
    for (PersonRecord& person : persons) {
        if (!person.isMale) continue;
        for (Phenotype& phenotype : person.phenotypes) {
            if (phenotype.allele2 != 0) phenotype = hemizygote(phenotype.allele1);
        }
    }
    return persons;
}

struct PersonCase {
    std::string name;
    Dataset data;
};

void PrintTo(const PersonCase& c, std::ostream* out) { *out << c.name; }

std::vector<PersonCase> personCases() {
    std::vector<PersonCase> cases;
    const std::pair<Typing, const char*> typings[] = {
        {Typing::Heterozygous, "Heterozygous"}, {Typing::Homozygous, "Homozygous"}, {Typing::Untyped, "Untyped"}};
    for (const LocusZero* zero : {&atMarker, &atAffection, &atTrait}) {
        for (const auto& [typing, name] : typings) {
            // Alone, and followed by a family in the same file.
            cases.push_back({std::string("SinglePerson") + zero->name + name,
                             zero->with({{founder(male, zero->person(typing))}, trio(*zero)})});
        }
        // Childless founders of every typing next to a family.
        std::vector<PersonRecord> mixed = trio(*zero);
        for (const auto& [typing, name] : typings) mixed.push_back(founder(female, zero->person(typing)));
        cases.push_back({std::string("ChildlessFounders") + zero->name, zero->with({mixed})});
    }
    const std::vector<PersonRecord> alone = {founder(male, atMarker.person(Typing::Heterozygous))};
    cases.push_back({"SexLinkedSinglePersons", atMarker.with({hemizygousMales(alone),
                                                              {founder(female, atMarker.person(Typing::Heterozygous))},
                                                              hemizygousMales(trio(atMarker))},
                                                             true)});
    return cases;
}

class EveryPersonCounts : public ::testing::TestWithParam<PersonCase> {};

TEST_P(EveryPersonCounts, EveryBlockIsTheEnumeratorsLikelihood) {
    const Dataset& data = GetParam().data;
    const RunResult run = runOnDataset(data);
    ASSERT_TRUE(endedNormally(run)) << run.out;
    EXPECT_TRUE(
        reportMatches(parseLodReport(run.out), oracle::lodScoreThetas(data), oracle::reportLogLikelihoods(data)))
        << run.out;
}

INSTANTIATE_TEST_SUITE_P(Shapes, EveryPersonCounts, ::testing::ValuesIn(personCases()),
                         [](const auto& info) { return info.param.name; });

// Two or three families under one pedigree number: the enumerator's
// likelihood, and that of the families run as pedigrees of their own.
struct FamiliesCase {
    const char* name;
    Dataset data;
};

void PrintTo(const FamiliesCase& c, std::ostream* out) { *out << c.name; }

class UnconnectedFamilies : public ::testing::TestWithParam<FamiliesCase> {};

TEST_P(UnconnectedFamilies, CountLikeTheirFamiliesRunApart) {
    const Dataset& together = GetParam().data;
    const Dataset apart = oracle::withFamiliesApart(together);
    ASSERT_GT(apart.pedigrees.size(), together.pedigrees.size());
    const RunResult run = runOnDataset(together);
    const RunResult runApart = runOnDataset(apart);
    ASSERT_TRUE(endedNormally(run)) << run.out;
    ASSERT_TRUE(endedNormally(runApart)) << runApart.out;
    const std::vector<double> thetas = oracle::lodScoreThetas(together);
    const LodReport report = parseLodReport(run.out);
    EXPECT_TRUE(reportMatches(report, thetas, oracle::reportLogLikelihoods(together))) << run.out;
    const LodReport reportApart = parseLodReport(runApart.out);
    ASSERT_EQ(report.blocks.size(), reportApart.blocks.size());
    for (size_t b = 0; b < report.blocks.size(); ++b) {
        // Both printed to 6 decimals from sums made in different orders.
        EXPECT_NEAR(report.blocks[b].lnLike, reportApart.blocks[b].lnLike, 1.5e-6) << "block " << b;
    }
}

std::vector<PersonRecord> sibship(const LocusZero& zero, int firstLine) {
    return {founder(male, zero.person(Typing::Untyped)), founder(female, zero.person(Typing::Heterozygous)),
            child(firstLine, firstLine + 1, male, zero.person(Typing::Untyped)),
            child(firstLine, firstLine + 1, female, zero.person(Typing::Heterozygous))};
}

// The families' lines interleaved, so that no family is a block of lines.
std::vector<PersonRecord> twoFamilies(const LocusZero& zero) {
    std::vector<PersonRecord> lines = sibship(zero, 0);
    std::vector<PersonRecord> family = trio(zero);
    family[2] = child(4, 5, male, zero.person(Typing::Untyped));
    lines.insert(lines.begin() + 2, family[2]);
    lines.insert(lines.begin() + 4, family.begin(), family.begin() + 2);
    return lines;
}

std::vector<PersonRecord> threeFamilies(const LocusZero& zero) {
    std::vector<PersonRecord> lines = trio(zero);
    std::vector<PersonRecord> second = sibship(zero, 3);
    lines.insert(lines.end(), second.begin(), second.end());
    lines.push_back(founder(male, zero.person(Typing::Heterozygous)));
    return lines;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, UnconnectedFamilies,
    ::testing::Values(FamiliesCase{"TwoFamiliesInterleaved", atMarker.with({twoFamilies(atMarker)})},
                      FamiliesCase{"TwoFamiliesAtAnAffectionLocus", atAffection.with({twoFamilies(atAffection)})},
                      FamiliesCase{"ThreeFamilies", atMarker.with({threeFamilies(atMarker), trio(atMarker)})},
                      FamiliesCase{"ThreeFamiliesSexLinked",
                                   atMarker.with({hemizygousMales(threeFamilies(atMarker))}, true)},
                      FamiliesCase{"TwoFamiliesTwoLocusTrait", atTrait.with({twoFamilies(atTrait)})}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
