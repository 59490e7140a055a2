#pragma once

#include <regex>
#include <string>

#include "oracle/dataset.hpp"
#include "oracle/file_writers.hpp"
#include "support/run_binary.hpp"

namespace pedlik::testing {

// pedlik run on the two files of a dataset.
inline RunResult runOnDataset(const oracle::Dataset& data) {
    return runWithFiles({{"d.dat", oracle::toPedlikLocusFile(data)}, {"p.dat", oracle::toPedlikPedigreeFile(data)}},
                        {"d.dat", "p.dat"});
}

// A run that ended normally: status 0, nothing on standard error, and the
// two timing lines last.
inline ::testing::AssertionResult endedNormally(const RunResult& run) {
    static const std::regex timings(
        "\nThe time needed for value-elimination is [0-9]+\\.[0-9]{6} sec\\.\n"
        "The time needed for calculating the likelihood of the pedigree is [0-9]+\\.[0-9]{6} sec\\.\n$");
    if (run.status != 0 || !run.err.empty()) {
        return ::testing::AssertionFailure() << "status " << run.status << ", standard error: " << run.err;
    }
    if (!std::regex_search(run.out, timings)) return ::testing::AssertionFailure() << "no timing lines at the end";
    return ::testing::AssertionSuccess();
}

}  // namespace pedlik::testing
