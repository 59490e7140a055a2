// pedlik against FASTLINK on gene-dropped families of 3 to 60 persons (both
// ordering schemes), and conditioning at the program's threshold on a large
// family leaves every likelihood as it was.
#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "oracle/fastlink.hpp"
#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

// mlink takes at most 18 children per couple.
bool fastlinkTakes(const oracle::Dataset& data) {
    for (const oracle::PedigreeRecord& pedigree : data.pedigrees) {
        std::map<std::pair<int, int>, int> children;
        for (const oracle::PersonRecord& person : pedigree.persons) {
            if (person.father >= 0 && ++children[{person.father, person.mother}] > 18) return false;
        }
    }
    return true;
}

void expectFastlinksTotals(const oracle::Dataset& data, const LodReport& report, const std::string& where) {
    const std::vector<oracle::FastlinkBlock> expected = oracle::runFastlink(oracle::toPedlikLocusFile(data), oracle::toLinkagePedigreeFile(data));
    ASSERT_TRUE(report.fault.empty()) << where << report.fault;
    ASSERT_EQ(report.blocks.size(), expected.size()) << where;
    for (size_t b = 0; b < expected.size(); ++b) EXPECT_NEAR(report.blocks[b].values.at(0), expected[b].lnLikelihood, 1e-5) << where << " block " << b;
}

TEST(AgainstFastlink, EveryBlockIsFastlinksTotal) {
    SKIP_WITHOUT_FASTLINK();
    for (std::uint64_t seed = 1, cases = 0; cases < 40; ++seed) {
        const oracle::Dataset data = oracle::geneDroppedDataset(seed);
        if (!fastlinkTakes(data)) continue;
        ++cases;
        const RunResult run = runOnDataset(data);
        ASSERT_TRUE(endedNormally(run)) << run.out;
        expectFastlinksTotals(data, parseLodReport(run.out), "seed " + std::to_string(seed));
    }
}

void expectSameBlocks(const LodReport& report, const LodReport& expected, const std::string& where) {
    ASSERT_TRUE(report.fault.empty() && !report.blocks.empty() && report.blocks.size() == expected.blocks.size()) << where;
    for (size_t b = 0; b < report.blocks.size(); ++b) {
        ASSERT_EQ(report.blocks[b].values.size(), expected.blocks[b].values.size()) << where << " block " << b;
        for (size_t k = 0; k < report.blocks[b].values.size(); ++k) {
            EXPECT_NEAR(report.blocks[b].values[k], expected.blocks[b].values[k], 1.5e-6) << where << " block " << b;
        }
    }
}

constexpr double never = std::numeric_limits<double>::infinity();

// 45 to 60 persons and six loci: its order conditions at the program's threshold.
TEST(Conditioning, AtTheProgramsThresholdMatchesFastlinkAndNoConditioning) {
    const oracle::Dataset data = oracle::geneDroppedDataset(2, {.minPersons = 45, .maxPedigrees = 1, .minMarkers = 5});
    const RunResult run = runOnDataset(data);
    ASSERT_TRUE(endedNormally(run)) << run.out;
    ASSERT_TRUE(showsConditioning(run.out));
    ASSERT_TRUE(loadDataset(data));
    const std::string unconditioned = lodScoreReport({.conditionThreshold = never}, {.conditioningThreshold = never});
    EXPECT_FALSE(showsConditioning(unconditioned));
    expectSameBlocks(parseLodReport(run.out), parseLodReport(unconditioned), "");
    SKIP_WITHOUT_FASTLINK();
    expectFastlinksTotals(data, parseLodReport(run.out), "");
}

}  // namespace
}  // namespace pedlik::testing
