// The committed reports of the bundled examples are right: every block's
// LN(LIKE) is FASTLINK's total for the same fractions.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "oracle/fastlink.hpp"
#include "oracle/skip_without_fastlink.hpp"
#include "support/golden_outputs.hpp"
#include "support/lod_score_runs.hpp"

namespace pedlik::testing {
namespace {

// FASTLINK wants a sex-linked male's allele written twice; the examples'
// only marker of sex-linked data is their last locus.
std::string withHemizygotesDoubled(const std::string& pedigreeFile) {
    std::string text;
    std::istringstream lines(pedigreeFile);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream words(line);
        for (std::string word; words >> word;) fields.push_back(word);
        const size_t n = fields.size();
        if (n > 9 && fields[7] == "1" && fields[n - 1] == "0") fields[n - 1] = fields[n - 2];
        for (const std::string& field : fields) text += field + " ";
        text += "\n";
    }
    return text;
}

class GoldenOutputAgainstFastlink : public ::testing::TestWithParam<ExampleRun> {};

TEST_P(GoldenOutputAgainstFastlink, EveryBlockIsFastlinksTotal) {
    SKIP_WITHOUT_FASTLINK();
    const ExampleRun& example = GetParam();
    const LodReport report = parseLodReport(goldenOutput(example));
    ASSERT_TRUE(report.fault.empty()) << report.fault;
    const std::vector<oracle::FastlinkBlock> expected = oracle::runFastlink(
        readFile(examplePath(example.locusFile)), withHemizygotesDoubled(readFile(examplePath(example.pedigreeFile))));
    // mlink also visits the stop value itself.
    ASSERT_GE(expected.size(), report.blocks.size());
    ASSERT_GE(report.blocks.size(), 2u);
    for (size_t b = 0; b < report.blocks.size(); ++b) {
        // Both examples vary their first fraction.
        EXPECT_NEAR(std::stod(report.blocks[b].theta), expected[b].thetas[0], 5e-4) << "block " << b;
        // Both print six decimals, rounded separately.
        EXPECT_NEAR(report.blocks[b].lnLike, expected[b].lnLikelihood, 2e-6) << "block " << b;
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenOutputAgainstFastlink, ::testing::ValuesIn(exampleRuns()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
