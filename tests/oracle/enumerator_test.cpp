#include "oracle/enumerator.hpp"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <stdexcept>
#include <string>

#include "oracle/hand_datasets.hpp"

namespace pedlik::oracle {
namespace {

using namespace hand;

struct HandCase {
    std::string name;
    Dataset data;
    double expected;
};

class EnumeratorHandWorked : public ::testing::TestWithParam<HandCase> {};

TEST_P(EnumeratorHandWorked, MatchesTheLikelihoodWorkedByHand) {
    const HandCase& c = GetParam();
    EXPECT_NEAR(likelihood(c.data, 0), c.expected, 1e-12 * std::max(1.0, c.expected));
}

constexpr bool male = true;
constexpr bool female = false;

// Autosomal recessive, fully penetrant.
const std::vector<std::vector<double>> recessive = {{0.0, 0.0, 1.0}};

// Phase-known backcross: the father gets alleles 1,1 from his father and
// 2,2 from his mother at loci A and B; the child's paternal haplotype is
// (a, b), its maternal one (1, 1) from a homozygous mother. Founders are
// homozygous, so the data's probability is the founders' genotype
// frequencies times the father's transmission: (1 - theta) / 2 for a
// parental haplotype, theta / 2 for a recombinant.
Dataset backcross(double theta, int a, int b) {
    const std::vector<double> fa = {0.4, 0.6};
    const std::vector<double> fb = {0.3, 0.7};
    return dataset({marker(fa), marker(fb)}, {theta},
                   {{founder(male, {alleles(1, 1), alleles(1, 1)}), founder(female, {alleles(2, 2), alleles(2, 2)}),
                     child(0, 1, male, {alleles(1, 2), alleles(1, 2)}), founder(female, {alleles(1, 1), alleles(1, 1)}),
                     child(2, 3, female, {alleles(1, a), alleles(1, b)})}});
}

double backcrossFounders() {
    const double a1 = 0.4, a2 = 0.6, b1 = 0.3, b2 = 0.7;
    return (a1 * a1 * b1 * b1) * (a2 * a2 * b2 * b2) * (a1 * a1 * b1 * b1);
}

std::vector<HandCase> handCases() {
    const double p = 0.6, q = 0.4;
    std::vector<HandCase> cases = {
        {"FounderHeterozygote", dataset({marker({0.2, 0.3, 0.5})}, {}, {{founder(male, {alleles(3, 1)})}}),
         2 * 0.2 * 0.5},
        {"FounderHomozygote", dataset({marker({0.2, 0.3, 0.5})}, {}, {{founder(female, {alleles(2, 2)})}}), 0.3 * 0.3},
        {"Trio",
         dataset(
             {marker({p, q})}, {},
             {{founder(male, {alleles(1, 2)}), founder(female, {alleles(1, 1)}), child(0, 1, male, {alleles(2, 1)})}}),
         2 * p * q * p * p * 0.5},
        {"TrioInconsistent",
         dataset(
             {marker({p, q})}, {},
             {{founder(male, {alleles(1, 1)}), founder(female, {alleles(1, 1)}), child(0, 1, male, {alleles(2, 2)})}}),
         0.0},
        {"UntypedChildOfHeterozygotes",
         dataset(
             {marker({p, q})}, {},
             {{founder(male, {alleles(1, 2)}), founder(female, {alleles(2, 1)}), child(0, 1, female, {unknown()})}}),
         2 * p * q * 2 * p * q},
        {"AffectedFounderOfClassTwo",
         dataset({affection({0.9, 0.1}, {{0.0, 0.5, 1.0}, {0.1, 0.2, 0.3}})}, {}, {{founder(male, {status(2, 2)})}}),
         0.81 * 0.1 + 0.18 * 0.2 + 0.01 * 0.3},
        {"UnaffectedFounderOfClassTwo",
         dataset({affection({0.9, 0.1}, {{0.0, 0.5, 1.0}, {0.1, 0.2, 0.3}})}, {}, {{founder(male, {status(1, 2)})}}),
         0.81 * 0.9 + 0.18 * 0.8 + 0.01 * 0.7},
        {"RecessiveChildOfUnaffectedParents",
         dataset({affection({p, q}, recessive)}, {},
                 {{founder(male, {status(1)}), founder(female, {status(1)}), child(0, 1, male, {status(2)})}}),
         2 * p * q * 2 * p * q * 0.25},
        {"SexLinkedFatherToDaughter",
         dataset({marker({0.3, 0.7})}, {},
                 {{founder(male, {hemizygote(1)}), founder(female, {unknown()}), child(0, 1, female, {alleles(2, 1)})}},
                 true),
         0.3 * 0.7},
        {"SexLinkedFatherToDaughterInconsistent",
         dataset({marker({0.3, 0.7})}, {},
                 {{founder(male, {hemizygote(1)}), founder(female, {unknown()}), child(0, 1, female, {alleles(2, 2)})}},
                 true),
         0.0},
        {"SexLinkedNothingFromFatherToSon",
         dataset(
             {marker({0.3, 0.7})}, {},
             {{founder(male, {hemizygote(1)}), founder(female, {alleles(1, 2)}), child(0, 1, male, {hemizygote(2)})}},
             true),
         0.3 * 2 * 0.3 * 0.7 * 0.5},
        {"SexLinkedAffectedMaleUsesMalePenetrances",
         dataset({affection({0.8, 0.2}, {{0.5, 0.5, 0.5}}, {{0.1, 0.9}})}, {}, {{founder(male, {status(2)})}}, true),
         0.8 * 0.1 + 0.2 * 0.9},
        {"SexLinkedAffectedFemaleUsesFemalePenetrances",
         dataset({affection({0.8, 0.2}, {{0.0, 0.5, 1.0}}, {{0.1, 0.9}})}, {}, {{founder(female, {status(2)})}}, true),
         2 * 0.8 * 0.2 * 0.5 + 0.2 * 0.2},
        {"TwoLocusTraitFounder",
         dataset({trait({0.7, 0.3}), trait({0.6, 0.4}, {{0, 0, 0, 0, 0.5, 1, 0, 1, 1}})}, {0.2},
                 {{founder(male, {unknown(), status(2)})}}),
         0.42 * (0.5 * 0.48 + 0.16) + 0.09 * (0.48 + 0.16)},
        {"SexLinkedTwoLocusTraitMale",
         dataset({trait({0.7, 0.3}), trait({0.6, 0.4}, {{0, 0, 0, 0, 0, 0, 0, 0, 0}}, {{0, 0.2, 0.4, 1}})}, {0.2},
                 {{founder(male, {unknown(), status(2)})}}, true),
         0.7 * 0.4 * 0.2 + 0.3 * 0.6 * 0.4 + 0.3 * 0.4 * 1.0},
    };
    for (double theta : {0.0, 0.1, 0.5}) {
        const std::string suffix = std::to_string(static_cast<int>(theta * 10));
        cases.push_back({"BackcrossRecombinant" + suffix, backcross(theta, 2, 1), backcrossFounders() * theta / 2});
        cases.push_back({"BackcrossParental" + suffix, backcross(theta, 2, 2), backcrossFounders() * (1 - theta) / 2});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, EnumeratorHandWorked, ::testing::ValuesIn(handCases()),
                         [](const ::testing::TestParamInfo<HandCase>& info) { return info.param.name; });

TEST(Enumerator, LogLikelihoodSumsThePedigreesAndIsLowestForZero) {
    Dataset two =
        dataset({marker({0.2, 0.8})}, {}, {{founder(male, {alleles(1, 2)})}, {founder(female, {alleles(2, 2)})}});
    EXPECT_NEAR(logLikelihood(two), std::log(2 * 0.2 * 0.8) + std::log(0.64), 1e-12);
    two.pedigrees.push_back(
        {3, {founder(male, {alleles(1, 1)}), founder(female, {alleles(1, 1)}), child(0, 1, male, {alleles(1, 2)})}});
    EXPECT_EQ(logLikelihood(two), -DBL_MAX);
}

TEST(Enumerator, RefusesPedigreesTooLargeForBruteForce) {
    std::vector<PersonRecord> sibship = {founder(male, {unknown()}), founder(female, {unknown()})};
    for (int c = 0; c < 9; ++c) sibship.push_back(child(0, 1, c % 2 == 0, {unknown()}));
    EXPECT_THROW(likelihood(dataset({marker({0.5, 0.5})}, {}, {sibship}), 0), std::invalid_argument);
}

// Father 1/1, untyped mother, child 1/2: the mother passed allele 2. Given
// that, her ordered genotype is (2,2) with weight q^2 and a heterozygote
// with weight pq in all. Without an ordering her paternal allele is 2 with
// probability (q^2 + pq/2) / (q^2 + pq) = q + p/2; with the lower allele
// taken as paternal it is 2 only for (2,2): q.
TEST(EnumeratorPosteriors, FounderHalvesFollowThePhaseConvention) {
    const double p = 0.6, q = 0.4;
    const Dataset data =
        dataset({marker({p, q})}, {},
                {{founder(male, {alleles(1, 1)}), founder(female, {unknown()}), child(0, 1, male, {alleles(1, 2)})}});
    EXPECT_NEAR(posteriorAllele(data, 0, 1, 0, true, 2, FounderPhase::Independent), q + p / 2, 1e-12);
    EXPECT_NEAR(posteriorAllele(data, 0, 1, 0, true, 2, FounderPhase::LowerAlleleFromFatherAtFirstLocus), q, 1e-12);
    EXPECT_NEAR(posteriorAllele(data, 0, 1, 0, false, 2, FounderPhase::LowerAlleleFromFatherAtFirstLocus), 1.0, 1e-12);
    // The child's selector towards the mother: with the lower allele first
    // a heterozygous mother passed her maternal allele 2.
    const double heterozygous = p * q / (q * q + p * q);
    EXPECT_NEAR(posteriorSelector(data, 0, 2, 0, false, 0, FounderPhase::LowerAlleleFromFatherAtFirstLocus),
                heterozygous + (1 - heterozygous) * 0.5, 1e-12);
    EXPECT_NEAR(posteriorSelector(data, 0, 2, 0, false, 0, FounderPhase::Independent), 0.5, 1e-12);
}

TEST(EnumeratorPosteriors, PhaseKnownChildShowsWhichGrandparentItsAllelesCameFrom) {
    const Dataset data = backcross(0.1, 2, 1);
    // At locus 0 the child got the father's maternal allele 2, at locus 1
    // his paternal allele 1.
    EXPECT_NEAR(posteriorSelector(data, 0, 4, 0, true, 0), 1.0, 1e-12);
    EXPECT_NEAR(posteriorSelector(data, 0, 4, 1, true, 1), 1.0, 1e-12);
    EXPECT_NEAR(posteriorAllele(data, 0, 4, 0, true, 2), 1.0, 1e-12);
    EXPECT_NEAR(posteriorAllele(data, 0, 4, 1, true, 1), 1.0, 1e-12);
    // The mother's homozygosity leaves her selector uninformed at both loci,
    // but it stays linked: equal values across the interval have 1 - theta.
    EXPECT_NEAR(posteriorSelector(data, 0, 4, 1, false, 1), 0.5, 1e-12);
}

TEST(EnumeratorPosteriors, UntypedChildOfInformativeParents) {
    // Sex-linked: a son's only allele comes from his mother, 1/2 by
    // halves; a daughter's paternal allele is her father's allele.
    const Dataset data = dataset({marker({0.3, 0.7})}, {},
                                 {{founder(male, {hemizygote(2)}), founder(female, {alleles(1, 2)}),
                                   child(0, 1, male, {unknown()}), child(0, 1, female, {unknown()})}},
                                 true);
    EXPECT_NEAR(posteriorAllele(data, 0, 2, 0, false, 1), 0.5, 1e-12);
    EXPECT_NEAR(posteriorAllele(data, 0, 3, 0, true, 2), 1.0, 1e-12);
    EXPECT_THROW(posteriorAllele(data, 0, 2, 0, true, 1), std::invalid_argument);
    EXPECT_THROW(posteriorSelector(data, 0, 3, 0, true, 1), std::invalid_argument);
}

// The founder of TwoLocusTraitFounder, affected. At locus 0 the ordered
// pair (2,1) has weight 0.21 and row 1 of the table, (2,2) weight 0.09 and
// row 2; with the lower allele first only (2,2) has a paternal 2.
TEST(EnumeratorPosteriors, TraitLocusHalvesFollowThePhaseConvention) {
    const Dataset data = dataset({trait({0.7, 0.3}), trait({0.6, 0.4}, {{0, 0, 0, 0, 0.5, 1, 0, 1, 1}})}, {0.2},
                                 {{founder(male, {unknown(), status(2)})}});
    const double likelihood = 0.42 * (0.5 * 0.48 + 0.16) + 0.09 * (0.48 + 0.16);
    const double homozygous = 0.09 * (0.48 + 0.16);
    const double heterozygous = 0.21 * (0.5 * 0.48 + 0.16);
    EXPECT_NEAR(posteriorAllele(data, 0, 0, 0, true, 2), homozygous / likelihood, 1e-12);
    EXPECT_NEAR(posteriorAllele(data, 0, 0, 0, false, 2), (homozygous + 2 * heterozygous) / likelihood, 1e-12);
    EXPECT_NEAR(posteriorAllele(data, 0, 0, 0, true, 2, FounderPhase::Independent),
                (homozygous + heterozygous) / likelihood, 1e-12);
}

TEST(EnumeratorPosteriors, ZeroLikelihoodGivesNaN) {
    const Dataset data = dataset(
        {marker({0.5, 0.5})}, {},
        {{founder(male, {alleles(1, 1)}), founder(female, {alleles(1, 1)}), child(0, 1, male, {alleles(2, 2)})}});
    EXPECT_TRUE(std::isnan(posteriorAllele(data, 0, 2, 0, true, 1)));
}

}  // namespace
}  // namespace pedlik::oracle
