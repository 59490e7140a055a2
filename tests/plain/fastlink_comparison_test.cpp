// pedlik against FASTLINK on gene-dropped files: pedigrees of 3 to 60
// persons over 2 to 4 generations, several per file, autosomal and
// sex-linked, an affection-status locus of 1 to 3 liability classes and
// markers of 2 to 8 alleles; every block's LN(LIKE) against FASTLINK's
// total. Pedigrees of at most 15 persons are ordered locus by locus, larger
// ones over the whole product, so both schemes are compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "oracle/fastlink.hpp"
#include "oracle/random_datasets.hpp"
#include "oracle/skip_without_fastlink.hpp"
#include "support/dataset_run.hpp"
#include "support/lod_score_runs.hpp"

namespace pedlik::testing {
namespace {

constexpr int caseCount = 60;

// mlink takes at most 18 children per couple.
constexpr int fastlinkMaxChildren = 18;

int largestSibship(const oracle::Dataset& data) {
    int largest = 0;
    for (const oracle::PedigreeRecord& pedigree : data.pedigrees) {
        std::map<std::pair<int, int>, int> children;
        for (const oracle::PersonRecord& person : pedigree.persons) {
            if (person.father >= 0) largest = std::max(largest, ++children[{person.father, person.mother}]);
        }
    }
    return largest;
}

// The first caseCount seeds whose data FASTLINK takes.
std::vector<std::uint64_t> caseSeeds() {
    std::vector<std::uint64_t> seeds;
    for (std::uint64_t seed = 1; static_cast<int>(seeds.size()) < caseCount; ++seed) {
        if (largestSibship(oracle::geneDroppedDataset(seed)) <= fastlinkMaxChildren) seeds.push_back(seed);
    }
    return seeds;
}

// The cases reach what the comparison is for.
TEST(FastlinkCases, CoverBothSchemesBothKindsOfDataAndEveryModelSize) {
    std::map<std::string, int> seen;
    for (std::uint64_t seed : caseSeeds()) {
        const oracle::Dataset data = oracle::geneDroppedDataset(seed);
        seen["sex-linked"] += data.sexLinked ? 1 : 0;
        seen["several pedigrees"] += data.pedigrees.size() > 1 ? 1 : 0;
        for (const oracle::LocusModel& locus : data.loci) {
            if (locus.kind == oracle::LocusKind::AffectionStatus) {
                seen["classes " + std::to_string(locus.liabilityClassCount())] += 1;
            } else {
                seen["alleles " + std::to_string(std::min(locus.alleleCount(), 7))] += 1;
            }
        }
        for (const oracle::PedigreeRecord& pedigree : data.pedigrees) {
            seen[pedigree.persons.size() <= 15 ? "locus by locus" : "whole product"] += 1;
        }
    }
    for (const char* kind : {"sex-linked", "several pedigrees", "classes 1", "classes 2", "classes 3", "alleles 2",
                             "alleles 7", "locus by locus", "whole product"}) {
        EXPECT_GE(seen[kind], 5) << kind;
    }
}

class PedlikAgainstFastlink : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(PedlikAgainstFastlink, EveryBlockIsFastlinksTotal) {
    SKIP_WITHOUT_FASTLINK();
    const std::uint64_t seed = GetParam();
    const oracle::Dataset data = oracle::geneDroppedDataset(seed);
    const std::vector<oracle::FastlinkBlock> expected =
        oracle::runFastlink(oracle::toLinkageLocusFile(data), oracle::toLinkagePedigreeFile(data));
    const RunResult run = runOnDataset(data);
    ASSERT_TRUE(endedNormally(run)) << run.out;
    const LodReport report = parseLodReport(run.out);
    ASSERT_TRUE(report.fault.empty()) << report.fault;
    ASSERT_EQ(report.blocks.size(), expected.size()) << run.out;
    for (size_t b = 0; b < expected.size(); ++b) {
        // Both print six decimals.
        EXPECT_NEAR(report.blocks[b].lnLike, expected[b].lnLikelihood, 1e-5)
            << "seed " << seed << ", block " << b << " (" << report.blocks[b].theta << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(GeneDropped, PedlikAgainstFastlink, ::testing::ValuesIn(caseSeeds()));

}  // namespace
}  // namespace pedlik::testing
