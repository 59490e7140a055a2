#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "oracle/dataset.hpp"

// FASTLINK as a black-box oracle: `unknown` then `mlink` (or `ilink`) in a scratch folder.
namespace pedlik::oracle {

// One THETAS block of outfile.dat: each pedigree's ln likelihood and the
// TOTALS line (6 decimals).
struct FastlinkBlock {
    std::vector<double> pedigreeLnLikelihoods;
    double lnLikelihood = 0.0;
};

// ilink's maximum-likelihood fractions (3 decimals) and its ln likelihood
// there (six significant figures), from the dataset's fractions.
struct IlinkEstimate {
    std::vector<double> thetas;
    double logLikelihood = 0.0;
};

bool fastlinkAvailable();
// None when ilink takes more than `seconds`.
std::optional<IlinkEstimate> runIlink(const Dataset& data, int seconds);
// The blocks in report order; std::runtime_error with the program's output
// when a program fails or leaves no report.
std::vector<FastlinkBlock> runFastlink(const std::string& locusText, const std::string& pedigreeText);

}  // namespace pedlik::oracle

// A skip without FASTLINK, except under CI, which installs it.
#define SKIP_WITHOUT_FASTLINK()                                                      \
    do {                                                                             \
        if (!pedlik::oracle::fastlinkAvailable()) {                                  \
            if (std::getenv("CI") != nullptr) FAIL() << "FASTLINK is not installed"; \
            GTEST_SKIP() << "FASTLINK is not installed";                             \
        }                                                                            \
    } while (0)
