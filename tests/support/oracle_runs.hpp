#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "oracle/dataset.hpp"
#include "ordering/elimination_order.hpp"
#include "product/elimination_settings.hpp"
#include "product/product.hpp"
#include "results/lod_curve.hpp"
#include "support/problem_loading.hpp"
#include "support/report_reading.hpp"
#include "support/run_binary.hpp"

// pedlik run on oracle datasets, as a binary and in-process.
namespace pedlik::testing {

// `step`'s result, what it prints swallowed.
template <typename Step>
auto quietly(Step step) {
    ::testing::internal::CaptureStdout();
    struct Drop { ~Drop() { std::fflush(stdout), ::testing::internal::GetCapturedStdout(); } } drop;
    return step();
}

inline RunResult runOnDataset(const oracle::Dataset& data, std::vector<std::string> args = {}) {
    args.insert(args.end(), {"d.dat", "p.dat"});
    return runWithFiles({{"d.dat", oracle::toPedlikLocusFile(data)}, {"p.dat", oracle::toPedlikPedigreeFile(data)}}, args);
}

// Reads the dataset's files, then eliminates genotypes and makes the
// network nodes as a run does; false when elimination stops the run.
bool loadDataset(const oracle::Dataset& data);

// ln of the pedigree's product as the network assembly fills it, summed
// over its live variables by the oracle's dense tables.
double logAssembledTotal(Pedigree& pedigree);

// The LOD-score mode's report, in-process; with `curve`, each pedigree's
// log-likelihoods measured as for the results options.
std::string lodScoreReport(OrderLimits limits = {}, const EliminationSettings& settings = {}, LodCurve* curve = nullptr);
// Blocks for `thetas` with these ln likelihoods, each printed line within
// `tolerance`; a 0 at 0.5 may end the report before or with its block.
::testing::AssertionResult reportMatches(const LodReport& report, const std::vector<double>& thetas, const std::vector<double>& logLikelihoods,
                                         double tolerance = 1e-6);

}  // namespace pedlik::testing
