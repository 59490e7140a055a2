#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "product/elimination_order.hpp"
#include "product/elimination_settings.hpp"

// The LOD-score mode on a problem that loadProblem and prepareNetwork have
// made ready: its doubles straight from the library, and its printed report.
namespace pedlik::testing {

// The natural log-likelihood of all pedigrees at each value of the varied
// fraction in turn, made by the steps of the mode (build, trim, orders on the
// first value only, elimination) with these thresholds;
// impossibleLogLikelihood where the likelihood is 0. The varied fraction is
// left as it was read.
struct LibraryRun {
    std::vector<double> logLikelihoods;
    std::string out;  // the progress and report lines of the steps
};
LibraryRun lodScoreLogLikelihoods(const std::vector<double>& variedThetas, OrderLimits limits = {},
                                  const EliminationSettings& settings = EliminationSettings{});

// Whether a run's output shows conditioning: only the copies of a
// conditioned product print a share below 100 percent.
bool showsConditioning(const std::string& out);

// What runLodScoreMode prints with these thresholds.
std::string lodScoreReport(OrderLimits limits = {}, const EliminationSettings& settings = EliminationSettings{});

// The blocks of a LOD-score report, read from a run's whole standard output.
struct ReportedBlock {
    std::string theta;  // as printed after "VARIED THETA  = "
    bool zero = false;  // "The likelihood is 0.0" instead of the five lines
    double lnLike = 0.0;
    double logLike = 0.0;
    double minusTwoLnLike = 0.0;
    double likelihood = 0.0;
    double lodScore = 0.0;
};
struct LodReport {
    bool stoppedAtFirstPass = false;  // the zero line with no block at all
    std::vector<ReportedBlock> blocks;
    std::string fault;  // what in the report's shape is wrong; empty when nothing
};
LodReport parseLodReport(const std::string& out);

// The report's blocks are those of `thetas` (the mode's values, 0.5 first)
// with these natural log-likelihoods (impossibleLogLikelihood for 0), each
// printed line within `tolerance`. A likelihood of 0 at 0.5 may end the
// report before the first block or with that block.
::testing::AssertionResult reportMatches(const LodReport& report, const std::vector<double>& thetas,
                                         const std::vector<double>& logLikelihoods, double tolerance = 1e-6);

// Whether two natural log-likelihoods agree within `tolerance` times the
// larger of 1 and the expected one's size (near 0 that is the likelihood's
// own relative error), both standing for 0 (at or below
// impossibleLogLikelihood) or neither.
::testing::AssertionResult sameLogLikelihood(double actual, double expected, double tolerance);

}  // namespace pedlik::testing
