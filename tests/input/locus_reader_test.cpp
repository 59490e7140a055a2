#include <gtest/gtest.h>

#include "input/process_state.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

const RunParameters& run = runParameters;

int readLocusText(const std::string& locusText) {
    loadProblem(locusText, "");
    return runParameters.programCode;
}

std::string twoLociFile(const std::string& firstLine, const std::string& orderLine) {
    return firstLine +
           "\n0 0.0 0.0 0\n" + orderLine +
           "\n1 2 << affection\n0.99 0.01\n1\n0.0 0.5 1.0 << pens\n"
           "3 3 << marker\n0.2 0.3 0.5\n0 0\n0.25\n1 0.1 0.45\n";
}

TEST(LocusReader, OrderLineTwoOneStoresTheFirstDescriptionAtInternalIndexOne) {
    EXPECT_EQ(readLocusText(twoLociFile("2 0 0 5", "2 1")), 5);
    ASSERT_EQ(run.loci.size(), 2u);
    EXPECT_EQ(run.loci[1].type, LocusType::AffectionStatus);
    EXPECT_EQ(run.loci[0].type, LocusType::NumberedAlleles);
    EXPECT_EQ(run.loci[0].geneFrequencies, (std::vector<double>{0.2, 0.3, 0.5}));
    EXPECT_EQ(run.lociOrder, (std::vector<int>{2, 1}));
    ASSERT_EQ(run.thetaVals.size(), 1u);
    EXPECT_EQ(run.thetaVals[0].theta, 0.25);
    EXPECT_EQ(run.thetaVals[0].oneMinusTheta, 0.75);
    EXPECT_EQ(run.variedThetaIndex, 1);
    EXPECT_EQ(run.thetaIncrement, 0.1);
    EXPECT_EQ(run.thetaStop, 0.45);
}

TEST(LocusReader, FirstLineFieldsAndFlags) {
    readLocusText(twoLociFile("2 7 2 6 << sex-linkage 2 is autosomal", "1 2 << order"));
    EXPECT_EQ(run.riskLocus, 7);
    EXPECT_EQ(run.isSexLinked, 0);
    EXPECT_EQ(run.programCode, 6);
    EXPECT_EQ(run.traitTableOrdinal, 0);
    EXPECT_EQ(run.variedThetaIndex, 0) << "program code 6 reads no mode line";
    readLocusText(twoLociFile("2 0 0 4 2", "1 2"));
    EXPECT_EQ(run.traitTableOrdinal, 2);
    EXPECT_EQ(run.programCode, 4);
    EXPECT_EQ(run.variedThetaIndex, 1);
}

// Liability-class lines may each carry a comment, or none; either way the
// line after the block is read as the next locus.
class PenetranceBlockTest : public ::testing::TestWithParam<std::string> {};

TEST_P(PenetranceBlockTest, ReadsBothClassesAndTheNextLocus) {
    readLocusText("2 0 0 6\n0 0.0 0.0 0\n1 2\n1 2\n0.9 0.1\n2\n" + GetParam() + "3 2\n0.5 0.5\n0 0\n0.1\n");
    const Locus& affection = run.loci[0];
    ASSERT_EQ(affection.liabilityClassCount, 2);
    ASSERT_EQ(affection.femalePenetrances.size(), 6u);
    const double expected[] = {0.0, 0.5, 1.0, 0.1, 0.6, 0.9};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(affection.femalePenetrances[i].penetrance, expected[i]);
        EXPECT_EQ(affection.femalePenetrances[i].complement, 1.0 - expected[i]);
    }
    EXPECT_TRUE(affection.malePenetrances.empty());
    EXPECT_EQ(run.loci[1].type, LocusType::NumberedAlleles);
    EXPECT_EQ(run.loci[1].alleleCount, 2);
    EXPECT_EQ(run.thetaVals[0].theta, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Comments, PenetranceBlockTest,
                         ::testing::Values("0.0 0.5 1.0  Unaffected class\n0.1 0.6 0.9  Affected class\n",
                                           "0.0 0.5 1.0\n0.1 0.6 0.9\n",
                                           "0.0 0.5 1.0\n0.1 0.6 0.9 << only the last\n",
                                           "0.0 0.5 1.0 0.1 0.6 0.9 << one line\n",
                                           "0.0 0.5\n 1.0 0.1\n0.6 0.9\n"));

TEST(LocusReader, SexLinkedAffectionLocusHasMalePenetrances) {
    readLocusText("1 0 1 6\n0 0.0 0.0 0\n1\n1 2\n0.9 0.1\n2\n"
                  "0.0 0.5 1.0 female one\n0.2 0.8 male one\n"
                  "0.1 0.4 0.7\n0.3 0.6\n0 0\n\n");
    EXPECT_EQ(run.isSexLinked, 1);
    const Locus& locus = run.loci[0];
    ASSERT_EQ(locus.femalePenetrances.size(), 6u);
    ASSERT_EQ(locus.malePenetrances.size(), 4u);
    EXPECT_EQ(locus.femalePenetrances[3].penetrance, 0.1);
    EXPECT_EQ(locus.malePenetrances[1].penetrance, 0.8);
    EXPECT_DOUBLE_EQ(locus.malePenetrances[1].complement, 0.2);
    EXPECT_EQ(locus.malePenetrances[2].penetrance, 0.3);
    EXPECT_EQ(locus.malePenetrances[3].penetrance, 0.6);
}

TEST(LocusReader, TwoLocusTraitTableSitsAtTheSecondTraitLocus) {
    readLocusText("3 0 1 6 2\n0 0.0 0.0 0\n1 3 2\n"
                  "4 2 << first trait locus\n0.7 0.3\n"
                  "4 2 << second trait locus\n0.6 0.4\n1 << class\n"
                  "0.1 0.2 0.3\n0.4 0.5 0.6\n0.7 0.8 0.9\n0.11 0.22\n0.33 0.44 << male rows\n"
                  "3 2\n0.5 0.5\n0 0\n0.1 0.2\n");
    EXPECT_EQ(run.traitLocusCount, 2);
    EXPECT_EQ(run.traitLoci[0], 0);
    EXPECT_EQ(run.traitLoci[1], 2);
    EXPECT_EQ(run.loci[0].liabilityClassCount, 0);
    EXPECT_TRUE(run.loci[0].femalePenetrances.empty());
    const Locus& table = run.loci[2];
    ASSERT_EQ(table.femalePenetrances.size(), 9u);
    ASSERT_EQ(table.malePenetrances.size(), 4u);
    EXPECT_EQ(table.femalePenetrances[8].penetrance, 0.9);
    EXPECT_EQ(table.malePenetrances[3].penetrance, 0.44);
    EXPECT_EQ(run.loci[1].geneFrequencies, (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(run.thetaVals[1].theta, 0.2);
}

TEST(LocusReader, OneLocusFileDiscardsItsRecombinationLine) {
    readLocusText("1 0 0 6\n0 0.0 0.0 0\n1\n3 2\n0.5 0.5\n0 0\n0.3 ignored\n");
    EXPECT_TRUE(run.thetaVals.empty());
    readLocusText("1 0 0 6\n0 0.0 0.0 0\n1\n3 2\n0.5 0.5\n0 0\n");
    EXPECT_TRUE(run.thetaVals.empty());
}

}  // namespace
}  // namespace pedlik::testing
