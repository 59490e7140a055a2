#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "genotype/child_pruning.hpp"
#include "genotype/downward_pass.hpp"
#include "genotype/genotype_elimination.hpp"
#include "genotype/candidate_filling.hpp"
#include "genotype/candidate_notation.hpp"
#include "input/process_state.hpp"
#include "support/problem_loading.hpp"
#include "support/named_cases.hpp"

namespace pedlik::testing {
namespace {

using pedlik::testing::PrintTo;  // cases print as their names

void eliminate(bool sexLinked) {
    if (sexLinked) {
        eliminateGenotypesSexLinked(runParameters.pedigrees);
    } else {
        eliminateGenotypes(runParameters.pedigrees);
    }
}

std::string alleles(const CandidateList& list) {
    std::string text;
    for (int allele : allelesOf(list)) text += (text.empty() ? "" : " ") + std::to_string(allele);
    return text;
}

struct FinalLists {
    int line;
    const char* paternal;  // alleles in list order, "" for an empty list
    const char* maternal;
};

struct EliminationCase {
    const char* name;
    bool sexLinked;
    const char* pedigree;  // one marker locus with 4 alleles
    std::vector<FinalLists> expected;
};

class EliminationOutcome : public ::testing::TestWithParam<EliminationCase> {};

TEST_P(EliminationOutcome, LeavesTheseCandidates) {
    const EliminationCase& c = GetParam();
    loadProblem(markerLocusFile({4}, c.sexLinked), c.pedigree);
    eliminate(c.sexLinked);
    for (const FinalLists& person : c.expected) {
        const PersonLocus& data = personOnLine(person.line).loci[0];
        EXPECT_EQ(alleles(data.paternalCandidates), person.paternal) << "line " << person.line;
        EXPECT_EQ(alleles(data.maternalCandidates), person.maternal) << "line " << person.line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Autosomal, EliminationOutcome,
    ::testing::Values(
        EliminationCase{"HomozygousParentsDecideAnUntypedChild", false,
                        "1 1 0 0 3 0 0 1 0  1 1\n"
                        "1 2 0 0 3 0 0 2 0  2 2\n"
                        "1 3 1 2 0 0 0 1 0  0 0\n",
                        {{3, "1", "2"}, {1, "1", "1"}, {2, "2", "2"}}},
        EliminationCase{"TypedChildGetsTheOtherAlleleFromTheUntypedMother", false,
                        "1 1 0 0 3 0 0 1 0  1 1\n"
                        "1 2 0 0 3 0 0 2 0  0 0\n"
                        "1 3 1 2 0 0 0 1 0  1 2\n",
                        {{3, "1", "2"}, {2, "1 2 3 4", "1 2 3 4"}}},
        EliminationCase{"UntypedFounderWithOneSharedMarkKeepsEverything", false,
                        "1 1 0 0 3 0 0 1 0  0 0\n"
                        "1 2 0 0 3 0 0 2 0  1 1\n"
                        "1 3 1 2 0 0 0 1 0  1 3\n",
                        {{1, "1 2 3 4", "1 2 3 4"}, {3, "3", "1"}}},
        EliminationCase{"UntypedFounderNarrowsToTheTwoAllelesHePassedOn", false,
                        "1 1 0 0 3 0 0 1 0  0 0\n"
                        "1 2 0 0 3 0 0 2 0  1 1\n"
                        "1 3 1 2 0 4 4 1 0  1 3\n"
                        "1 4 1 2 0 0 0 2 0  1 2\n",
                        {{1, "2 3", "2 3"}, {3, "3", "1"}, {4, "2", "1"}}},
        EliminationCase{"UpwardMarksSplitAFathersHalves", false,
                        "1 1 0 0 3 0 0 1 0  1 1\n"
                        "1 2 0 0 3 0 0 2 0  0 0\n"
                        "1 3 1 2 5 0 0 1 0  0 0\n"
                        "1 4 0 0 5 0 0 2 0  4 4\n"
                        "1 5 3 4 0 6 6 1 0  2 4\n"
                        "1 6 3 4 0 7 7 2 0  1 4\n"
                        "1 7 3 4 0 0 0 1 0  0 0\n",
                        {{3, "1", "2"}, {2, "1 2 3 4", "1 2 3 4"}, {7, "1 2", "4"}}}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    SexLinked, EliminationOutcome,
    ::testing::Values(
        EliminationCase{"FathersAlleleGoesToHisTypedDaughter", true,
                        "1 1 0 0 3 0 0 1 0  2 0\n"
                        "1 2 0 0 3 0 0 2 0  0 0\n"
                        "1 3 1 2 0 0 0 2 0  1 2\n",
                        {{3, "2", "1"}, {1, "", "2"}}},
        EliminationCase{"SonIsNeverComparedWithHisFather", true,
                        "1 1 0 0 3 0 0 1 0  2 0\n"
                        "1 2 0 0 3 0 0 2 0  0 0\n"
                        "1 3 1 2 0 0 0 1 0  1 0\n",
                        {{3, "", "1"}, {1, "", "2"}}},
        EliminationCase{"UntypedSonTakesHisMothersAllelesAndNoPaternalHalf", true,
                        "1 1 0 0 3 0 0 1 0  0 0\n"
                        "1 2 0 0 3 0 0 2 0  1 2\n"
                        "1 3 1 2 0 0 0 1 0  0 0\n",
                        {{3, "", "1 2"}, {1, "", "1 2 3 4"}}},
        EliminationCase{"UntypedFatherIsReducedToWhatHisDaughterGot", true,
                        "1 1 0 0 3 0 0 1 0  0 0\n"
                        "1 2 0 0 3 0 0 2 0  0 0\n"
                        "1 3 1 2 0 0 0 2 0  2 2\n",
                        {{1, "", "2"}, {2, "1 2 3 4", "1 2 3 4"}}},
        EliminationCase{"UntypedDaughterOfTypedParents", true,
                        "1 1 0 0 3 0 0 1 0  3 3\n"
                        "1 2 0 0 3 0 0 2 0  1 1\n"
                        "1 3 1 2 0 0 0 2 0  0 0\n",
                        {{3, "3", "1"}}}),
    [](const auto& info) { return info.param.name; });

struct SelectorCase {
    const char* name;
    bool sexLinked;
    const char* pedigree;  // one marker locus with 4 alleles
    int line;
    int paternalState;
    int paternalValue;
    int maternalState;
    int maternalValue;
};

class SelectorFixing : public ::testing::TestWithParam<SelectorCase> {};

TEST_P(SelectorFixing, FixesExactlyTheDeterminedSelectors) {
    const SelectorCase& c = GetParam();
    loadProblem(markerLocusFile({4}, c.sexLinked), c.pedigree);
    eliminate(c.sexLinked);
    const PersonLocus& data = personOnLine(c.line).loci[0];
    EXPECT_EQ(data.paternalSelectorState, c.paternalState);
    EXPECT_EQ(data.paternalSelectorValue, c.paternalValue);
    EXPECT_EQ(data.maternalSelectorState, c.maternalState);
    EXPECT_EQ(data.maternalSelectorValue, c.maternalValue);
}

// The father (line 3) ends with paternal half (1) and maternal half (2).
const char* const fatherWithDistinctHalves =
    "1 1 0 0 3 0 0 1 0  1 1\n"
    "1 2 0 0 3 0 0 2 0  0 0\n"
    "1 3 1 2 5 0 0 1 0  0 0\n"
    "1 4 0 0 5 0 0 2 0  4 4\n"
    "1 5 3 4 0 6 6 1 0  2 4\n"
    "1 6 3 4 0 7 7 2 0  1 4\n"
    "1 7 3 4 0 0 0 1 0  0 0\n";

// The mother (line 3) ends with paternal half (1) and maternal half (2).
const char* const sexLinkedMotherWithDistinctHalves =
    "1 1 0 0 3 0 0 1 0  1 0\n"
    "1 2 0 0 3 0 0 2 0  0 0\n"
    "1 3 1 2 5 0 0 2 0  1 2\n"
    "1 4 0 0 5 0 0 1 0  3 0\n"
    "1 5 4 3 0 0 0 1 0  2 0\n";

INSTANTIATE_TEST_SUITE_P(
    Children, SelectorFixing,
    ::testing::Values(
        SelectorCase{"ChildWithTheFathersMaternalAllele", false, fatherWithDistinctHalves, 5, -1, 0, 1, 0},
        SelectorCase{"ChildWithTheFathersPaternalAllele", false, fatherWithDistinctHalves, 6, -1, 1, 1, 0},
        SelectorCase{"ChildWithTwoPossibleAlleles", false, fatherWithDistinctHalves, 7, 1, 0, 1, 0},
        SelectorCase{"FatherWhoseHalvesCouldBeEitherAllele", false, fatherWithDistinctHalves, 3, 1, 0, 1, 0},
        SelectorCase{"HeterozygousFatherWithBothAllelesInBothLists", false,
                     "1 1 0 0 3 0 0 1 0  1 2\n"
                     "1 2 0 0 3 0 0 2 0  2 2\n"
                     "1 3 1 2 0 0 0 1 0  1 2\n",
                     3, 1, 0, 1, 0},
        SelectorCase{"SexLinkedSonWithHisMothersMaternalAllele", true, sexLinkedMotherWithDistinctHalves, 5, 1, 0, -1,
                     0},
        SelectorCase{"SexLinkedFatherFixesNothingInHisDaughter", true,
                     "1 1 0 0 3 0 0 1 0  2 0\n"
                     "1 2 0 0 3 0 0 2 0  1 1\n"
                     "1 3 1 2 0 0 0 2 0  1 2\n",
                     3, 1, 0, 1, 0}),
    [](const auto& info) { return info.param.name; });

struct InconsistencyCase {
    const char* name;
    bool sexLinked;
    std::vector<int> alleleCounts;
    const char* pedigree;
    const char* message;
};

class InconsistentData : public ::testing::TestWithParam<InconsistencyCase> {};

TEST_P(InconsistentData, StopsTheRunNamingTheChild) {
    const InconsistencyCase& c = GetParam();
    loadProblem(markerLocusFile(c.alleleCounts, c.sexLinked), c.pedigree);
    const StoppedRun run = runUntilStopped([&] { eliminate(c.sexLinked); });
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string("\nAn input error has been found:\n") + c.message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Pedigrees, InconsistentData,
    ::testing::Values(
        InconsistencyCase{"ChildLacksTheFathersOnlyAllele", false, {4},
                          "1 11 0 0 3 0 0 1 0  3 3\n"
                          "1 12 0 0 3 0 0 2 0  0 0\n"
                          "1 13 1 2 0 0 0 1 0  1 2\n",
                          "Invalid value in locus no. 0 of person no. 13, pedigree no. 0.\n"},
        InconsistencyCase{"SecondLocusOfTheSecondPedigree", false, {3, 3},
                          "1 1 0 0 3 0 0 1 0  1 1  1 1\n"
                          "1 2 0 0 3 0 0 2 0  1 1  1 1\n"
                          "1 3 1 2 0 0 0 1 0  1 1  1 1\n"
                          "2 1 0 0 3 0 0 1 0  1 2  3 3\n"
                          "2 2 0 0 3 0 0 2 0  1 2  3 3\n"
                          "2 3 1 2 0 0 0 2 0  1 2  1 3\n",
                          "Invalid value in locus no. 1 of person no. 3, pedigree no. 1.\n"},
        // The father passes three different alleles: only after the upward
        // pass narrows him to two does the second downward pass see it.
        InconsistencyCase{"FoundOnlyAfterTheUpwardPass", false, {4},
                          "1 1 0 0 3 0 0 1 0  0 0\n"
                          "1 2 0 0 3 0 0 2 0  1 1\n"
                          "1 3 1 2 0 4 4 1 0  1 1\n"
                          "1 4 1 2 0 5 5 1 0  1 2\n"
                          "1 5 1 2 0 0 0 1 0  1 3\n",
                          "Invalid value in locus no. 0 of person no. 5, pedigree no. 0.\n"},
        InconsistencyCase{"InAFamilyUnconnectedToTheFirst", false, {4},
                          "1 1 0 0 3 0 0 1 0  1 1\n"
                          "1 2 0 0 3 0 0 2 0  1 1\n"
                          "1 3 1 2 0 0 0 1 0  1 1\n"
                          "1 4 0 0 6 0 0 1 0  4 4\n"
                          "1 5 0 0 6 0 0 2 0  4 4\n"
                          "1 6 4 5 0 0 0 2 0  1 4\n",
                          "Invalid value in locus no. 0 of person no. 6, pedigree no. 0.\n"},
        InconsistencyCase{"SexLinkedDaughterLacksHerFathersAllele", true, {4},
                          "1 1 0 0 3 0 0 1 0  3 0\n"
                          "1 2 0 0 3 0 0 2 0  0 0\n"
                          "1 3 1 2 0 0 0 2 0  1 2\n",
                          "Invalid value in locus no. 0 of person no. 3, pedigree no. 0.\n"}),
    [](const auto& info) { return info.param.name; });

TEST(FirstDownwardPass, MarksTheSingleAllelesItLeavesAndTheFillKeepsThem) {
    loadProblem(markerLocusFile({4}),
                "1 1 0 0 3 0 0 1 0  1 1\n"
                "1 2 0 0 3 0 0 2 0  2 2\n"
                "1 3 1 2 0 0 0 1 0  0 0\n");
    passDown(*firstPedigree().firstFounder, pruneChild);
    Person& child = personOnLine(3);
    EXPECT_EQ(notation(child.loci[0].paternalCandidates), "1*");
    EXPECT_EQ(notation(child.loci[0].maternalCandidates), "2*");
    fillCandidates(child);
    EXPECT_EQ(notation(child.loci[0].paternalCandidates), "1*");
    EXPECT_EQ(notation(child.loci[0].maternalCandidates), "2*");
}

TEST(GenotypeElimination, CountsThePedigreesItWorkedOn) {
    loadProblem(markerLocusFile({2}),
                "1 1 0 0 0 0 0 1 0  1 2\n"
                "2 1 0 0 0 0 0 1 0  1 2\n"
                "3 1 0 0 0 0 0 1 0  1 2\n");
    runParameters.currentPedigreeIndex = 7;
    eliminateGenotypes(runParameters.pedigrees);
    EXPECT_EQ(runParameters.currentPedigreeIndex, 3);
}

}  // namespace
}  // namespace pedlik::testing
