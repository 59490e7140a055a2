// pedlik against FASTLINK on gene-dropped families of 3 to 60 persons (both
// ordering schemes; the totals and each family's share), and conditioning at the program's threshold on a large
// family leaves every likelihood as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "input/locus_order.hpp"
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

std::vector<oracle::FastlinkBlock> fastlinkBlocks(const oracle::Dataset& data) {
    return oracle::runFastlink(oracle::toPedlikLocusFile(data), oracle::toLinkagePedigreeFile(data));
}

// Every block's printed values are those of FASTLINK's totals, or of another report's.
::testing::AssertionResult matchesFastlink(const oracle::Dataset& data, const std::string& out,
                                           const std::vector<oracle::FastlinkBlock>& blocks) {
    std::vector<double> totals;
    for (const auto& block : blocks) totals.push_back(block.lnLikelihood);
    return reportMatches(parseLodReport(out), oracle::lodScoreThetas(data), totals, 3e-5);
}

// Each pedigree's row of the --table file holds FASTLINK's ln likelihood of
// the family, and their LOD scores add up to the total's.
::testing::AssertionResult tableMatchesFastlink(const oracle::Dataset& data, const std::vector<TableRow>& rows,
                                                const std::vector<oracle::FastlinkBlock>& blocks) {
    const std::vector<double> thetas = oracle::lodScoreThetas(data);
    for (size_t b = 0; b < blocks.size(); ++b) {
        auto row = std::find_if(rows.begin(), rows.end(), [&](const TableRow& r) { return std::fabs(r.theta - thetas[b]) < 1e-9; });
        double lods = 0.0;
        for (const double expected : blocks[b].pedigreeLnLikelihoods) {
            if (row == rows.end() || !(std::fabs(row->logLikelihood - expected) <= 3e-5)) {
                return ::testing::AssertionFailure() << "theta " << thetas[b] << ": a pedigree's ln likelihood is not " << expected;
            }
            lods += (row++)->lod;
        }
        if (row == rows.end() || row->pedigree != "total" || !(std::fabs(row->lod - lods) <= 1e-5)) {
            return ::testing::AssertionFailure() << "theta " << thetas[b] << ": the pedigrees' LOD scores add up to " << lods;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult matchesReport(const oracle::Dataset& data, const std::string& out, const std::string& expected) {
    std::vector<double> values;
    for (const ReportedBlock& block : parseLodReport(expected).blocks) values.push_back(block.values.at(0));
    return reportMatches(parseLodReport(out), oracle::lodScoreThetas(data), values, 1.5e-6);
}

TEST(AgainstFastlink, EveryBlockIsFastlinksTotalAndEveryPedigreeItsFamilys) {
    SKIP_WITHOUT_FASTLINK();
    for (std::uint64_t seed = 1, cases = 0; cases < 40; ++seed) {
        const oracle::Dataset data = oracle::geneDroppedDataset(seed);
        if (!fastlinkTakes(data)) continue;
        ++cases;
        const ScratchDir out;
        const RunResult run = runOnDataset(data, {"--table", (out.path() / "lod.tsv").string()});
        ASSERT_TRUE(endedNormally(run)) << run.out;
        const std::vector<oracle::FastlinkBlock> blocks = fastlinkBlocks(data);
        EXPECT_TRUE(matchesFastlink(data, run.out, blocks)) << "seed " << seed;
        EXPECT_TRUE(tableMatchesFastlink(data, readResultsTable(readFile(out.path() / "lod.tsv")), blocks)) << "seed " << seed;
    }
}

// Loops broken the makeped way: FASTLINK's ln likelihoods are shifted there by a constant, their differences are not.
TEST(AgainstFastlink, LoopBreakerCopiesMergedGiveFastlinksDifferencesBetweenBlocks) {
    SKIP_WITHOUT_FASTLINK();
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        const oracle::Dataset data = oracle::withLoopsBroken(oracle::geneDroppedDataset(seed, {.maxPersons = 20}));
        const RunResult run = runOnDataset(data);
        ASSERT_TRUE(endedNormally(run)) << run.out;
        const std::vector<oracle::FastlinkBlock> blocks = fastlinkBlocks(data);
        const LodReport report = parseLodReport(run.out);
        ASSERT_EQ(report.blocks.size(), blocks.size()) << "seed " << seed << report.fault;
        for (size_t b = 1; b < blocks.size(); ++b) {
            EXPECT_NEAR(report.blocks[b].values.at(0) - report.blocks[0].values.at(0), blocks[b].lnLikelihood - blocks[0].lnLikelihood, 5e-5)
                << "seed " << seed;
        }
    }
}

// mlink on 3- and 4-locus files whose loci stand in another order than the map's, the order line its way round.
TEST(AgainstFastlink, LinkageOrderReadingIsMlinks) {
    SKIP_WITHOUT_FASTLINK();
    for (std::uint64_t seed = 1; seed <= 8; ++seed) {
        oracle::Dataset data = oracle::geneDroppedDataset(seed, {.maxPersons = 20, .minMarkers = 2, .maxMarkers = 3});
        const size_t n = data.order.size(), shift = seed % 2 == 1 ? 1 : n - 1;  // never its own inverse
        for (size_t k = 0; k < n; ++k) data.order[k] = static_cast<int>((k + shift) % n) + 1;
        std::string locusText = oracle::toPedlikLocusFile(data), order = orderText(data.order);
        locusText.replace(locusText.find("\n" + order + "\n") + 1, order.size(), orderText(inverseOrder(data.order)));
        const RunResult run = runWithFiles({{"d.dat", locusText}, {"p.dat", oracle::toPedlikPedigreeFile(data)}}, {"--linkage-order", "d.dat", "p.dat"});
        ASSERT_TRUE(endedNormally(run)) << run.out;
        EXPECT_TRUE(matchesFastlink(data, run.out, oracle::runFastlink(locusText, oracle::toLinkagePedigreeFile(data)))) << "seed " << seed;
    }
}

constexpr double never = std::numeric_limits<double>::infinity();

// 45 to 60 persons and six loci: the greedy order conditions at the
// program's threshold, and a searched order within 2 MiB conditions too.
TEST(Conditioning, GreedyAndSearchedOrdersMatchFastlinkAndNoConditioning) {
    const oracle::Dataset data = oracle::geneDroppedDataset(2, {.minPersons = 45, .maxPedigrees = 1, .minMarkers = 5});
    const RunResult run = runOnDataset(data, {"--memory", "2M"});
    ASSERT_TRUE(endedNormally(run)) << run.out;
    ASSERT_TRUE(showsConditioning(run.out));
    ASSERT_TRUE(loadDataset(data));
    const std::string greedy = lodScoreReport({.searchFrom = never});
    ASSERT_TRUE(showsConditioning(greedy));
    ASSERT_TRUE(loadDataset(data));  // a run leaves the varied fraction at its last value
    const std::string unconditioned =
        lodScoreReport({.conditionThreshold = never, .memoryEntries = never, .searchFrom = never}, {.conditioningThreshold = never});
    EXPECT_FALSE(showsConditioning(unconditioned));
    EXPECT_TRUE(matchesReport(data, run.out, unconditioned));
    EXPECT_TRUE(matchesReport(data, greedy, unconditioned));
    SKIP_WITHOUT_FASTLINK();
    EXPECT_TRUE(matchesFastlink(data, run.out, fastlinkBlocks(data)));
}

}  // namespace
}  // namespace pedlik::testing
