// The whole report on the bundled examples, line for line, with only the
// timing figures masked. The LN(LIKE) values of these files agree with
// FASTLINK to every printed digit.
#include <gtest/gtest.h>

#include <regex>

#include "support/run_binary.hpp"

namespace pedlik::testing {
namespace {

std::string maskTimings(const std::string& out) {
    static const std::regex timing("is [0-9]+\\.[0-9]+ sec\\.");
    return std::regex_replace(out, timing, "is X sec.");
}

struct GoldenCase {
    const char* locusFile;
    const char* pedigreeFile;
    const char* golden;
};

class GoldenOutput : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenOutput, MatchesTheCommittedReport) {
    const GoldenCase& c = GetParam();
    ScratchDir dir;
    dir.write(c.locusFile, readFile(examplePath(c.locusFile)));
    dir.write(c.pedigreeFile, readFile(examplePath(c.pedigreeFile)));
    const bool defaults = std::string(c.locusFile) == "datafile3.dat";
    const RunResult run =
        runIn(dir.path(), defaults ? std::vector<std::string>{} : std::vector<std::string>{c.locusFile, c.pedigreeFile});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(maskTimings(run.out), readFile(std::string(PEDLIK_SOURCE_DIR) + "/tests/e2e/golden/" + c.golden));
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenOutput,
                         ::testing::Values(GoldenCase{"datafile3.dat", "pedfile3.dat", "datafile3.out"},
                                           GoldenCase{"datafile_xlinked.dat", "pedfile_xlinked.dat",
                                                      "datafile_xlinked.out"}));

}  // namespace
}  // namespace pedlik::testing
