// Program code 4 end to end: the binary on every bundled example and on
// oracle datasets, with its report read back.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "e2e/report_reading.hpp"
#include "oracle/enumerator.hpp"
#include "oracle/file_writers.hpp"
#include "oracle/random_datasets.hpp"
#include "support/run_binary.hpp"

namespace pedlik::testing {
namespace {

int pedigreeCount(const std::string& pedigreeFile) {
    std::istringstream lines(pedigreeFile);
    std::set<std::string> ids;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string id;
        if (fields >> id) ids.insert(id);
    }
    return static_cast<int>(ids.size());
}

// Runs both modes on the problem and checks the bucket-tree report: a clean
// end, the assembly and trimming reports of every pedigree in every
// iteration, a likelihood that never falls, and a first iteration at the
// likelihood the LOD-score mode reports for the varied fraction at 0.5.
// Returns that first ln L.
double checkBucketTreeRun(const std::string& locusFile, const std::string& pedigreeFile, const std::string& where) {
    const RunResult run = runWithFiles(
        {{"d.dat", withProgramCode(locusFile, 4)}, {"p.dat", pedigreeFile}}, {"--estimates", "d.dat", "p.dat"});
    EXPECT_EQ(run.status, 0) << where << "\n" << run.err;
    EXPECT_EQ(run.err, "") << where;
    const int iterations = estimatedIterations(run.out);
    const std::vector<double> logLikelihoods = iterationLogLikelihoods(run.out);
    EXPECT_GE(iterations, 1) << where;
    EXPECT_EQ(static_cast<int>(logLikelihoods.size()), iterations) << where;
    const int reports = pedigreeCount(pedigreeFile) * iterations;
    std::istringstream lines(run.out);
    int assembled = 0, trimmed = 0;
    for (std::string line; std::getline(lines, line);) {
        assembled += line.rfind("Number of nodes ", 0) == 0 ? 1 : 0;
        trimmed += line.rfind("Trimmed ", 0) == 0 ? 1 : 0;
    }
    EXPECT_EQ(assembled, reports) << where;
    EXPECT_EQ(trimmed, reports) << where;
    for (size_t k = 1; k < logLikelihoods.size(); ++k) {
        EXPECT_GE(logLikelihoods[k], logLikelihoods[k - 1] - 1e-6) << where << " iteration " << k + 1;
    }
    EXPECT_NE(run.out.find("\nThe time needed for calculating the likelihood of the pedigree is "), std::string::npos)
        << where;

    const RunResult lod = runWithFiles({{"d.dat", withProgramCode(locusFile, 5)}, {"p.dat", pedigreeFile}},
                                       {"d.dat", "p.dat"});
    EXPECT_EQ(lod.status, 0) << where;
    if (logLikelihoods.empty()) return NAN;
    EXPECT_NEAR(logLikelihoods.front(), firstLodLogLikelihood(lod.out), 1.5e-6) << where;
    return logLikelihoods.front();
}

class BundledExample : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(BundledExample, ProgramCodeFourRunsToItsEstimates) {
    const auto [locus, pedigree] = GetParam();
    checkBucketTreeRun(readFile(examplePath(locus)), readFile(examplePath(pedigree)), locus);
}

INSTANTIATE_TEST_SUITE_P(Examples, BundledExample,
                         ::testing::Values(std::make_pair("datafile3.dat", "pedfile3.dat"),
                                           std::make_pair("datafile_xlinked.dat", "pedfile_xlinked.dat"),
                                           std::make_pair("datafile_em.dat", "pedfile_em.dat")));

// The mode's own example iterates several times, each step gaining less
// likelihood than the one before, and its estimates move off the start.
TEST(BucketTreeMode, BundledExampleShowsConvergingEstimates) {
    const RunResult run = runIn(PEDLIK_SOURCE_DIR "/examples", {"--estimates", "datafile_em.dat", "pedfile_em.dat"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<double> logLikelihoods = iterationLogLikelihoods(run.out);
    ASSERT_GE(logLikelihoods.size(), 5u);
    for (size_t k = 2; k < logLikelihoods.size(); ++k) {
        EXPECT_GT(logLikelihoods[k], logLikelihoods[k - 1]);
        EXPECT_LT(logLikelihoods[k] - logLikelihoods[k - 1], logLikelihoods[k - 1] - logLikelihoods[k - 2]);
    }
    const size_t first = run.out.find("THETAS = ");
    const size_t last = run.out.rfind("THETAS = ");
    EXPECT_NE(run.out.substr(first, run.out.find('\n', first) - first),
              run.out.substr(last, run.out.find('\n', last) - last));
}

// Two markers that never recombine in this family: EM drives the fraction
// down geometrically, so the relative change stays large until the
// fraction reaches exactly 0, is rebuilt into the tables as 0, and comes
// back as 0 again: 0 / 0 is not a number, and the iteration ends there.
TEST(BucketTreeMode, AFractionDrivenToZeroEndsTheIteration) {
    const char* locus =
        "2 0 0 4 << loci\n0 0.0 0.0 0\n1 2\n"
        "3 3 << marker\n0.3 0.3 0.4\n3 3 << marker\n0.3 0.3 0.4\n"
        "0 0\n0.2\n1 0.1 0.5\n";
    const char* pedigree =
        "1 1 0 0 3 0 0 1 0  1 1  1 1\n"
        "1 2 0 0 3 0 0 2 0  2 2  2 2\n"
        "1 3 1 2 5 0 0 1 0  1 2  1 2\n"
        "1 4 0 0 5 0 0 2 0  3 3  3 3\n"
        "1 5 3 4 0 6 6 1 0  1 3  1 3\n"
        "1 6 3 4 0 7 7 2 0  2 3  2 3\n"
        "1 7 3 4 0 8 8 1 0  1 3  1 3\n"
        "1 8 3 4 0 0 0 2 0  2 3  2 3\n";
    const RunResult run = runWithFiles({{"d.dat", locus}, {"p.dat", pedigree}}, {"--estimates", "d.dat", "p.dat"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<double> logLikelihoods = iterationLogLikelihoods(run.out);
    EXPECT_GT(logLikelihoods.size(), 100u);
    for (size_t k = 1; k < logLikelihoods.size(); ++k) EXPECT_GE(logLikelihoods[k], logLikelihoods[k - 1] - 1e-6);
    EXPECT_NE(run.out.find("ITERATIONS: THETAS = 0.000000\n"), std::string::npos);
}

// Oracle datasets of every kind, as the binary reads them, against the
// brute-force likelihood at the fractions the mode starts from.
TEST(BucketTreeMode, ProgramCodeFourRunsOnOracleDatasets) {
    int compared = 0;
    for (std::uint64_t seed = 1; seed <= 24; ++seed) {
        oracle::TinyOptions options;
        options.minLoci = 2;
        options.maxPersons = 5;
        oracle::GeneDropOptions families;
        families.maxPersons = 8;
        families.maxPedigrees = 2;
        families.maxMarkers = 2;
        families.maxAlleles = 4;
        oracle::Dataset data = seed % 3 == 0 ? oracle::geneDroppedDataset(seed, families)
                                             : oracle::randomTinyDataset(seed, options);
        const std::string where = "seed " + std::to_string(seed);
        const double start = checkBucketTreeRun(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data), where);
        data.thetas[data.variedThetaIndex - 1] = 0.5;
        EXPECT_NEAR(start, oracle::logLikelihood(data), 1e-6 * std::max(1.0, std::fabs(start))) << where;
        ++compared;
    }
    EXPECT_EQ(compared, 24);
}

}  // namespace
}  // namespace pedlik::testing
