#include "support/problem_loading.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/errors.hpp"
#include "driver/read_problem.hpp"
#include "input/process_state.hpp"
#include "support/run_binary.hpp"

namespace pedlik::testing {

void loadProblem(const std::string& locusText, const std::string& pedigreeText) {
    runParameters = RunParameters{};
    ScratchDir dir;
    dir.write("locus.dat", locusText);
    dir.write("pedigree.dat", pedigreeText);
    const std::string locus = (dir.path() / "locus.dat").string(), pedigree = (dir.path() / "pedigree.dat").string();
    ::testing::internal::CaptureStdout();
    const StoppedRun run = runUntilStopped([&] { readProblem(locus.c_str(), pedigree.c_str()); });
    ::testing::internal::GetCapturedStdout();
    if (run.stopped) throw std::runtime_error("the test's files do not read: " + run.err);
}

std::string markerLocusFile(const std::vector<int>& alleleCounts, bool sexLinked) {
    const int count = static_cast<int>(alleleCounts.size());
    std::string text = std::to_string(count) + " 0 " + (sexLinked ? "1" : "0") + " 6 << loci\n0 0.0 0.0 0\n";
    for (int k = 1; k <= count; ++k) text.append(std::to_string(k)).append(k == count ? "\n" : " ");
    for (int alleles : alleleCounts) {
        text.append("3 ").append(std::to_string(alleles)).append(" << numbered alleles\n");
        for (int a = 0; a < alleles; ++a) text.append(std::to_string(1.0 / alleles)).append(" ");
        text += "\n";
    }
    text += "0 0\n";
    for (int k = 1; k < count; ++k) text += "0.1 ";
    return text + "\n";
}

StoppedRun runUntilStopped(const std::function<void()>& step) {
    struct FatalExit {
        int status;
    };
    StoppedRun run;
    const FatalExitHandler previous = fatalExitHandler;
    fatalExitHandler = [](int status) { throw FatalExit{status}; };
    ::testing::internal::CaptureStderr();
    try {
        step();
    } catch (const FatalExit& exit) {
        run = {true, exit.status, ""};
    }
    run.err = ::testing::internal::GetCapturedStderr();
    fatalExitHandler = previous;
    return run;
}

Pedigree& firstPedigree() { return *runParameters.pedigrees.head; }

Person& personOnLine(int line, Pedigree& pedigree) { return pedigree.persons.at(line - 1); }

std::string alleles(const CandidateList& list) {
    std::string text;
    for (const halfLocusPerson& node : list) text.append(text.empty() ? "" : " ").append(std::to_string(node.allele));
    return text;
}

}  // namespace pedlik::testing
