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

TEST(LocusReader, OneLocusFileDiscardsItsRecombinationLine) {
    readLocusText("1 0 0 6\n0 0.0 0.0 0\n1\n3 2\n0.5 0.5\n0 0\n0.3 ignored\n");
    EXPECT_TRUE(run.thetaVals.empty());
    readLocusText("1 0 0 6\n0 0.0 0.0 0\n1\n3 2\n0.5 0.5\n0 0\n");
    EXPECT_TRUE(run.thetaVals.empty());
}

}  // namespace
}  // namespace pedlik::testing
