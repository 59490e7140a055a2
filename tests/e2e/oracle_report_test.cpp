// Whole runs of the binary against the enumerator: the LOD-score report's
// blocks and zero paths, and the bucket-tree mode.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "oracle/enumerator.hpp"
#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

using namespace oracle::hand;
using oracle::Dataset;
using oracle::handDataset;
using oracle::Phenotype;

constexpr bool male = true, female = false;

// The ln L of every "EM ITERATION" line, in order, checking that they are numbered 1, 2, ...
std::vector<double> iterationLogLikelihoods(const std::string& out) {
    static const std::regex iteration("EM ITERATION ([0-9]+): LN\\(LIKE\\) = (-?[0-9.]+)  THETAS =( [0-9.]+)+");
    std::vector<double> values;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), iteration); it != std::sregex_iterator(); ++it) {
        if (std::stoi((*it)[1]) != static_cast<int>(values.size()) + 1) throw std::runtime_error("iterations out of order");
        values.push_back(std::stod((*it)[2]));
    }
    return values;
}

// The iteration count of the closing "EM ESTIMATES" line; -1 without one.
int estimatedIterations(const std::string& out) {
    static const std::regex estimates("\nEM ESTIMATES AFTER ([0-9]+) ITERATIONS: THETAS =( [0-9.]+)+\n");
    std::smatch match;
    return std::regex_search(out, match, estimates) ? std::stoi(match[1]) : -1;
}

double firstLodLogLikelihood(const std::string& out) {
    const size_t at = out.find("LN(LIKE)    = ");
    if (at == std::string::npos) throw std::runtime_error("no LN(LIKE) line");
    return std::stod(out.substr(at + 14));
}

// A locus data file with its program code (the fourth number of its first line) replaced.
std::string withProgramCode(const std::string& locusFile, int code) {
    static const std::regex firstLine("^(\\s*\\S+\\s+\\S+\\s+\\S+\\s+)\\S+");
    std::smatch match;
    if (!std::regex_search(locusFile, match, firstLine)) throw std::runtime_error("no program code");
    return match.str(1) + std::to_string(code) + match.suffix().str();
}

Dataset withModeLine(Dataset data, int varied, double increment, double stop) {
    data.programCode = 5;
    data.variedThetaIndex = varied;
    data.thetaIncrement = increment;
    data.thetaStop = stop;
    return data;
}

// A nuclear family typed at an affection-status locus and a marker.
Dataset family(double theta, double increment, double stop) {
    return withModeLine(handDataset({affection({0.9, 0.1}, {{0.05, 0.8, 0.9}, {0.01, 0.5, 0.7}}), marker({0.2, 0.3, 0.5})}, {theta},
                                    {{founder(male, {status(2), {1, 2}}), founder(female, {status(1, 2), {3, 3}}),
                                      child(0, 1, female, {status(2), {1, 3}}), child(0, 1, male, {status(1), {2, 3}}),
                                      child(0, 1, male, {status(2, 2), {1, 3}})}}),
                        1, increment, stop);
}

// A phase-known father's child is recombinant between the first two
// markers, which complete linkage makes impossible.
Dataset recombinant(std::vector<double> thetas, int varied, double increment, double stop) {
    const std::vector<oracle::LocusModel> loci(thetas.size() + 1, marker({0.4, 0.6}));
    const auto typed = [&](int a, int b) { return std::vector<Phenotype>(loci.size(), Phenotype{a, b}); };
    std::vector<Phenotype> child12 = typed(1, 2);
    child12[0] = {1, 1};
    return withModeLine(handDataset(loci, thetas, {{founder(male, typed(1, 1)), founder(female, typed(2, 2)), child(0, 1, male, typed(1, 2)),
                                                   founder(female, typed(1, 1)), child(2, 3, female, child12)}}),
                        varied, increment, stop);
}

// Headers as printed (zero blocks starred) and values the enumerator's; data
// impossible at every value, whether building the products fails (every
// selector fixed) or trimming does (nobody can be affected), print only the
// zero line and the timings.
TEST(LodScoreReport, EveryBlockIsTheEnumeratorsLikelihood) {
    const Dataset noAffection = withModeLine(
        handDataset({affection({0.9, 0.1}, {{0.0, 0.0, 0.0}}), marker({0.5, 0.5})}, {0.1}, {{founder(male, {status(2), {1, 2}})}}), 1, 0.1, 0.35);
    const struct {
        const char* name;
        Dataset data;
        std::vector<std::string> thetas;
    } cases[] = {
        {"start at 0.5", family(0.5, 0.1, 0.45), {"0.5"}},
        {"start not below the stop", family(0.3, 0.1, 0.2), {"0.5", "0.300000"}},
        {"steps while below the stop", family(0.1, 0.1, 0.4), {"0.5", "0.100000", "0.200000", "0.300000"}},
        {"zero inside the loop", recombinant({0.0}, 1, 0.1, 0.15), {"0.5", "*0.000000", "0.100000"}},
        {"every selector fixed", recombinant({0.0, 0.2}, 2, 0.1, 0.35), {}},
        {"nobody can be affected", noAffection, {}},
    };
    for (const auto& c : cases) {
        const RunResult run = runOnDataset(c.data);
        ASSERT_TRUE(endedNormally(run)) << c.name << "\n" << run.out;
        const LodReport report = parseLodReport(run.out);
        std::vector<std::string> thetas;
        for (const ReportedBlock& block : report.blocks) thetas.push_back((block.values.empty() ? "*" : "") + block.theta);
        EXPECT_EQ(thetas, c.thetas) << c.name;
        EXPECT_EQ(report.stoppedAtFirstPass, c.thetas.empty()) << c.name;
        EXPECT_TRUE(reportMatches(report, oracle::lodScoreThetas(c.data), oracle::reportLogLikelihoods(c.data))) << c.name << "\n" << run.out;
    }
}

// No iteration line's LN(LIKE) falls; the first three are the enumerator's
// at the THETAS they print, the first with the varied fraction at 0.5; each
// iteration reports every pedigree's assembly and trimming.
void checkBucketTreeRun(oracle::Dataset data, const std::string& where) {
    data.programCode = 4;
    const RunResult run = runOnDataset(data, {"--estimates"});
    ASSERT_TRUE(endedNormally(run)) << where << run.err;
    const std::vector<double> values = iterationLogLikelihoods(run.out);
    ASSERT_FALSE(values.empty()) << where;
    EXPECT_EQ(estimatedIterations(run.out), static_cast<int>(values.size())) << where;
    for (const char* report : {"\nNumber of nodes ", "\nTrimmed "}) {
        size_t count = 0;
        for (size_t at = run.out.find(report); at != std::string::npos; at = run.out.find(report, at + 1)) ++count;
        EXPECT_EQ(count, values.size() * data.pedigrees.size()) << where << report;
    }
    static const std::regex line("EM ITERATION [0-9]+: LN\\(LIKE\\) = \\S+  THETAS =([^\n]*)");
    for (size_t k = 1; k < values.size(); ++k) EXPECT_GE(values[k], values[k - 1] - 1e-6) << where << " iteration " << k + 1;
    size_t k = 0;
    for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), line); it != std::sregex_iterator() && k < 3; ++it, ++k) {
        std::istringstream printed((*it)[1].str());
        for (double& theta : data.thetas) printed >> theta;
        EXPECT_TRUE(k > 0 || data.thetas[data.variedThetaIndex - 1] == 0.5) << where << " starts at " << (*it)[1];
        const double expected = oracle::logLikelihood(data);
        EXPECT_NEAR(values.at(k), expected, 1e-5 * std::max(1.0, std::fabs(expected))) << where << " iteration " << k + 1;
    }
}

TEST(BucketTreeMode, IterationsAreTheEnumeratorsLikelihoodsAndNeverFall) {
    // Under the sanitizers every run of the binary is slow: a quarter of the
    // seeds, two of them gene-dropped, still looks for memory faults.
    const std::uint64_t seeds = PEDLIK_SANITIZED ? 6 : 24;
    for (std::uint64_t seed = 1; seed <= seeds; ++seed) {
        checkBucketTreeRun(seed % 3 == 0 ? oracle::geneDroppedDataset(seed, {.maxPersons = 8, .maxPedigrees = 2, .maxMarkers = 2, .maxAlleles = 4})
                                         : oracle::randomTinyDataset(seed, {.minLoci = 2, .maxPersons = 5}),
                           "seed " + std::to_string(seed));
    }
    // The bundled examples start at their LOD-score reports' first value; the
    // mode's own example takes at least five steps, each gaining less.
    for (const auto& [locus, pedigree] : {std::pair{"datafile3.dat", "pedfile3.dat"}, {"datafile_xlinked.dat", "pedfile_xlinked.dat"},
                                          {"datafile_em.dat", "pedfile_em.dat"}}) {
        const std::string locusFile = readFile(examplePath(locus)), pedigreeFile = readFile(examplePath(pedigree));
        const auto run = [&](int code, std::vector<std::string> args) {
            args.insert(args.end(), {"d.dat", "p.dat"});
            return runWithFiles({{"d.dat", withProgramCode(locusFile, code)}, {"p.dat", pedigreeFile}}, args).out;
        };
        const std::vector<double> values = iterationLogLikelihoods(run(4, {"--estimates"}));
        const bool emExample = locus == std::string("datafile_em.dat");
        ASSERT_GE(values.size(), emExample ? 5u : 1u) << locus;
        EXPECT_NEAR(values[0], firstLodLogLikelihood(run(5, {})), 1.5e-6) << locus;
        for (size_t k = 1; k < values.size(); ++k) EXPECT_GE(values[k], values[k - 1] - 1e-6) << locus << " iteration " << k + 1;
        for (size_t k = 2; emExample && k < values.size(); ++k) {
            EXPECT_LT(values[k] - values[k - 1], values[k - 1] - values[k - 2]);
        }
    }
}

// Markers that never recombine here: EM drives the fraction to exactly 0,
// where the relative change is 0 / 0 and the iteration ends.
TEST(BucketTreeMode, AFractionDrivenToZeroEndsTheIteration) {
    const Dataset data = handDataset({marker({0.3, 0.3, 0.4}), marker({0.3, 0.3, 0.4})}, {0.2},
                                     {{founder(male, {{1, 1}, {1, 1}}), founder(female, {{2, 2}, {2, 2}}), child(0, 1, male, {{1, 2}, {1, 2}}),
                                       founder(female, {{3, 3}, {3, 3}}), child(2, 3, male, {{1, 3}, {1, 3}}), child(2, 3, female, {{2, 3}, {2, 3}}),
                                       child(2, 3, male, {{1, 3}, {1, 3}}), child(2, 3, female, {{2, 3}, {2, 3}})}});
    Dataset code4 = withModeLine(data, 1, 0.1, 0.5);
    code4.programCode = 4;
    const RunResult run = runOnDataset(code4, {"--estimates"});
    EXPECT_TRUE(endedNormally(run)) << run.err;
    EXPECT_GT(iterationLogLikelihoods(run.out).size(), 100u);
    EXPECT_NE(run.out.find("ITERATIONS: THETAS = 0.000000\n"), std::string::npos);
}

}  // namespace
}  // namespace pedlik::testing
