#include "support/oracle_runs.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>

#include "driver/lod_score_mode.hpp"
#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/assembly.hpp"
#include "network/network_nodes.hpp"
#include "product/likelihood.hpp"
#include "product/product_pool.hpp"
#include "product/trimming.hpp"

namespace pedlik::testing {

namespace {

bool isZero(double logLikelihood) { return !(logLikelihood > impossibleLogLikelihood); }

template <typename Step>
std::string captured(Step step) {
    ::testing::internal::CaptureStdout();
    step();
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
}

// A dense table over variables named by slot, the last fastest.
struct Factor {
    std::vector<int> vars;
    std::vector<double> entries;
};

}  // namespace

::testing::AssertionResult endedNormally(const RunResult& run) {
    static const std::regex timings(
        "\nThe time needed for value-elimination is [0-9]+\\.[0-9]{6} sec\\.\n"
        "The time needed for calculating the likelihood of the pedigree is [0-9]+\\.[0-9]{6} sec\\.\n$");
    if (run.status != 0 || !run.err.empty()) return ::testing::AssertionFailure() << run.status << ": " << run.err;
    if (!std::regex_search(run.out, timings)) return ::testing::AssertionFailure() << "no timing lines at the end";
    return ::testing::AssertionSuccess();
}

StoppedRun prepareNetwork() {
    return runUntilStopped([] {
        if (runParameters.isSexLinked == 1) {
            eliminateGenotypesSexLinked(runParameters.pedigrees);
            createNetworkNodesSexLinked(runParameters.pedigrees);
        } else {
            eliminateGenotypes(runParameters.pedigrees);
            createNetworkNodes(runParameters.pedigrees);
        }
    });
}

AssembledProduct assemblePedigree(Pedigree& pedigree) {
    AssembledProduct assembled{createProduct(pedigree.nodeCount + 1, pedigree.nodeCount + 1)};
    captured([&] {
        assembled.logConstant = buildPedigreeTables(*assembled.product, pedigree, runParameters.isSexLinked);
    });
    return assembled;
}

double logProductTotal(const Product& product) {
    std::vector<int> counts, live;
    for (const Variable& variable : product.variables) {
        if (variable.inUse) live.push_back(static_cast<int>(counts.size()));
        counts.push_back(variable.valueCount);
    }
    double logScale = 0.0;
    std::vector<Factor> factors;
    for (const Function& function : product.functions) {
        if (!function.inUse) continue;
        logScale += function.logScale;
        Factor& factor = factors.emplace_back();
        for (const Variable* v : function.vars) factor.vars.push_back(static_cast<int>(v - product.variables.data()));
        factor.entries.assign(function.probablist.begin(), function.probablist.end());
    }
    const auto scopeWithout = [&](int summed) {
        std::vector<int> scope;
        for (const Factor& f : factors) {
            if (std::find(f.vars.begin(), f.vars.end(), summed) == f.vars.end()) continue;
            for (int v : f.vars) {
                if (v != summed && std::find(scope.begin(), scope.end(), v) == scope.end()) scope.push_back(v);
            }
        }
        return scope;
    };
    const auto size = [&](const std::vector<int>& scope) {
        double s = 1;
        for (int v : scope) s *= counts[v];
        return s;
    };
    while (!live.empty()) {
        // The variable whose sum is smallest goes first.
        const auto summed = std::min_element(live.begin(), live.end(), [&](int a, int b) {
            return size(scopeWithout(a)) < size(scopeWithout(b));
        });
        const int x = *summed;
        Factor result{scopeWithout(x), {}};
        std::vector<Factor> touching;
        std::erase_if(factors, [&](Factor& f) {
            if (std::find(f.vars.begin(), f.vars.end(), x) == f.vars.end()) return false;
            touching.push_back(std::move(f));
            return true;
        });
        std::vector<int> digit(counts.size(), 0);
        for (size_t position = 1; position > 0;) {
            double sum = 0.0;
            for (digit[x] = 0; digit[x] < counts[x]; ++digit[x]) {
                double term = 1.0;
                for (const Factor& f : touching) {
                    size_t index = 0;
                    for (int v : f.vars) index = index * counts[v] + digit[v];
                    term *= f.entries[index];
                }
                sum += term;
            }
            result.entries.push_back(sum);
            for (position = result.vars.size(); position > 0 && ++digit[result.vars[position - 1]] == counts[result.vars[position - 1]];) {
                digit[result.vars[--position]] = 0;
            }
        }
        factors.push_back(std::move(result));
        live.erase(summed);
    }
    double total = 1.0;
    for (const Factor& f : factors) total *= f.entries.at(0);
    return std::log(total) + logScale;
}

LibraryRun lodScoreLogLikelihoods(const std::vector<double>& thetas, OrderLimits limits,
                                  const EliminationSettings& settings) {
    ThetaPair& varied = runParameters.thetaVals.at(runParameters.variedThetaIndex - 1);
    const ThetaPair asRead = varied;
    std::vector<EliminationOrder> orders;
    LibraryRun run;
    run.out = captured([&] {
        for (double theta : thetas) {
            setTheta(varied, theta);
            int failed = 0;
            ProductArray products = buildProducts(failed, runParameters.pedigrees);
            if (failed == 0) runParameters.logLikelihood += trimProducts(products, runParameters.pedigrees, failed);
            if (failed == 0) {
                if (orders.empty()) {
                    orders = makeEliminationOrders(products, runParameters.pedigrees, runParameters.lociCount, limits);
                }
                computeLikelihoods(products, orders, runParameters.pedigrees, settings);
            }
            const double result = runParameters.logLikelihood;
            run.logLikelihoods.push_back(failed == 0 && !isZero(result) ? result : impossibleLogLikelihood);
        }
        releaseEliminationOrders(orders, runParameters.pedigrees.count);
    });
    varied = asRead;
    return run;
}

std::string lodScoreReport(OrderLimits limits, const EliminationSettings& settings) {
    return captured([&] { runLodScoreMode(runParameters.pedigrees, limits, settings); });
}

bool showsConditioning(const std::string& out) {
    static const std::regex partial("Solved (?!100\\.000000 )");
    return std::regex_search(out, partial);
}

LodReport parseLodReport(const std::string& out) {
    static const std::regex block(
        "\nVARIED THETA  = (\\S+)\n---------------------------\n(\nThe likelihood is 0\\.0\n|"
        "LN\\(LIKE\\)    = (\\S+)\nLOG\\(LIKE\\)   = (\\S+)\n-2 LN\\(LIKE\\) = (\\S+)\n"
        "likelihood  = (\\S+)\nLOD_SCORE   = (\\S+)\n)");
    LodReport report;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), block); it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        ReportedBlock& b = report.blocks.emplace_back();
        b.theta = m[1];
        b.zero = !m[3].matched;
        if (!b.zero) b.lnLike = std::stod(m[3]), b.logLike = std::stod(m[4]), b.minusTwoLnLike = std::stod(m[5]),
                     b.likelihood = std::stod(m[6]), b.lodScore = std::stod(m[7]);
    }
    size_t headers = 0, zeros = 0;
    for (size_t at = out.find("VARIED THETA"); at != std::string::npos; at = out.find("VARIED THETA", at + 1)) ++headers;
    for (size_t at = out.find("The likelihood is 0.0"); at != std::string::npos; at = out.find("The likelihood is 0.0", at + 1)) ++zeros;
    const size_t zeroBlocks = std::count_if(report.blocks.begin(), report.blocks.end(), [](auto& b) { return b.zero; });
    report.stoppedAtFirstPass = report.blocks.empty() && out.find("\n\nThe likelihood is 0.0\n") != std::string::npos;
    if (headers != report.blocks.size()) report.fault = "a malformed block";
    if (zeros != zeroBlocks + (report.stoppedAtFirstPass ? 1 : 0)) report.fault = "a zero line outside a block";
    return report;
}

::testing::AssertionResult reportMatches(const LodReport& report, const std::vector<double>& thetas,
                                         const std::vector<double>& expected, double tolerance) {
    if (!report.fault.empty()) return ::testing::AssertionFailure() << report.fault;
    if (isZero(expected.at(0))) {
        if ((report.stoppedAtFirstPass && report.blocks.empty()) ||
            (report.blocks.size() == 1 && report.blocks[0].zero && report.blocks[0].theta == "0.5")) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "the likelihood at 0.5 is 0, yet the report goes on";
    }
    if (report.blocks.size() != thetas.size()) {
        return ::testing::AssertionFailure() << report.blocks.size() << " blocks for " << thetas.size() << " values";
    }
    const double ln10 = std::log(10.0);
    for (size_t b = 0; b < thetas.size(); ++b) {
        const ReportedBlock& block = report.blocks[b];
        char theta[64];
        std::snprintf(theta, sizeof theta, "%lf", thetas[b]);
        if (block.theta != (b == 0 ? "0.5" : theta) || block.zero != isZero(expected[b])) {
            return ::testing::AssertionFailure() << "block " << b << " (" << block.theta << ", zero " << block.zero
                                                 << ") where ln L is " << expected[b];
        }
        if (block.zero) continue;
        const double e = expected[b];
        const std::pair<double, double> checks[] = {{block.lnLike, e},
                                                    {block.logLike, e / ln10},
                                                    {block.minusTwoLnLike, -2 * e},
                                                    {block.likelihood, std::exp(e)},
                                                    {block.lodScore, b == 0 ? 0.0 : (e - expected[0]) / ln10}};
        for (const auto& [shown, value] : checks) {
            if (!(std::fabs(shown - value) <= tolerance)) {
                return ::testing::AssertionFailure() << "block " << b << ": printed " << shown << ", expected " << value;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameLogLikelihood(double actual, double expected, double tolerance) {
    if (isZero(actual) && isZero(expected)) return ::testing::AssertionSuccess();
    if (!isZero(actual) && !isZero(expected) && std::fabs(actual - expected) <= tolerance * std::max(1.0, std::fabs(expected))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "ln L " << actual << " where " << expected << " was expected";
}

}  // namespace pedlik::testing
