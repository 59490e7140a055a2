#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "genotype/genotype_elimination.hpp"
#include "genotype/transmission_marks.hpp"
#include "input/process_state.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

constexpr int unfixed = 2;

struct Outcome {
    int line;
    const char* paternal;  // alleles left in list order, "" for an empty list
    const char* maternal;
    int paternalSelector = unfixed;  // or the fixed value
    int maternalSelector = unfixed;
};

struct EliminationCase {
    const char* name;
    bool sexLinked;
    const char* pedigree;  // one marker locus with 4 alleles
    std::vector<Outcome> expected;
};

class GenotypeElimination : public ::testing::TestWithParam<EliminationCase> {};

void expectSelector(int state, int value, int expected, const char* which, int line) {
    SCOPED_TRACE(std::string(which) + " selector, line " + std::to_string(line));
    EXPECT_EQ(state, expected == unfixed ? selectorNotFixed : selectorFixed);
    EXPECT_EQ(value, expected == unfixed ? 0 : expected);
}

TEST_P(GenotypeElimination, LeavesTheseCandidatesAndSelectors) {
    const EliminationCase& c = GetParam();
    loadProblem(markerLocusFile({4}, c.sexLinked), c.pedigree);
    (c.sexLinked ? eliminateGenotypesSexLinked : eliminateGenotypes)(runParameters.pedigrees);
    for (const Outcome& person : c.expected) {
        const PersonLocus& data = personOnLine(person.line).loci[0];
        EXPECT_EQ(alleles(data.paternalCandidates), person.paternal) << "line " << person.line;
        EXPECT_EQ(alleles(data.maternalCandidates), person.maternal) << "line " << person.line;
        expectSelector(data.paternalSelectorState, data.paternalSelectorValue, person.paternalSelector, "paternal",
                       person.line);
        expectSelector(data.maternalSelectorState, data.maternalSelectorValue, person.maternalSelector, "maternal",
                       person.line);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Autosomal, GenotypeElimination,
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
        EliminationCase{"HeterozygousFatherFixesNoSelector", false,
                        "1 1 0 0 3 0 0 1 0  1 2\n"
                        "1 2 0 0 3 0 0 2 0  2 2\n"
                        "1 3 1 2 0 0 0 1 0  1 2\n",
                        {{3, "1", "2"}, {1, "1 2", "1 2"}}},
        // The father (line 3) passes 2, 1 and one of them: narrowed to
        // paternal (1) and maternal (2), he fixes the selectors of the
        // children whose allele from him is known.
        EliminationCase{"UpwardMarksSplitAFathersHalvesAndFixSelectors", false,
                        "1 1 0 0 3 0 0 1 0  1 1\n"
                        "1 2 0 0 3 0 0 2 0  0 0\n"
                        "1 3 1 2 5 0 0 1 0  0 0\n"
                        "1 4 0 0 5 0 0 2 0  4 4\n"
                        "1 5 3 4 0 6 6 1 0  2 4\n"
                        "1 6 3 4 0 7 7 2 0  1 4\n"
                        "1 7 3 4 0 0 0 1 0  0 0\n",
                        {{3, "1", "2"}, {2, "1 2 3 4", "1 2 3 4"}, {5, "2", "4", 0}, {6, "1", "4", 1},
                         {7, "1 2", "4"}}},
        // Lines 4 to 7 are a family of their own, reached only by starting
        // the passes again: the untyped founder on line 4 narrows to the two
        // alleles he passed on.
        EliminationCase{"UnconnectedFamilyIsEliminatedToo", false,
                        "1 1 0 0 3 0 0 1 0  1 1\n"
                        "1 2 0 0 3 0 0 2 0  2 2\n"
                        "1 3 1 2 0 0 0 1 0  0 0\n"
                        "1 4 0 0 6 0 0 1 0  0 0\n"
                        "1 5 0 0 6 0 0 2 0  1 1\n"
                        "1 6 4 5 0 7 7 1 0  1 3\n"
                        "1 7 4 5 0 0 0 2 0  1 2\n",
                        {{3, "1", "2"}, {4, "2 3", "2 3"}, {6, "3", "1"}, {7, "2", "1"}}}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    SexLinked, GenotypeElimination,
    ::testing::Values(
        EliminationCase{"FathersAlleleGoesToHisTypedDaughterWithoutFixingASelector", true,
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
        // The mother (line 3) has her father's 1 and so her mother's 2,
        // which her son got.
        EliminationCase{"MotherWithKnownHalvesFixesHerSonsSelector", true,
                        "1 1 0 0 3 0 0 1 0  1 0\n"
                        "1 2 0 0 3 0 0 2 0  0 0\n"
                        "1 3 1 2 5 0 0 2 0  1 2\n"
                        "1 4 0 0 5 0 0 1 0  3 0\n"
                        "1 5 4 3 0 0 0 1 0  2 0\n",
                        {{3, "1", "2"}, {5, "", "2", unfixed, 0}}}),
    [](const auto& info) { return info.param.name; });

// The father passes three different alleles: only once the upward pass has
// narrowed him to two does the second downward pass find the third.
TEST(GenotypeElimination, InconsistencyFoundOnlyAfterTheUpwardPassStopsTheRun) {
    loadProblem(markerLocusFile({4}),
                "1 1 0 0 3 0 0 1 0  0 0\n"
                "1 2 0 0 3 0 0 2 0  1 1\n"
                "1 3 1 2 0 4 4 1 0  1 1\n"
                "1 4 1 2 0 5 5 1 0  1 2\n"
                "1 15 1 2 0 0 0 1 0  1 3\n");
    const StoppedRun run = runUntilStopped([] { eliminateGenotypes(runParameters.pedigrees); });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "\nAn input error has been found:\nInvalid value in locus no. 0 of person no. 15, pedigree no. 0.\n\n");
}

struct MarkCase {
    const char* name;
    const char* paternal;  // alleles before, marked ones starred
    const char* maternal;
    const char* expectedPaternal;  // alleles after
    const char* expectedMaternal;
};

class ReduceByMarks : public ::testing::TestWithParam<MarkCase> {};

CandidateList markedList(const std::string& text) {
    CandidateList list;
    std::istringstream words(text);
    for (std::string word; words >> word;) list.push_back(halfLocusPerson{std::stoi(word), word.back() == '*'});
    return list;
}

TEST_P(ReduceByMarks, NarrowsBothListsAsTheMarksImply) {
    loadProblem(markerLocusFile({4}), "1 1 0 0 0 0 0 1 0  0 0\n");
    PersonLocus& data = personOnLine(1).loci[0];
    data.paternalCandidates = markedList(GetParam().paternal);
    data.maternalCandidates = markedList(GetParam().maternal);
    reduceByMarks(personOnLine(1), 0);
    EXPECT_EQ(alleles(data.paternalCandidates), GetParam().expectedPaternal);
    EXPECT_EQ(alleles(data.maternalCandidates), GetParam().expectedMaternal);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRowOfTheMarkTable, ReduceByMarks,
    ::testing::Values(MarkCase{"NoMarks", "1 2 3", "1 2 3", "1 2 3", "1 2 3"},
                      MarkCase{"OneMaternalMark", "1 2 3", "1 2* 3", "1 2 3", "2"},
                      MarkCase{"TwoMaternalMarks", "1 2 3", "1* 2 3*", "1 2 3", "1"},
                      MarkCase{"OnePaternalMark", "1 2 3*", "1 2 3", "3", "1 2 3"},
                      MarkCase{"TheSameMarkOnBothSides", "1 2* 3", "1 2* 3", "1 2 3", "1 2 3"},
                      MarkCase{"DifferentSingleMarks", "1* 2 3", "1 2 3*", "1", "3"},
                      MarkCase{"SharedMarkAndASecondMaternalOne", "1* 2 3", "1* 2 3*", "1", "3"},
                      MarkCase{"PaternalMarkAndTwoOtherMaternalOnes", "1 2* 3", "1* 2 3*", "2", "1"},
                      MarkCase{"TwoPaternalMarks", "1* 2 3*", "1 2 3", "1", "1 2 3"},
                      MarkCase{"SharedMarkAndASecondPaternalOne", "1* 2 3*", "1* 2 3", "3", "1"},
                      MarkCase{"TwoMarksOnEachSide", "1* 2 3* 4", "1 2* 3* 4", "1 3", "2 3"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pedlik::testing
