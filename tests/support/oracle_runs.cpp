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
    assembled.logConstant = quietly([&] { return buildPedigreeTables(*assembled.product, pedigree, runParameters.isSexLinked); });
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
        Factor& factor = factors.emplace_back(Factor{{}, {function.probablist.begin(), function.probablist.end()}});
        for (const Variable* v : function.vars) factor.vars.push_back(static_cast<int>(v - product.variables.data()));
    }
    const auto scopeWithout = [&](int summed) {
        std::vector<int> scope;
        for (const Factor& f : factors) {
            if (std::ranges::count(f.vars, summed) == 0) continue;
            for (int v : f.vars) {
                if (v != summed && std::ranges::count(scope, v) == 0) scope.push_back(v);
            }
        }
        return scope;
    };
    const auto size = [&](int summed) {
        double s = 1;
        for (int v : scopeWithout(summed)) s *= counts[v];
        return s;
    };
    while (!live.empty()) {
        // The variable whose sum is smallest goes first.
        const auto summed = std::ranges::min_element(live, {}, size);
        const int x = *summed;
        Factor result{scopeWithout(x), {}};
        const auto touching = std::ranges::partition(factors, [x](const Factor& f) { return std::ranges::count(f.vars, x) == 0; });
        std::vector<int> digit(counts.size(), 0);
        for (size_t position = 1; position > 0;) {
            double& sum = result.entries.emplace_back(0.0);
            for (digit[x] = 0; digit[x] < counts[x]; ++digit[x]) {
                double term = 1.0;
                for (const Factor& f : touching) {
                    size_t index = 0;
                    for (int v : f.vars) index = index * counts[v] + digit[v];
                    term *= f.entries[index];
                }
                sum += term;
            }
            for (position = result.vars.size(); position > 0 && ++digit[result.vars[position - 1]] == counts[result.vars[position - 1]];) {
                digit[result.vars[--position]] = 0;
            }
        }
        factors.erase(touching.begin(), touching.end());
        factors.push_back(std::move(result));
        live.erase(summed);
    }
    double total = 1.0;
    for (const Factor& f : factors) total *= f.entries.at(0);
    return std::log(total) + logScale;
}

std::string lodScoreReport(OrderLimits limits, const EliminationSettings& settings) {
    ::testing::internal::CaptureStdout();
    runLodScoreMode(runParameters.pedigrees, limits, settings);
    std::fflush(stdout);
    return ::testing::internal::GetCapturedStdout();
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
        ReportedBlock& b = report.blocks.emplace_back(ReportedBlock{(*it)[1], {}});
        for (int k = 3; k <= 7 && (*it)[k].matched; ++k) b.values.push_back(std::stod((*it)[k]));
    }
    const auto count = [&out](const std::string& text) {
        size_t n = 0;
        for (size_t at = out.find(text); at != std::string::npos; at = out.find(text, at + 1)) ++n;
        return n;
    };
    report.stoppedAtFirstPass = report.blocks.empty() && out.find("\n\nThe likelihood is 0.0\n") != std::string::npos;
    const size_t zeroBlocks = std::count_if(report.blocks.begin(), report.blocks.end(), [](auto& b) { return b.values.empty(); });
    if (count("VARIED THETA") != report.blocks.size() ||
        count("The likelihood is 0.0") != zeroBlocks + (report.stoppedAtFirstPass ? 1u : 0u)) {
        report.fault = "a malformed block or a zero line outside a block";
    }
    return report;
}

::testing::AssertionResult reportMatches(const LodReport& report, const std::vector<double>& thetas,
                                         const std::vector<double>& expected, double tolerance) {
    if (!report.fault.empty()) return ::testing::AssertionFailure() << report.fault;
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
