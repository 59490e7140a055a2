#include "oracle/fastlink.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "oracle/enumerator.hpp"
#include "oracle/file_writers.hpp"
#include "oracle/random_datasets.hpp"
#include "oracle/skip_without_fastlink.hpp"

namespace pedlik::oracle {
namespace {

// FASTLINK prints ln-likelihoods to 6 decimals and fractions to 3.
constexpr double printedLnLikelihood = 2e-6;
constexpr double printedTheta = 5e-4 + 1e-12;

std::vector<FastlinkBlock> fastlinkOn(const Dataset& data) {
    return runFastlink(toLinkageLocusFile(data), toLinkagePedigreeFile(data));
}

class EnumeratorAgainstFastlink : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(EnumeratorAgainstFastlink, EveryBlockAndPedigreeAgrees) {
    SKIP_WITHOUT_FASTLINK();
    const std::uint64_t seed = GetParam();
    GeneDropOptions options;
    options.maxPersons = 6;
    options.maxPedigrees = 2;
    options.maxMarkers = 2;
    options.maxAlleles = 4;
    const Dataset data = geneDroppedDataset(seed, options);
    const std::vector<FastlinkBlock> blocks = fastlinkOn(data);
    const std::vector<double> thetas = lodScoreThetas(data);
    ASSERT_EQ(blocks.size(), thetas.size()) << "seed " << seed;
    for (size_t b = 0; b < blocks.size(); ++b) {
        const Dataset varied = withVariedTheta(data, thetas[b]);
        ASSERT_EQ(blocks[b].thetas.size(), varied.thetas.size()) << "seed " << seed;
        for (size_t i = 0; i < varied.thetas.size(); ++i) {
            EXPECT_NEAR(blocks[b].thetas[i], varied.thetas[i], printedTheta) << "seed " << seed << " block " << b;
        }
        ASSERT_EQ(blocks[b].pedigreeLnLikelihoods.size(), data.pedigrees.size()) << "seed " << seed;
        for (int p = 0; p < static_cast<int>(data.pedigrees.size()); ++p) {
            EXPECT_NEAR(blocks[b].pedigreeLnLikelihoods[p], std::log(likelihood(varied, p)), printedLnLikelihood)
                << "seed " << seed << " block " << b << " pedigree " << p;
        }
        EXPECT_NEAR(blocks[b].lnLikelihood, logLikelihood(varied), printedLnLikelihood)
            << "seed " << seed << " block " << b;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, EnumeratorAgainstFastlink, ::testing::Range<std::uint64_t>(1, 41));

// Full-size generated data stay within what FASTLINK takes, and its blocks
// are those of pedlik's report.
TEST(Fastlink, TakesFullSizeGeneratedDataBlockForBlock) {
    SKIP_WITHOUT_FASTLINK();
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        const Dataset data = geneDroppedDataset(seed);
        const std::vector<FastlinkBlock> blocks = fastlinkOn(data);
        const std::vector<double> thetas = lodScoreThetas(data);
        ASSERT_EQ(blocks.size(), thetas.size()) << "seed " << seed;
        for (size_t b = 0; b < blocks.size(); ++b) {
            EXPECT_NEAR(blocks[b].thetas[data.variedThetaIndex - 1], thetas[b], printedTheta) << "seed " << seed;
            double total = 0.0;
            for (double value : blocks[b].pedigreeLnLikelihoods) total += value;
            EXPECT_TRUE(std::isfinite(blocks[b].lnLikelihood)) << "seed " << seed;
            EXPECT_NEAR(blocks[b].lnLikelihood, total, 1e-5 * blocks[b].pedigreeLnLikelihoods.size())
                << "seed " << seed;
        }
    }
}

TEST(Fastlink, ReportsAProgramThatFails) {
    SKIP_WITHOUT_FASTLINK();
    EXPECT_THROW(runFastlink("not a locus file\n", "1 1 0 0 0 0 0 1 0 1 2\n"), std::runtime_error);
}

}  // namespace
}  // namespace pedlik::oracle
