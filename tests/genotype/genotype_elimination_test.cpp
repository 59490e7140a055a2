// Genotype elimination narrows as far as the hand-worked cases say (soundness alone would allow keeping everything),
// fixes the selectors it is sure of, and walks thousands of generations on a small stack.
#include <gtest/gtest.h>
#include <pthread.h>

#include <sstream>

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

TEST_P(GenotypeElimination, LeavesTheseCandidatesAndSelectors) {
    const EliminationCase& c = GetParam();
    loadProblem(markerLocusFile({4}, c.sexLinked), c.pedigree);
    (c.sexLinked ? eliminateGenotypesSexLinked : eliminateGenotypes)(runParameters.pedigrees);
    for (const Outcome& person : c.expected) {
        SCOPED_TRACE("line " + std::to_string(person.line));
        const PersonLocus& data = personOnLine(person.line).loci[0];
        EXPECT_EQ(alleles(data.paternalCandidates), person.paternal);
        EXPECT_EQ(alleles(data.maternalCandidates), person.maternal);
        for (auto [state, value, expected] :
             {std::tuple{data.paternalSelectorState, data.paternalSelectorValue, person.paternalSelector},
              {data.maternalSelectorState, data.maternalSelectorValue, person.maternalSelector}}) {
            EXPECT_EQ(state, expected == unfixed ? selectorNotFixed : selectorFixed);
            EXPECT_EQ(value, expected == unfixed ? 0 : expected);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Families, GenotypeElimination,
    ::testing::Values(
        EliminationCase{"HomozygousParentsDecideAnUntypedChild", false,
                        "1 1 0 0 3 0 0 1 0  1 1\n1 2 0 0 3 0 0 2 0  2 2\n1 3 1 2 0 0 0 1 0  0 0\n",
                        {{3, "1", "2"}, {1, "1", "1"}, {2, "2", "2"}}},
        // The father (line 3) passes 2, 1 and one of them: narrowed to paternal 1 and maternal 2, he fixes the
        // selectors of the children whose allele from him is known.
        EliminationCase{"UpwardMarksSplitAFathersHalvesAndFixSelectors", false,
                        "1 1 0 0 3 0 0 1 0  1 1\n1 2 0 0 3 0 0 2 0  0 0\n1 3 1 2 5 0 0 1 0  0 0\n"
                        "1 4 0 0 5 0 0 2 0  4 4\n1 5 3 4 0 6 6 1 0  2 4\n1 6 3 4 0 7 7 2 0  1 4\n"
                        "1 7 3 4 0 0 0 1 0  0 0\n",
                        {{3, "1", "2"}, {2, "1 2 3 4", "1 2 3 4"}, {5, "2", "4", 0}, {6, "1", "4", 1},
                         {7, "1 2", "4"}}},
        // Lines 4 to 7 are reached only by starting the passes again.
        EliminationCase{"UnconnectedFamilyIsEliminatedToo", false,
                        "1 1 0 0 3 0 0 1 0  1 1\n1 2 0 0 3 0 0 2 0  2 2\n1 3 1 2 0 0 0 1 0  0 0\n"
                        "1 4 0 0 6 0 0 1 0  0 0\n1 5 0 0 6 0 0 2 0  1 1\n1 6 4 5 0 7 7 1 0  1 3\n"
                        "1 7 4 5 0 0 0 2 0  1 2\n",
                        {{3, "1", "2"}, {4, "2 3", "2 3"}, {6, "3", "1"}, {7, "2", "1"}}},
        EliminationCase{"SexLinkedFathersAlleleGoesToHisDaughterWithoutFixingASelector", true,
                        "1 1 0 0 3 0 0 1 0  2 0\n1 2 0 0 3 0 0 2 0  0 0\n1 3 1 2 0 0 0 2 0  1 2\n",
                        {{3, "2", "1"}, {1, "", "2"}}},
        EliminationCase{"SexLinkedUntypedSonTakesHisMothersAllelesAndNoPaternalHalf", true,
                        "1 1 0 0 3 0 0 1 0  0 0\n1 2 0 0 3 0 0 2 0  1 2\n1 3 1 2 0 0 0 1 0  0 0\n",
                        {{3, "", "1 2"}, {1, "", "1 2 3 4"}}},
        // The mother (line 3) has her father's 1 and so her mother's 2, which her son got.
        EliminationCase{"SexLinkedMotherWithKnownHalvesFixesHerSonsSelector", true,
                        "1 1 0 0 3 0 0 1 0  1 0\n1 2 0 0 3 0 0 2 0  0 0\n1 3 1 2 5 0 0 2 0  1 2\n"
                        "1 4 0 0 5 0 0 1 0  3 0\n1 5 4 3 0 0 0 1 0  2 0\n",
                        {{3, "1", "2"}, {5, "", "2", unfixed, 0}}}),
    [](const auto& info) { return info.param.name; });

// Alleles before (marked ones starred) and after, paternal then maternal.
class ReduceByMarks : public ::testing::TestWithParam<std::array<const char*, 4>> {};

TEST_P(ReduceByMarks, NarrowsBothListsAsTheMarksImply) {
    loadProblem(markerLocusFile({4}), "1 1 0 0 0 0 0 1 0  0 0\n");
    PersonLocus& data = personOnLine(1).loci[0];
    for (auto [list, text] :
         {std::pair{&data.paternalCandidates, GetParam()[0]}, {&data.maternalCandidates, GetParam()[1]}}) {
        std::istringstream words(text);
        for (std::string word; words >> word;) list->push_back(halfLocusPerson{std::stoi(word), word.back() == '*'});
    }
    reduceByMarks(personOnLine(1), 0);
    EXPECT_EQ(alleles(data.paternalCandidates), GetParam()[2]);
    EXPECT_EQ(alleles(data.maternalCandidates), GetParam()[3]);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRowOfTheMarkTable, ReduceByMarks,
    ::testing::Values(std::array{"1 2 3", "1 2 3", "1 2 3", "1 2 3"}, std::array{"1 2 3", "1 2* 3", "1 2 3", "2"},
                      std::array{"1 2 3", "1* 2 3*", "1 2 3", "1"}, std::array{"1 2 3*", "1 2 3", "3", "1 2 3"},
                      std::array{"1 2* 3", "1 2* 3", "1 2 3", "1 2 3"}, std::array{"1* 2 3", "1 2 3*", "1", "3"},
                      std::array{"1* 2 3", "1* 2 3*", "1", "3"}, std::array{"1 2* 3", "1* 2 3*", "2", "1"},
                      std::array{"1* 2 3*", "1 2 3", "1", "1 2 3"}, std::array{"1* 2 3*", "1* 2 3", "3", "1"},
                      std::array{"1* 2 3* 4", "1 2* 3* 4", "1 3", "2 3"}));

// An untyped founder (line 1) and his wife typed 1/1 have a daughter typed 1/3 and a son typed 1/2, whose line of
// untyped sons, each with a wife typed 4/4, goes on for 5000 generations and ends with a son typed `last`. The passes
// run on a thread whose 64 KiB stack holds far fewer calls than that.
class DeepPedigree : public ::testing::TestWithParam<const char*> {};

TEST_P(DeepPedigree, IsEliminatedOnASmallStack) {
    auto line = [](std::vector<int> numbers, const char* typing) {  // id, parents, child, siblings, sex
        std::string text = "1";
        for (int number : numbers) text.append(" ").append(std::to_string(number));
        return text.append(" 0  ").append(typing).append("\n");
    };
    std::string text = line({1, 0, 0, 3, 0, 0, 1}, "0 0") + line({2, 0, 0, 3, 0, 0, 2}, "1 1") +
                       line({3, 1, 2, 6, 4, 4, 1}, "1 2") + line({4, 1, 2, 0, 0, 0, 2}, "1 3");
    for (int son = 3, wife = 5, generation = 2; generation <= 5000; ++generation, son = wife + 1, wife = son + 1) {
        const bool last = generation == 5000;
        text += line({wife, 0, 0, wife + 1, 0, 0, 2}, "4 4") +
                line({wife + 1, son, wife, last ? 0 : wife + 3, 0, 0, 1}, last ? GetParam() : "0 0");
    }
    loadProblem(markerLocusFile({4}), text);
    StoppedRun run;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 64 * 1024);
    pthread_t thread;
    auto body = [](void* result) -> void* {
        *static_cast<StoppedRun*>(result) = runUntilStopped([] { eliminateGenotypes(runParameters.pedigrees); });
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, body, &run), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    if (std::string(GetParam()) == "3 4") {
        EXPECT_EQ(run.err, "\nAn input error has been found:\nInvalid value in locus no. 0 of person no. 10002, "
                           "pedigree no. 0.\n\n");
        return;
    }
    for (const Person& person : firstPedigree().persons) ASSERT_EQ(person.done, 1) << "person " << person.id;
    EXPECT_EQ(alleles(firstPedigree().persons.back().loci[0].paternalCandidates), "2");
    // Only an upward pass that came all the way back up sees both alleles the founder passed on.
    EXPECT_EQ(alleles(personOnLine(1).loci[0].paternalCandidates), "2 3");
    EXPECT_EQ(alleles(personOnLine(1).loci[0].maternalCandidates), "2 3");
}

INSTANTIATE_TEST_SUITE_P(LastSonTyped, DeepPedigree, ::testing::Values("2 4", "3 4"));

}  // namespace
}  // namespace pedlik::testing
