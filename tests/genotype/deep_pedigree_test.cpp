#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

constexpr int generations = 5000;
// Far less than a call per generation needs, so only traversals that keep
// their pending calls off the machine stack get through.
constexpr size_t smallStackBytes = 64 * 1024;

// Runs `step` on a thread with a small stack and waits for it.
void runOnSmallStack(const std::function<void()>& step) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, smallStackBytes);
    pthread_t thread;
    auto body = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, body, const_cast<std::function<void()>*>(&step)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

std::string personLine(int id, int father, int mother, int firstChild, int nextSibling, bool female,
                       const char* alleles) {
    return "1 " + std::to_string(id) + " " + std::to_string(father) + " " + std::to_string(mother) + " " +
           std::to_string(firstChild) + " " + std::to_string(father ? nextSibling : 0) + " " +
           std::to_string(father ? nextSibling : 0) + (female ? " 2" : " 1") + " 0  " + alleles + "\n";
}

// An untyped founder (line 1) and his wife typed 1/1 have a daughter typed
// 1/3 (line 4) and a son typed 1/2 (line 3), whose line of untyped sons, each
// with a wife typed 4/4 married in, goes on for `generations` generations and
// ends with a son typed `lastAlleles`.
std::string deepPedigree(const char* lastAlleles) {
    std::string text = personLine(1, 0, 0, 3, 0, false, "0 0") + personLine(2, 0, 0, 3, 0, true, "1 1") +
                       personLine(3, 1, 2, 6, 4, false, "1 2") + personLine(4, 1, 2, 0, 0, true, "1 3");
    int son = 3;
    for (int generation = 2; generation <= generations; ++generation) {
        const int wife = son == 3 ? 5 : son + 1;
        const int child = wife + 1;
        const bool last = generation == generations;
        text += personLine(wife, 0, 0, child, 0, true, "4 4");
        text += personLine(child, son, wife, last ? 0 : child + 2, 0, false, last ? lastAlleles : "0 0");
        son = child;
    }
    return text;
}

std::string alleles(const CandidateList& list) {
    std::string text;
    for (int allele : allelesOf(list)) text += (text.empty() ? "" : " ") + std::to_string(allele);
    return text;
}

TEST(DeepPedigree, IsEliminatedThroughThousandsOfGenerationsOnASmallStack) {
    loadProblem(markerLocusFile({4}), deepPedigree("2 4"));
    Pedigree& pedigree = firstPedigree();
    runOnSmallStack([] { eliminateGenotypes(runParameters.pedigrees); });
    for (const Person& person : pedigree.persons) ASSERT_EQ(person.done, 1) << "person " << person.id;
    const PersonLocus& last = pedigree.persons.back().loci[0];
    EXPECT_EQ(alleles(last.paternalCandidates), "2");
    EXPECT_EQ(alleles(last.maternalCandidates), "4");
    // Only an upward pass that climbed all the way back sees both alleles
    // the founder passed on.
    const PersonLocus& founder = personOnLine(1).loci[0];
    EXPECT_EQ(alleles(founder.paternalCandidates), "2 3");
    EXPECT_EQ(alleles(founder.maternalCandidates), "2 3");
}

TEST(DeepPedigree, InconsistencyAtTheBottomIsReportedOnASmallStack) {
    loadProblem(markerLocusFile({4}), deepPedigree("3 4"));
    StoppedRun run;
    runOnSmallStack([&] { run = runUntilStopped([] { eliminateGenotypes(runParameters.pedigrees); }); });
    EXPECT_EQ(run.err, "\nAn input error has been found:\nInvalid value in locus no. 0 of person no. " +
                           std::to_string(firstPedigree().personCount) + ", pedigree no. 0.\n\n");
}

}  // namespace
}  // namespace pedlik::testing
