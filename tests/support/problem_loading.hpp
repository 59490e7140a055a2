#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "base/errors.hpp"
#include "driver/read_problem.hpp"
#include "input/process_state.hpp"
#include "support/run_binary.hpp"

namespace pedlik::testing {

struct StoppedRun {
    bool stopped = false;
    int status = 0;
    std::string err;  // all the step wrote on standard error
};

// Runs `step` with fatal errors turned into a return to the caller.
inline StoppedRun runUntilStopped(const std::function<void()>& step) {
    StoppedRun run;
    const FatalExitHandler previous = fatalExitHandler;
    fatalExitHandler = [](int status) { throw status; };
    ::testing::internal::CaptureStderr();
    try {
        step();
    } catch (int status) {
        run = {true, status, ""};
    }
    run.err = ::testing::internal::GetCapturedStderr();
    fatalExitHandler = previous;
    return run;
}

// Reads files of these contents into the cleared run parameters, as a run does; progress lines are swallowed.
inline void loadProblem(const std::string& locusText, const std::string& pedigreeText,
                        FileForms forms = {}) {
    runParameters = RunParameters{};
    ScratchDir dir;
    dir.write("locus.dat", locusText);
    dir.write("pedigree.dat", pedigreeText);
    const std::string locus = (dir.path() / "locus.dat").string(), pedigree = (dir.path() / "pedigree.dat").string();
    ::testing::internal::CaptureStdout();
    const StoppedRun run = runUntilStopped([&] { readProblem(locus.c_str(), pedigree.c_str(), forms); });
    ::testing::internal::GetCapturedStdout();
    if (run.stopped) throw std::runtime_error("the test's files do not read: " + run.err);
}

}  // namespace pedlik::testing
