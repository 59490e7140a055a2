// Genotype elimination narrows and fixes selectors as far as hand-worked cases say (soundness alone would allow keeping
// everything), and walks thousands of generations on a small stack.
#include <gtest/gtest.h>
#include <pthread.h>

#include <cstdio>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

// One marker locus with 4 alleles.
std::string markerLocusFile(bool sexLinked) {
    return std::string("1 0 ") + (sexLinked ? "1" : "0") + " 6\n0 0.0 0.0 0\n1\n3 4\n0.25 0.25 0.25 0.25\n0 0\n\n";
}

// "<line>: <paternal alleles> | <maternal alleles> <selectors>", each selector its fixed value or "-" when not fixed.
std::string outcome(int line) {
    const PersonLocus& data = runParameters.pedigrees.head->persons.at(line - 1).loci[0];
    std::string text = std::to_string(line) + ":";
    for (const CandidateList* list : {&data.paternalCandidates, &data.maternalCandidates}) {
        for (const halfLocusPerson& node : *list) text.append(" ").append(std::to_string(node.allele));
        text.append(list == &data.paternalCandidates ? " |" : " ");
    }
    for (auto [state, value] : {std::pair{data.paternalSelectorState, data.paternalSelectorValue}, {data.maternalSelectorState, data.maternalSelectorValue}}) {
        const bool unfixed = state == selectorNotFixed && value == 0;
        text.append(state == selectorFixed ? std::to_string(value) : unfixed ? "-" : "?");
    }
    return text;
}

struct EliminationCase {
    const char* name;
    bool sexLinked;
    std::string pedigree;
    std::vector<std::string> expected;  // outcomes
};

class GenotypeElimination : public ::testing::TestWithParam<EliminationCase> {};

// An untyped founder (line 1) and his wife typed 1/1 have a daughter typed 1/3 and a son typed 1/2, whose line of
// untyped sons, each with a wife typed 4/4, goes on for 5000 generations and ends with a son typed 2/4.
std::string deepPedigree() {
    std::string text = "1 1 0 0 3 0 0 1 0  0 0\n1 2 0 0 3 0 0 2 0  1 1\n1 3 1 2 6 4 4 1 0  1 2\n1 4 1 2 0 0 0 2 0  1 3\n";
    for (int son = 3, wife = 5, generation = 2; generation <= 5000; ++generation, son = wife + 1, wife = son + 1) {
        const bool last = generation == 5000;
        char lines[100];
        std::snprintf(lines, sizeof lines, "1 %d 0 0 %d 0 0 2 0  4 4\n1 %d %d %d %d 0 0 1 0  %s\n", wife, wife + 1, wife + 1, son, wife,
                      last ? 0 : wife + 3, last ? "2 4" : "0 0");
        text += lines;
    }
    return text;
}

TEST_P(GenotypeElimination, LeavesTheseCandidatesAndSelectorsOnASmallStack) {
    const EliminationCase& c = GetParam();
    loadProblem(markerLocusFile(c.sexLinked), c.pedigree);
    // The passes run on a thread whose 64 KiB stack holds far fewer calls than the deep pedigree has generations.
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 64 * 1024);
    pthread_t thread;
    auto body = [](void* sexLinked) -> void* {
        (*static_cast<bool*>(sexLinked) ? eliminateGenotypesSexLinked : eliminateGenotypes)(runParameters.pedigrees);
        return nullptr;
    };
    bool sexLinked = c.sexLinked;
    ASSERT_EQ(pthread_create(&thread, &attributes, body, &sexLinked), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    for (const std::string& expected : c.expected) EXPECT_EQ(outcome(std::stoi(expected)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Families, GenotypeElimination,
    ::testing::ValuesIn(std::vector<EliminationCase>{
        // The father (line 3) passes 2, 1 and one of them: narrowed to paternal 1 and maternal 2, he fixes the
        // selectors of the children whose allele from him is known.
        {"UpwardMarksSplitAFathersHalvesAndFixSelectors", false,
         "1 1 0 0 3 0 0 1 0  1 1\n1 2 0 0 3 0 0 2 0  0 0\n1 3 1 2 5 0 0 1 0  0 0\n1 4 0 0 5 0 0 2 0  4 4\n"
         "1 5 3 4 0 6 6 1 0  2 4\n1 6 3 4 0 7 7 2 0  1 4\n1 7 3 4 0 0 0 1 0  0 0\n",
         {"3: 1 | 2 --", "2: 1 2 3 4 | 1 2 3 4 --", "5: 2 | 4 0-", "6: 1 | 4 1-", "7: 1 2 | 4 --"}},
        // Lines 4 to 7 are reached only by starting the passes again.
        {"UnconnectedFamilyIsEliminatedToo", false,
         "1 1 0 0 3 0 0 1 0  1 1\n1 2 0 0 3 0 0 2 0  2 2\n1 3 1 2 0 0 0 1 0  0 0\n1 4 0 0 6 0 0 1 0  0 0\n"
         "1 5 0 0 6 0 0 2 0  1 1\n1 6 4 5 0 7 7 1 0  1 3\n1 7 4 5 0 0 0 2 0  1 2\n",
         {"3: 1 | 2 --", "4: 2 3 | 2 3 --", "6: 3 | 1 --", "7: 2 | 1 --"}},
        // The mother (line 3) has her father's 1 and so her mother's 2, which her son got.
        {"SexLinkedMotherWithKnownHalvesFixesHerSonsSelector", true,
         "1 1 0 0 3 0 0 1 0  1 0\n1 2 0 0 3 0 0 2 0  0 0\n1 3 1 2 5 0 0 2 0  1 2\n1 4 0 0 5 0 0 1 0  3 0\n"
         "1 5 4 3 0 0 0 1 0  2 0\n",
         {"3: 1 | 2 --", "5: | 2 -0"}},
        // Only an upward pass that came all the way back up sees both alleles the founder passed on.
        {"FiveThousandGenerations", false, deepPedigree(), {"1: 2 3 | 2 3 --"}}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pedlik::testing
