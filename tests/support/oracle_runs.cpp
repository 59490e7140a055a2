#include "support/oracle_runs.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "driver/lod_score_mode.hpp"
#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/assembly.hpp"
#include "network/network_nodes.hpp"
#include "oracle/dense_sum.hpp"
#include "product/product_pool.hpp"

namespace pedlik::testing {

namespace {

bool isZero(double logLikelihood) { return !(logLikelihood > impossibleLogLikelihood); }

}  // namespace

bool loadDataset(const oracle::Dataset& data) {
    loadProblem(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data));
    const bool sexLinked = runParameters.isSexLinked == 1;
    return !runUntilStopped([&] {
        (sexLinked ? eliminateGenotypesSexLinked : eliminateGenotypes)(runParameters.pedigrees);
        (sexLinked ? createNetworkNodesSexLinked : createNetworkNodes)(runParameters.pedigrees);
    }).stopped;
}

double logAssembledTotal(Pedigree& pedigree) {
    const std::unique_ptr<Product> product = createProduct(pedigree.nodeCount + 1, pedigree.nodeCount + 1);
    double logTotal = quietly([&] { return buildPedigreeTables(*product, pedigree, runParameters.isSexLinked); });
    std::vector<int> counts;
    for (const Variable& variable : product->variables) counts.push_back(variable.inUse ? variable.valueCount : 1);
    std::vector<oracle::DenseFactor> factors;
    for (const Function& function : product->functions) {
        if (!function.inUse) continue;
        logTotal += function.logScale;
        auto& factor = factors.emplace_back(oracle::DenseFactor{{}, {function.probablist.begin(), function.probablist.end()}});
        for (const Variable* v : function.vars) factor.vars.push_back(static_cast<int>(v - product->variables.data()));
    }
    return logTotal + std::log(oracle::sumOfProduct(counts, std::move(factors)));
}

std::string lodScoreReport(OrderLimits limits, const EliminationSettings& settings, LodCurve* curve) {
    ::testing::internal::CaptureStdout();
    LodCurve measured = runLodScoreMode(runParameters.pedigrees, limits, settings, curve != nullptr);
    if (curve != nullptr) *curve = std::move(measured);
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

::testing::AssertionResult reportMatches(const LodReport& report, const std::vector<double>& thetas,
                                         const std::vector<double>& expected, double tolerance) {
    if (!report.fault.empty()) return ::testing::AssertionFailure() << report.fault;
    if (expected.size() != thetas.size()) return ::testing::AssertionFailure() << expected.size() << " values for " << thetas.size() << " fractions";
    const bool zeroAtHalf = isZero(expected.at(0));
    if (zeroAtHalf && report.stoppedAtFirstPass) return ::testing::AssertionSuccess();
    if (report.blocks.size() != (zeroAtHalf ? 1 : thetas.size())) {
        return ::testing::AssertionFailure() << report.blocks.size() << " blocks for " << thetas.size() << " values";
    }
    const double ln10 = std::log(10.0);
    for (size_t b = 0; b < report.blocks.size(); ++b) {
        const ReportedBlock& block = report.blocks[b];
        char theta[64];
        std::snprintf(theta, sizeof theta, "%lf", thetas[b]);
        if (block.theta != (b == 0 ? "0.5" : theta) || block.values.empty() != isZero(expected[b])) {
            return ::testing::AssertionFailure() << "block " << b << " (" << block.theta << ") where ln L is " << expected[b];
        }
        const double e = expected[b], lines[] = {e, e / ln10, -2 * e, std::exp(e), b == 0 ? 0.0 : (e - expected[0]) / ln10};
        for (size_t k = 0; k < block.values.size(); ++k) {
            if (!(std::fabs(block.values[k] - lines[k]) <= tolerance)) {
                return ::testing::AssertionFailure() << "block " << b << ": printed " << block.values[k] << ", expected " << lines[k];
            }
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace pedlik::testing
