// pedlik against FASTLINK on gene-dropped families of 3 to 60 persons (both
// ordering schemes) and on the bundled examples' committed reports; and
// conditioning and rescaling, at the program's thresholds and lowered, leave
// every likelihood as it was.
#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <sstream>

#include "oracle/fastlink.hpp"
#include "support/golden_outputs.hpp"
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
    for (size_t b = 0; b < expected.size(); ++b) EXPECT_NEAR(report.blocks[b].lnLike, expected[b].lnLikelihood, 1e-5) << where << " block " << b;
}

TEST(AgainstFastlink, EveryBlockIsFastlinksTotal) {
    SKIP_WITHOUT_FASTLINK();
    std::map<std::string, int> seen;
    int cases = 0;
    for (std::uint64_t seed = 1; cases < 40; ++seed) {
        const oracle::Dataset data = oracle::geneDroppedDataset(seed);
        if (!fastlinkTakes(data)) continue;
        ++cases;
        const RunResult run = runOnDataset(data);
        ASSERT_TRUE(endedNormally(run)) << run.out;
        expectFastlinksTotals(data, parseLodReport(run.out), "seed " + std::to_string(seed));
        seen["sex-linked"] += data.sexLinked;
        for (const oracle::LocusModel& locus : data.loci) {
            seen[locus.femalePenetrances.empty() ? "alleles " + std::to_string(std::min(locus.alleleCount(), 7)) : "classes " + std::to_string(locus.liabilityClassCount())]++;
        }
        for (const oracle::PedigreeRecord& pedigree : data.pedigrees) seen[pedigree.persons.size() <= 15 ? "locus by locus" : "whole product"]++;
    }
    for (const char* kind : {"sex-linked", "classes 1", "classes 2", "classes 3", "alleles 2", "alleles 7", "locus by locus", "whole product"}) {
        EXPECT_GE(seen[kind], 3) << kind;
    }
}

TEST(AgainstFastlink, GoldenReportsAreFastlinksTotals) {
    SKIP_WITHOUT_FASTLINK();
    for (const ExampleRun& example : exampleRuns()) {
        // FASTLINK wants a sex-linked male's allele twice; the examples' only
        // sex-linked marker is their last locus.
        std::string pedigreeFile;
        std::istringstream lines(readFile(examplePath(example.pedigreeFile)));
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> fields;
            std::istringstream words(line);
            for (std::string word; words >> word;) fields.push_back(word);
            if (fields.size() > 9 && fields[7] == "1" && fields.back() == "0") fields.back() = fields[fields.size() - 2];
            for (const std::string& field : fields) pedigreeFile += field + " ";
            pedigreeFile += "\n";
        }
        const LodReport report = parseLodReport(goldenOutput(example));
        const auto expected = oracle::runFastlink(readFile(examplePath(example.locusFile)), pedigreeFile);
        ASSERT_GE(report.blocks.size(), 2u) << example.name;
        ASSERT_GE(expected.size(), report.blocks.size()) << example.name;  // mlink also visits the stop value
        for (size_t b = 0; b < report.blocks.size(); ++b) {
            EXPECT_NEAR(std::stod(report.blocks[b].theta), expected[b].thetas[0], 5e-4) << example.name << " block " << b;
            EXPECT_NEAR(report.blocks[b].lnLike, expected[b].lnLikelihood, 2e-6) << example.name << " block " << b;
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
    const std::vector<double> thetas = oracle::lodScoreThetas(data);
    ASSERT_TRUE(loadDataset(data));
    const LibraryRun unconditioned = lodScoreLogLikelihoods(thetas, {.conditionThreshold = never}, {.conditioningThreshold = never});
    EXPECT_FALSE(showsConditioning(unconditioned.out));
    EXPECT_TRUE(reportMatches(parseLodReport(run.out), thetas, unconditioned.logLikelihoods)) << run.out;
    SKIP_WITHOUT_FASTLINK();
    expectFastlinksTotals(data, parseLodReport(run.out), "");
}

struct Lowered {
    const char* name;
    int maxPersons;  // 15 keeps the pedigrees locus by locus
    OrderLimits limits;
    EliminationSettings settings;
    bool conditions;
};

void PrintTo(const Lowered& t, std::ostream* out) { *out << t.name; }

class LoweredThresholds : public ::testing::TestWithParam<Lowered> {};

TEST_P(LoweredThresholds, LeaveEveryLikelihoodAsItWas) {
    const Lowered& t = GetParam();
    int conditioned = 0;
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        const oracle::Dataset data = oracle::geneDroppedDataset(seed, {.minPersons = 8, .maxPersons = t.maxPersons, .maxPedigrees = 2, .maxMarkers = 4});
        const std::vector<double> thetas = oracle::lodScoreThetas(data);
        ASSERT_TRUE(loadDataset(data));
        const LibraryRun plain = lodScoreLogLikelihoods(thetas);
        ASSERT_TRUE(loadDataset(data));
        const LibraryRun changed = lodScoreLogLikelihoods(thetas, t.limits, t.settings);
        for (size_t b = 0; b < thetas.size(); ++b) {
            EXPECT_TRUE(sameLogLikelihood(changed.logLikelihoods[b], plain.logLikelihoods[b], 1e-10)) << "seed " << seed << " theta " << thetas[b];
        }
        conditioned += showsConditioning(changed.out) ? 1 : 0;
    }
    EXPECT_EQ(conditioned >= 10, t.conditions) << conditioned << " runs conditioned";
}

INSTANTIATE_TEST_SUITE_P(
    Variants, LoweredThresholds,
    ::testing::Values(Lowered{"WholeProductConditioning", 30, {.conditionThreshold = 2000.0}, {.conditioningThreshold = 2000.0}, true},
                      Lowered{"LocusByLocusConditioning", 15, {.conditionThreshold = 2000.0}, {.conditioningThreshold = 2000.0}, true},
                      Lowered{"RescaledAfterEveryStep", 20, {}, {.rescaleCountdown = 1}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
