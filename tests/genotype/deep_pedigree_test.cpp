#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {
namespace {

// Runs `step` on a thread whose 64 KiB stack holds far fewer calls than the
// pedigree below has generations.
void runOnSmallStack(const std::function<void()>& step) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 64 * 1024);
    pthread_t thread;
    auto body = [](void* argument) -> void* {
        (*static_cast<const std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, body, const_cast<std::function<void()>*>(&step)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

// An untyped founder (line 1) and his wife typed 1/1 have a daughter typed
// 1/3 (line 4) and a son typed 1/2 (line 3), whose line of untyped sons, each
// with a wife typed 4/4, goes on for 5000 generations and ends with a son
// typed `lastAlleles`.
std::string deepPedigree(const std::string& lastAlleles) {
    auto line = [](int id, int father, int mother, int firstChild, int sibling, int sex, const std::string& typing) {
        return "1 " + std::to_string(id) + " " + std::to_string(father) + " " + std::to_string(mother) + " " +
               std::to_string(firstChild) + " " + std::to_string(sibling) + " " + std::to_string(sibling) + " " +
               std::to_string(sex) + " 0  " + typing + "\n";
    };
    std::string text = line(1, 0, 0, 3, 0, 1, "0 0") + line(2, 0, 0, 3, 0, 2, "1 1") + line(3, 1, 2, 6, 4, 1, "1 2") +
                       line(4, 1, 2, 0, 0, 2, "1 3");
    for (int son = 3, generation = 2; generation <= 5000; ++generation) {
        const int wife = son == 3 ? 5 : son + 1;
        const bool last = generation == 5000;
        text += line(wife, 0, 0, wife + 1, 0, 2, "4 4");
        text += line(wife + 1, son, wife, last ? 0 : wife + 3, 0, 1, last ? lastAlleles : "0 0");
        son = wife + 1;
    }
    return text;
}

TEST(DeepPedigree, IsEliminatedThroughThousandsOfGenerationsOnASmallStack) {
    loadProblem(markerLocusFile({4}), deepPedigree("2 4"));
    runOnSmallStack([] { eliminateGenotypes(runParameters.pedigrees); });
    for (const Person& person : firstPedigree().persons) ASSERT_EQ(person.done, 1) << "person " << person.id;
    EXPECT_EQ(alleles(firstPedigree().persons.back().loci[0].paternalCandidates), "2");
    // Only an upward pass that came all the way back up sees both alleles the
    // founder passed on.
    EXPECT_EQ(alleles(personOnLine(1).loci[0].paternalCandidates), "2 3");
    EXPECT_EQ(alleles(personOnLine(1).loci[0].maternalCandidates), "2 3");
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
