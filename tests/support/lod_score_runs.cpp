#include "support/lod_score_runs.hpp"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "driver/lod_score_mode.hpp"
#include "input/process_state.hpp"
#include "product/likelihood.hpp"
#include "product/trimming.hpp"

namespace pedlik::testing {

namespace {

bool isZero(double logLikelihood) { return !(logLikelihood > impossibleLogLikelihood); }

std::string printed(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%lf", value);
    return text;
}

std::vector<std::string> linesOf(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// Reads "label value" into `value`; false when the line is something else.
bool readValueLine(const std::string& line, const std::string& label, double& value) {
    if (line.rfind(label, 0) != 0) return false;
    std::istringstream rest(line.substr(label.size()));
    return static_cast<bool>(rest >> value) && rest.peek() == EOF;
}

}  // namespace

LibraryRun lodScoreLogLikelihoods(const std::vector<double>& variedThetas, OrderLimits limits,
                                  const EliminationSettings& settings) {
    ThetaPair& varied = runParameters.thetaVals.at(static_cast<size_t>(runParameters.variedThetaIndex - 1));
    const ThetaPair asRead = varied;
    PedigreeList& pedigrees = runParameters.pedigrees;
    std::vector<EliminationOrder> orders;
    LibraryRun run;
    ::testing::internal::CaptureStdout();
    for (double theta : variedThetas) {
        setTheta(varied, theta);
        int failed = 0;
        ProductArray products = buildProducts(failed, pedigrees);
        if (failed == 0) runParameters.logLikelihood += trimProducts(products, pedigrees, failed);
        if (failed == 0) {
            if (orders.empty()) orders = makeEliminationOrders(products, pedigrees, runParameters.lociCount, limits);
            computeLikelihoods(products, orders, pedigrees, settings);
        }
        const double result = runParameters.logLikelihood;
        run.logLikelihoods.push_back(failed == 0 && !isZero(result) ? result : impossibleLogLikelihood);
    }
    releaseEliminationOrders(orders, pedigrees.count);
    varied = asRead;
    std::fflush(stdout);
    run.out = ::testing::internal::GetCapturedStdout();
    return run;
}

bool showsConditioning(const std::string& out) {
    const std::string solved = "Solved ";
    for (size_t at = out.find(solved); at != std::string::npos; at = out.find(solved, at + 1)) {
        if (out.compare(at + solved.size(), 11, "100.000000 ") != 0) return true;
    }
    return false;
}

std::string lodScoreReport(OrderLimits limits, const EliminationSettings& settings) {
    ::testing::internal::CaptureStdout();
    runLodScoreMode(runParameters.pedigrees, limits, settings);
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

LodReport parseLodReport(const std::string& out) {
    LodReport report;
    const std::vector<std::string> lines = linesOf(out);
    const auto line = [&](size_t i) { return i < lines.size() ? lines[i] : std::string("<end of output>"); };
    for (size_t i = 0; i < lines.size() && report.fault.empty(); ++i) {
        if (lines[i] == "The likelihood is 0.0") {
            if (i == 0 || !lines[i - 1].empty() || !report.blocks.empty() || report.stoppedAtFirstPass) {
                report.fault = "a zero-likelihood line outside a block, at line " + std::to_string(i + 1);
            }
            report.stoppedAtFirstPass = true;
            continue;
        }
        if (lines[i].rfind("VARIED THETA", 0) != 0) continue;
        ReportedBlock block;
        const std::string header = "VARIED THETA  = ";
        if (report.stoppedAtFirstPass || i == 0 || !lines[i - 1].empty() || lines[i].rfind(header, 0) != 0 ||
            line(i + 1) != "---------------------------") {
            report.fault = "a malformed block header at line " + std::to_string(i + 1);
            break;
        }
        block.theta = lines[i].substr(header.size());
        if (line(i + 2).empty() && line(i + 3) == "The likelihood is 0.0") {
            block.zero = true;
            i += 3;
        } else if (readValueLine(line(i + 2), "LN(LIKE)    = ", block.lnLike) &&
                   readValueLine(line(i + 3), "LOG(LIKE)   = ", block.logLike) &&
                   readValueLine(line(i + 4), "-2 LN(LIKE) = ", block.minusTwoLnLike) &&
                   readValueLine(line(i + 5), "likelihood  = ", block.likelihood) &&
                   readValueLine(line(i + 6), "LOD_SCORE   = ", block.lodScore)) {
            i += 6;
        } else {
            report.fault = "a block without its value lines at line " + std::to_string(i + 1);
        }
        report.blocks.push_back(block);
    }
    return report;
}

::testing::AssertionResult reportMatches(const LodReport& report, const std::vector<double>& thetas,
                                         const std::vector<double>& logLikelihoods, double tolerance) {
    if (!report.fault.empty()) return ::testing::AssertionFailure() << report.fault;
    if (isZero(logLikelihoods.at(0))) {
        const bool stoppedAtOnce = report.stoppedAtFirstPass && report.blocks.empty();
        const bool zeroBlockOnly = !report.stoppedAtFirstPass && report.blocks.size() == 1 && report.blocks[0].zero &&
                                   report.blocks[0].theta == "0.5";
        if (stoppedAtOnce || zeroBlockOnly) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the likelihood at 0.5 is 0, yet the report goes on";
    }
    if (report.stoppedAtFirstPass || report.blocks.size() != thetas.size()) {
        return ::testing::AssertionFailure() << report.blocks.size() << " blocks for " << thetas.size() << " values";
    }
    const double ln10 = std::log(10.0);
    for (size_t b = 0; b < thetas.size(); ++b) {
        const ReportedBlock& block = report.blocks[b];
        const double expected = logLikelihoods[b];
        const std::string where = "block " + std::to_string(b) + " (" + block.theta + "): ";
        const std::string theta = b == 0 ? "0.5" : printed(thetas[b]);
        if (block.theta != theta) return ::testing::AssertionFailure() << where << "expected theta " << theta;
        if (block.zero != isZero(expected)) {
            return ::testing::AssertionFailure() << where << (block.zero ? "printed 0, expected " : "expected 0, got ")
                                                 << (block.zero ? expected : block.lnLike);
        }
        if (block.zero) continue;
        const double lod = (expected - logLikelihoods[0]) / ln10;
        const std::pair<double, double> checks[] = {{block.lnLike, expected},
                                                    {block.logLike, expected / ln10},
                                                    {block.minusTwoLnLike, -2.0 * expected},
                                                    {block.likelihood, std::exp(expected)},
                                                    {block.lodScore, b == 0 ? 0.0 : lod}};
        for (const auto& [shown, value] : checks) {
            if (!(std::fabs(shown - value) <= tolerance)) {
                return ::testing::AssertionFailure() << where << "printed " << printed(shown) << ", expected "
                                                     << printed(value) << " (ln-likelihood " << expected << ")";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameLogLikelihood(double actual, double expected, double tolerance) {
    if (isZero(actual) && isZero(expected)) return ::testing::AssertionSuccess();
    if (!isZero(actual) && !isZero(expected) &&
        std::fabs(actual - expected) <= tolerance * std::max(1.0, std::fabs(expected))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "ln-likelihood " << actual << " where " << expected << " was expected";
}

}  // namespace pedlik::testing
