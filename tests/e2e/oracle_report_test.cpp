// Whole runs of the binary against the enumerator: the LOD-score report's
// blocks and zero paths, and the bucket-tree mode.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "oracle/enumerator.hpp"
#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

using namespace oracle::hand;
using oracle::Dataset;
using oracle::handDataset;
using oracle::Phenotype;

constexpr bool male = true, female = false;

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

TEST(LodScoreReport, EveryBlockIsTheEnumeratorsLikelihood) {
    struct Case {
        std::string name;
        Dataset data;
        std::vector<std::string> thetas;  // as the headers print them; the zero blocks starred
    };
    std::vector<Case> cases = {
        {"start at 0.5", family(0.5, 0.1, 0.45), {"0.5"}},
        {"start not below the stop", family(0.3, 0.1, 0.2), {"0.5", "0.300000"}},
        {"steps while below the stop", family(0.1, 0.1, 0.4), {"0.5", "0.100000", "0.200000", "0.300000"}},
        {"zero inside the loop", recombinant({0.0}, 1, 0.1, 0.15), {"0.5", "*0.000000", "0.100000"}},
    };
    // Single persons, childless founders and unconnected families, as the
    // binary reads them.
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
        const Dataset data = oracle::randomTinyDataset(seed, {.minLoci = 2});
        std::vector<std::string> thetas;
        for (double theta : oracle::lodScoreThetas(data)) thetas.push_back(thetas.empty() ? "0.5" : std::to_string(theta));
        cases.push_back({"seed " + std::to_string(seed), data, thetas});
    }
    for (const auto& c : cases) {
        const RunResult run = runOnDataset(c.data);
        ASSERT_TRUE(endedNormally(run)) << c.name << "\n" << run.out;
        const LodReport report = parseLodReport(run.out);
        ASSERT_EQ(report.blocks.size(), c.thetas.size()) << c.name << "\n" << run.out;
        for (size_t b = 0; b < c.thetas.size(); ++b) {
            EXPECT_EQ((report.blocks[b].zero ? "*" : "") + report.blocks[b].theta, c.thetas[b]) << c.name;
        }
        EXPECT_TRUE(reportMatches(report, oracle::lodScoreThetas(c.data), oracle::reportLogLikelihoods(c.data))) << c.name << "\n" << run.out;
    }
}

// Impossible at every value, whether building the products fails (every
// selector fixed) or trimming does (nobody can be affected): the zero line
// and the timings, no block.
TEST(LodScoreReport, ImpossibleDataPrintOnlyTheZeroLine) {
    const Dataset noAffection = withModeLine(
        handDataset({affection({0.9, 0.1}, {{0.0, 0.0, 0.0}}), marker({0.5, 0.5})}, {0.1}, {{founder(male, {status(2), {1, 2}})}}), 1, 0.1, 0.35);
    for (const Dataset& data : {recombinant({0.0, 0.2}, 2, 0.1, 0.35), noAffection}) {
        ASSERT_EQ(oracle::logLikelihood(data), impossibleLogLikelihood);
        const RunResult run = runOnDataset(data);
        ASSERT_TRUE(endedNormally(run)) << run.out;
        EXPECT_EQ(run.out.find("VARIED"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("\nThe likelihood is 0.0\n\nThe time needed for value-elimination is "), std::string::npos) << run.out;
    }
}

std::vector<double> iterations(const std::string& out) {
    static const std::regex line("EM ITERATION ([0-9]+): LN\\(LIKE\\) = (\\S+)  THETAS =");
    std::vector<double> values;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it) {
        EXPECT_EQ(std::stoul((*it)[1]), values.size() + 1);
        values.push_back(std::stod((*it)[2]));
    }
    return values;
}

// A clean run whose likelihood never falls, with the assembly and trimming
// reports of every pedigree in every iteration; its first ln L.
std::string withProgramCode(const std::string& locusFile, int code) {
    std::smatch first;
    std::regex_search(locusFile, first, std::regex("^(\\s*\\S+\\s+\\S+\\s+\\S+\\s+)\\S+"));
    return first.str(1) + std::to_string(code) + first.suffix().str();
}

double checkBucketTreeRun(const std::string& locusFile, const std::string& pedigreeFile, int pedigrees, const std::string& where) {
    const RunResult run =
        runWithFiles({{"d.dat", withProgramCode(locusFile, 4)}, {"p.dat", pedigreeFile}}, {"--estimates", "d.dat", "p.dat"});
    EXPECT_TRUE(endedNormally(run)) << where << run.err;
    const std::vector<double> values = iterations(run.out);
    EXPECT_NE(run.out.find("\nEM ESTIMATES AFTER " + std::to_string(values.size()) + " ITERATIONS: THETAS ="), std::string::npos) << where;
    for (const char* report : {"\nNumber of nodes ", "\nTrimmed "}) {
        size_t count = 0;
        for (size_t at = run.out.find(report); at != std::string::npos; at = run.out.find(report, at + 1)) ++count;
        EXPECT_EQ(count, values.size() * pedigrees) << where << report;
    }
    for (size_t k = 1; k < values.size(); ++k) EXPECT_GE(values[k], values[k - 1] - 1e-6) << where << " iteration " << k + 1;
    return values.empty() ? NAN : values.front();
}

TEST(BucketTreeMode, StartsAtTheLikelihoodAtOneHalfAndNeverFalls) {
    for (const auto& [locus, pedigree, count] : {std::tuple{"datafile3.dat", "pedfile3.dat", 2}, {"datafile_xlinked.dat", "pedfile_xlinked.dat", 2},
                                                 {"datafile_em.dat", "pedfile_em.dat", 1}}) {
        const std::string locusFile = readFile(examplePath(locus)), pedigreeFile = readFile(examplePath(pedigree));
        const double first = checkBucketTreeRun(locusFile, pedigreeFile, count, locus);
        const LodReport lod =
            parseLodReport(runWithFiles({{"d.dat", withProgramCode(locusFile, 5)}, {"p.dat", pedigreeFile}}, {"d.dat", "p.dat"}).out);
        ASSERT_FALSE(lod.blocks.empty()) << locus;
        EXPECT_NEAR(first, lod.blocks[0].lnLike, 1.5e-6) << locus;
    }
    // The mode's own example: each step gains less than the one before.
    const std::vector<double> values = iterations(runIn(PEDLIK_SOURCE_DIR "/examples", {"--estimates", "datafile_em.dat", "pedfile_em.dat"}).out);
    ASSERT_GE(values.size(), 5u);
    for (size_t k = 2; k < values.size(); ++k) EXPECT_LT(values[k] - values[k - 1], values[k - 1] - values[k - 2]);
    for (std::uint64_t seed = 1; seed <= 24; ++seed) {
        Dataset data = seed % 3 == 0 ? oracle::geneDroppedDataset(seed, {.maxPersons = 8, .maxPedigrees = 2, .maxMarkers = 2, .maxAlleles = 4})
                                     : oracle::randomTinyDataset(seed, {.minLoci = 2, .maxPersons = 5});
        const double first = checkBucketTreeRun(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data),
                                                static_cast<int>(data.pedigrees.size()), "seed " + std::to_string(seed));
        const double expected = oracle::logLikelihood(withVariedTheta(data, 0.5));
        EXPECT_NEAR(first, expected, 1e-6 * std::max(1.0, std::fabs(expected))) << "seed " << seed;
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
    EXPECT_GT(iterations(run.out).size(), 100u);
    EXPECT_NE(run.out.find("ITERATIONS: THETAS = 0.000000\n"), std::string::npos);
}

}  // namespace
}  // namespace pedlik::testing
