// The LOD-score report of whole runs: which values of the varied fraction
// get a block, what each block prints against the enumerator, and the
// zero-likelihood paths at the first pass and inside the loop.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "oracle/enumerator.hpp"
#include "oracle/hand_datasets.hpp"
#include "support/dataset_run.hpp"
#include "support/lod_score_runs.hpp"

namespace pedlik::testing {
namespace {

using namespace oracle::hand;

constexpr bool male = true;
constexpr bool female = false;

oracle::Dataset withModeLine(oracle::Dataset data, int varied, double increment, double stop) {
    data.programCode = 5;
    data.variedThetaIndex = varied;
    data.thetaIncrement = increment;
    data.thetaStop = stop;
    return data;
}

// A nuclear family typed at an affection-status locus and a marker.
oracle::Dataset family(double theta, double increment, double stop) {
    const oracle::LocusModel disease = affection({0.9, 0.1}, {{0.05, 0.8, 0.9}, {0.01, 0.5, 0.7}});
    return withModeLine(
        dataset({disease, marker({0.2, 0.3, 0.5})}, {theta},
                {{founder(male, {status(2), alleles(1, 2)}), founder(female, {status(1, 2), alleles(3, 3)}),
                  child(0, 1, female, {status(2), alleles(1, 3)}), child(0, 1, male, {status(1), alleles(2, 3)}),
                  child(0, 1, male, {status(2, 2), alleles(1, 3)})}}),
        1, increment, stop);
}

// The father is phase-known (1-1 from his father, 2-2 from his mother at
// the first two markers); his child got 1 then 2 from him, a recombinant
// between the first two markers, which complete linkage makes impossible.
oracle::Dataset recombinant(std::vector<double> thetas, int varied, double increment, double stop) {
    const std::vector<double> frequencies = {0.4, 0.6};
    std::vector<oracle::LocusModel> loci(thetas.size() + 1, marker(frequencies));
    const auto typed = [&](int a, int b) { return std::vector<oracle::Phenotype>(loci.size(), alleles(a, b)); };
    std::vector<oracle::Phenotype> child12 = typed(1, 2);
    child12[0] = alleles(1, 1);
    return withModeLine(
        dataset(loci, thetas,
                {{founder(male, typed(1, 1)), founder(female, typed(2, 2)), child(0, 1, male, typed(1, 2)),
                  founder(female, typed(1, 1)), child(2, 3, female, child12)}}),
        varied, increment, stop);
}

struct ReportCase {
    const char* name;
    oracle::Dataset data;
    std::vector<std::string> thetas;  // as every block header prints them
    std::vector<bool> zero;           // blocks of likelihood 0
};

void PrintTo(const ReportCase& c, std::ostream* out) { *out << c.name; }

class LodScoreReport : public ::testing::TestWithParam<ReportCase> {};

TEST_P(LodScoreReport, PrintsABlockPerValueWithTheEnumeratorsNumbers) {
    const ReportCase& c = GetParam();
    const RunResult run = runOnDataset(c.data);
    ASSERT_TRUE(endedNormally(run)) << run.out;
    const LodReport report = parseLodReport(run.out);
    ASSERT_TRUE(report.fault.empty()) << report.fault << "\n" << run.out;
    ASSERT_EQ(report.blocks.size(), c.thetas.size()) << run.out;
    for (size_t b = 0; b < c.thetas.size(); ++b) {
        EXPECT_EQ(report.blocks[b].theta, c.thetas[b]) << "block " << b;
        EXPECT_EQ(report.blocks[b].zero, c.zero[b]) << "block " << b;
    }
    EXPECT_TRUE(reportMatches(report, oracle::lodScoreThetas(c.data), oracle::reportLogLikelihoods(c.data))) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, LodScoreReport,
    ::testing::Values(
        ReportCase{"StartAtOneHalfGivesOnlyTheBaseline", family(0.5, 0.1, 0.45), {"0.5"}, {false}},
        ReportCase{"StartNotBelowTheStopGivesOneMoreBlock", family(0.3, 0.1, 0.2), {"0.5", "0.300000"}, {false, false}},
        ReportCase{"StepsWhileBelowTheStop",
                   family(0.1, 0.1, 0.4),
                   {"0.5", "0.100000", "0.200000", "0.300000"},
                   {false, false, false, false}},
        ReportCase{"ZeroInsideTheLoopAndTheLoopGoesOn",
                   recombinant({0.0}, 1, 0.1, 0.15),
                   {"0.5", "0.000000", "0.100000"},
                   {false, true, false}}),
    [](const auto& info) { return std::string(info.param.name); });

// Data impossible at every value end the report at the first pass, before
// any block: when the products cannot be built (a recombinant between
// completely linked markers, with every selector fixed) and when trimming
// finds them impossible (an affected person whom no genotype can make
// affected).
TEST(LodScoreReportZero, ImpossibleDataPrintOnlyTheZeroLineThenTheTimings) {
    const oracle::Dataset noAffection =
        withModeLine(dataset({affection({0.9, 0.1}, {{0.0, 0.0, 0.0}}), marker({0.5, 0.5})}, {0.1},
                             {{founder(male, {status(2), alleles(1, 2)})}}),
                     1, 0.1, 0.35);
    for (const oracle::Dataset& data : {recombinant({0.0, 0.2}, 2, 0.1, 0.35), noAffection}) {
        ASSERT_EQ(oracle::logLikelihood(data), impossibleLogLikelihood);
        const RunResult run = runOnDataset(data);
        ASSERT_TRUE(endedNormally(run)) << run.out;
        EXPECT_EQ(run.out.find("VARIED"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("\nThe likelihood is 0.0\n\nThe time needed for value-elimination is "),
                  std::string::npos)
            << run.out;
        const LodReport report = parseLodReport(run.out);
        EXPECT_TRUE(report.stoppedAtFirstPass);
        EXPECT_TRUE(report.fault.empty()) << report.fault;
    }
}

}  // namespace
}  // namespace pedlik::testing
