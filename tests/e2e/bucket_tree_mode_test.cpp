// Whole runs of the binary in the bucket-tree mode against the enumerator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "oracle/enumerator.hpp"
#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

using namespace oracle::hand;
using oracle::Dataset;
using oracle::handDataset;

constexpr bool male = true, female = false;

// The highest enumerated ln L over a grid of every fraction in [0, 0.5].
double gridMaximum(oracle::Dataset& data, size_t interval, double step) {
    if (interval == data.thetas.size()) return oracle::logLikelihood(data);
    double best = -INFINITY;
    for (double theta = 0.0; theta <= 0.5 + 1e-9; theta += step) {
        data.thetas[interval] = theta;
        best = std::max(best, gridMaximum(data, interval + 1, step));
    }
    return best;
}

// No kept iteration line's LN(LIKE) falls within a start, a rejected one is
// below the line before; the first three are the enumerator's at the THETAS
// they print, the first with the varied fraction at 0.5; each iteration
// reports every pedigree's assembly and trimming. With `ml` the closing
// lines hold the enumerator's ln L at the estimates and at 0.5, their LOD,
// and no point of a grid lies higher. The report comes back.
std::string checkBucketTreeRun(oracle::Dataset data, const std::string& where, bool ml = false) {
    data.programCode = 4;
    const RunResult run = runOnDataset(data, {"--estimates", ml ? "--ml" : "--"});
    EXPECT_TRUE(endedNormally(run)) << where << run.err;
    const std::vector<EmIteration> iterations = emIterations(run.out);
    EXPECT_FALSE(iterations.empty()) << where;
    EXPECT_EQ(ml ? mlLines(run.out).iterations + 1 : estimatedIterations(run.out), static_cast<int>(iterations.size())) << where;
    for (const char* report : {"\nNumber of nodes ", "\nTrimmed "}) {
        size_t count = 0;
        for (size_t at = run.out.find(report); at != std::string::npos; at = run.out.find(report, at + 1)) ++count;
        EXPECT_EQ(count, iterations.size() * data.pedigrees.size()) << where << report;
    }
    double kept = -INFINITY;
    for (size_t k = 0; k < iterations.size(); ++k) {
        const bool rejected = iterations[k].note == "rejected";
        if (!rejected && !iterations[k].note.empty()) kept = -INFINITY;
        EXPECT_TRUE(rejected ? iterations[k].logLikelihood < kept + 1e-6 : iterations[k].logLikelihood >= kept - 1e-6) << where << " iteration " << k + 1;
        if (!rejected) kept = iterations[k].logLikelihood;
    }
    for (size_t k = 0; k < iterations.size() && k < 3; ++k) {
        EXPECT_EQ(iterations[k].thetas.size(), data.thetas.size()) << where;
        std::copy_n(iterations[k].thetas.begin(), std::min(data.thetas.size(), iterations[k].thetas.size()), data.thetas.begin());
        EXPECT_TRUE(k > 0 || data.thetas[data.variedThetaIndex - 1] == 0.5) << where << " starts at " << iterations[k].thetas[0];
        const double expected = oracle::logLikelihood(data);
        EXPECT_NEAR(iterations[k].logLikelihood, expected, 1e-5 * std::max(1.0, std::fabs(expected))) << where << " iteration " << k + 1;
    }
    const MlLines report = mlLines(run.out);
    if (!ml || report.thetas.size() != data.thetas.size() || report.thetas.size() > 2) return run.out;
    data.thetas = report.thetas;
    EXPECT_NEAR(report.values[0], oracle::logLikelihood(data), 1e-4) << where;
    for (const int interval : report.notInformative) {
        oracle::Dataset moved = data;
        moved.thetas[interval - 1] = data.thetas[interval - 1] == 0.5 ? 0.05 : 0.5;
        EXPECT_NEAR(report.values[0], oracle::logLikelihood(moved), 1e-4) << where << " interval " << interval << " not informative";
    }
    EXPECT_LE(gridMaximum(data, 0, report.thetas.size() == 1 ? 0.025 : 0.1), report.values[0] + 2e-6) << where;
    std::fill(data.thetas.begin(), data.thetas.end(), 0.5);
    EXPECT_NEAR(report.values[1], oracle::logLikelihood(data), 2e-6) << where;
    EXPECT_NEAR(report.values[2], (report.values[0] - report.values[1]) / std::log(10.0), 2e-6) << where;
    return run.out;
}

TEST(BucketTreeMode, IterationsAreTheEnumeratorsLikelihoodsAndNeverFall) {
    // Markers that never recombine here: EM drives the fraction to exactly 0,
    // where the relative change is 0 / 0 and the iteration ends; extrapolated,
    // in a few passes.
    const Dataset crawling =
        handDataset({marker({0.3, 0.3, 0.4}), marker({0.3, 0.3, 0.4})}, {0.2},
                    {{founder(male, {{1, 1}, {1, 1}}), founder(female, {{2, 2}, {2, 2}}), child(0, 1, male, {{1, 2}, {1, 2}}),
                      founder(female, {{3, 3}, {3, 3}}), child(2, 3, male, {{1, 3}, {1, 3}}), child(2, 3, female, {{2, 3}, {2, 3}}),
                      child(2, 3, male, {{1, 3}, {1, 3}}), child(2, 3, female, {{2, 3}, {2, 3}})}});
    const std::string zero = checkBucketTreeRun(crawling, "fraction driven to 0");
    EXPECT_GT(emIterations(zero).size(), 100u);
    EXPECT_NE(zero.find("ITERATIONS: THETAS = 0.000000\n"), std::string::npos);
    const MlLines fast = mlLines(checkBucketTreeRun(crawling, "fraction driven to 0, to the maximum", true));
    EXPECT_LT(fast.iterations, 40);
    EXPECT_EQ(fast.thetas, std::vector<double>{0.0});
    // Under the sanitizers every run of the binary is slow: a quarter of the
    // seeds, two of them gene-dropped, still looks for memory faults.
    const std::uint64_t seeds = PEDLIK_SANITIZED ? 6 : 24;
    for (std::uint64_t seed = 1; seed <= seeds; ++seed) {
        const Dataset data = seed % 3 == 0 ? oracle::geneDroppedDataset(seed, {.maxPersons = 8, .maxPedigrees = 2, .maxMarkers = 2, .maxAlleles = 4})
                                           : oracle::randomTinyDataset(seed, {.minLoci = 2, .maxPersons = 5});
        for (const bool ml : {false, true}) checkBucketTreeRun(data, "seed " + std::to_string(seed) + (ml ? " --ml" : ""), ml);
    }
    // The bundled examples start at their LOD-score reports' first value; the
    // mode's own example takes at least five steps, each gaining less. Under a
    // memory limit of a few kilobytes their small trees are still built
    // whole (branching them all would take exponential time): the report is
    // the same but for its time.
    for (const auto& [locus, pedigree, memory] : {std::tuple{"datafile3.dat", "pedfile3.dat", "2K"},
                                                  {"datafile_xlinked.dat", "pedfile_xlinked.dat", "512"},
                                                  {"datafile_em.dat", "pedfile_em.dat", "8K"}}) {
        const std::string locusFile = readFile(examplePath(locus)), pedigreeFile = readFile(examplePath(pedigree));
        const auto run = [&](int code, std::vector<std::string> args) {
            args.insert(args.end(), {"d.dat", "p.dat"});
            return runWithFiles({{"d.dat", withProgramCode(locusFile, code)}, {"p.dat", pedigreeFile}}, args).out;
        };
        const auto untimed = [](std::string report) { return report.substr(0, report.find("\nThe time needed")); };
        const std::string report = run(4, {"--estimates"});
        EXPECT_EQ(untimed(run(4, {"--estimates", "--memory", memory})), untimed(report)) << locus;
        std::vector<double> values;
        const std::vector<EmIteration> plain = emIterations(report);
        for (const EmIteration& iteration : plain) values.push_back(iteration.logLikelihood);
        const bool emExample = locus == std::string("datafile_em.dat");
        ASSERT_GE(values.size(), emExample ? 5u : 1u) << locus;
        EXPECT_NEAR(values[0], parseLodReport(run(5, {})).blocks.at(0).values.at(0), 1.5e-6) << locus;
        for (size_t k = 1; k < values.size(); ++k) EXPECT_GE(values[k], values[k - 1] - 1e-6) << locus << " iteration " << k + 1;
        for (size_t k = 2; emExample && k < values.size(); ++k) {
            EXPECT_LT(values[k] - values[k - 1], values[k - 1] - values[k - 2]);
        }
        // Either start alone, one pass each, still reports; to the maximum, past the plain EM's end within [0, 0.5].
        EXPECT_EQ(mlLines(run(4, {"--ml-max-iterations=1"})).iterations, 2) << locus;
        const bool bounded = std::ranges::all_of(plain.back().thetas, [](double theta) { return theta <= 0.5; });
        const MlLines ml = mlLines(run(4, {"--ml"}));
        EXPECT_GE(ml.values.at(0), bounded ? values.back() - 1e-6 : -INFINITY) << locus;
        EXPECT_EQ(ml.notInformative, emExample ? std::vector<int>{3} : std::vector<int>{}) << locus;
    }
}

}  // namespace
}  // namespace pedlik::testing
