#include <gtest/gtest.h>

#include "genotype/candidate_lists.hpp"
#include "genotype/transmission_marks.hpp"
#include "genotype/candidate_notation.hpp"
#include "support/problem_loading.hpp"
#include "support/named_cases.hpp"

namespace pedlik::testing {
namespace {

using pedlik::testing::PrintTo;  // cases print as their names

const char* const lonePerson = "1 1 0 0 0 0 0 1 0  0 0\n";

struct ReductionCase {
    const char* name;
    const char* paternal;  // before: alleles, marked ones starred
    const char* maternal;
    const char* expectedPaternal;  // alleles after
    const char* expectedMaternal;
};

class ReduceByMarks : public ::testing::TestWithParam<ReductionCase> {};

std::string allelesNotation(const CandidateList& list) {
    CandidateList unmarked = list;
    for (halfLocusPerson& node : unmarked) node.mark = 0;
    return notation(unmarked);
}

TEST_P(ReduceByMarks, NarrowsBothListsAsTheMarksImply) {
    const ReductionCase& c = GetParam();
    loadProblem(markerLocusFile({4}), lonePerson);
    Person& person = personOnLine(1);
    person.loci[0].paternalCandidates = candidates(c.paternal);
    person.loci[0].maternalCandidates = candidates(c.maternal);
    reduceByMarks(person, 0);
    EXPECT_EQ(allelesNotation(person.loci[0].paternalCandidates), c.expectedPaternal);
    EXPECT_EQ(allelesNotation(person.loci[0].maternalCandidates), c.expectedMaternal);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRowOfTheMarkTable, ReduceByMarks,
    ::testing::Values(ReductionCase{"NoMarks", "1 2 3", "1 2 3", "1 2 3", "1 2 3"},
                      ReductionCase{"OneMaternalMark", "1 2 3", "1 2* 3", "1 2 3", "2"},
                      ReductionCase{"TwoMaternalMarks", "1 2 3", "1* 2 3*", "1 2 3", "1"},
                      ReductionCase{"OnePaternalMark", "1 2 3*", "1 2 3", "3", "1 2 3"},
                      ReductionCase{"TheSameMarkOnBothSides", "1 2* 3", "1 2* 3", "1 2 3", "1 2 3"},
                      ReductionCase{"DifferentSingleMarks", "1* 2 3", "1 2 3*", "1", "3"},
                      ReductionCase{"SharedMarkAndASecondMaternalOne", "1* 2 3", "1* 2 3*", "1", "3"},
                      ReductionCase{"PaternalMarkAndTwoOtherMaternalOnes", "1 2* 3", "1* 2 3*", "2", "1"},
                      ReductionCase{"TwoPaternalMarks", "1* 2 3*", "1 2 3", "1", "1 2 3"},
                      ReductionCase{"SharedMarkAndASecondPaternalOne", "1* 2 3*", "1* 2 3", "3", "1"},
                      ReductionCase{"TwoMarksOnEachSide", "1* 2 3* 4", "1 2* 3* 4", "1 3", "2 3"},
                      ReductionCase{"MarkedSingleKeepsTheOtherListWhole", "2*", "1 2* 3", "2", "1 2 3"}),
    [](const auto& info) { return info.param.name; });

struct MaleReductionCase {
    const char* name;
    const char* alleles;
    const char* expected;
};

class ReduceMaleByMarks : public ::testing::TestWithParam<MaleReductionCase> {};

TEST_P(ReduceMaleByMarks, KeepsTheFirstMarkedAllele) {
    loadProblem(markerLocusFile({4}, true), lonePerson);
    Person& male = personOnLine(1);
    male.loci[0].maternalCandidates = candidates(GetParam().alleles);
    reduceMaleByMarks(male, 0);
    EXPECT_EQ(allelesNotation(male.loci[0].maternalCandidates), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Males, ReduceMaleByMarks,
                         ::testing::Values(MaleReductionCase{"Unmarked", "1 2 3", "1 2 3"},
                                           MaleReductionCase{"OneMark", "1 2 3*", "3"},
                                           MaleReductionCase{"TwoMarks", "1 2* 3*", "2"}),
                         [](const auto& info) { return info.param.name; });

struct MergeCase {
    const char* name;
    const char* target;
    const char* source;
    const char* expected;  // with marks
};

class MergeCandidates : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCandidates, InsertsMissingAllelesUnmarkedInAscendingOrder) {
    CandidateList target = candidates(GetParam().target);
    mergeCandidates(target, candidates(GetParam().source));
    EXPECT_EQ(notation(target), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, MergeCandidates,
    ::testing::Values(MergeCase{"IntoEmptyDropsMarks", "", "2* 4", "2 4"},
                      MergeCase{"AroundAndBetween", "2* 4", "1 3 5", "1 2* 3 4 5"},
                      MergeCase{"SharedAllelesKeepTheirNodes", "1* 3", "1 2 3*", "1* 2 3"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pedlik::testing
