// The command line: --estimates, --help and --version anywhere among the two
// paths, and every command line without options as it always was.
#include <gtest/gtest.h>

#include "e2e/report_reading.hpp"
#include "support/run_binary.hpp"

namespace pedlik::testing {
namespace {

// The bundled bucket-tree example under the default names and under its own.
RunResult runOnExample(const std::vector<std::string>& args) {
    const std::string locus = readFile(examplePath("datafile_em.dat"));
    const std::string pedigree = readFile(examplePath("pedfile_em.dat"));
    return runWithFiles({{"datafile3.dat", locus}, {"pedfile3.dat", pedigree}, {"d.dat", locus}, {"p.dat", pedigree},
                         {"--odd.dat", locus}},
                        args);
}

TEST(CommandLine, HelpDescribesUsageModesOptionsAndExitStatusesAndRunsNothing) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"}, {"d.dat", "--help", "p.dat"}}) {
        const RunResult run = runOnExample(args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out.rfind("Usage: pedlik [OPTION]... [LOCUS_FILE [PEDIGREE_FILE]]\n", 0), 0u) << run.out;
        for (const char* part : {"LOD-score mode", "bucket-tree mode", "--estimates", "--help", "--version",
                                 "Exit status: 0 after a complete run, 1 after an input error"}) {
            EXPECT_NE(run.out.find(part), std::string::npos) << part;
        }
        EXPECT_EQ(run.out.find("Opening"), std::string::npos);
    }
}

TEST(CommandLine, VersionPrintsOneLine) {
    const RunResult run = runOnExample({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "pedlik 1.0.0\n");
    EXPECT_EQ(run.err, "");
}

TEST(CommandLine, UnknownOptionIsRefusedBeforeAnyFileIsOpened) {
    const RunResult run = runOnExample({"d.dat", "--estimate", "p.dat"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "pedlik: unknown option --estimate\nTry 'pedlik --help'.\n");
}

TEST(CommandLine, EstimatesMayStandAnywhereAndOnlyAddTheirLines) {
    const RunResult plain = runOnExample({"d.dat", "p.dat"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out.find("EM "), std::string::npos);
    const std::vector<std::vector<std::string>> placements = {
        {"--estimates", "d.dat", "p.dat"}, {"d.dat", "--estimates", "p.dat"}, {"d.dat", "p.dat", "--estimates"}};
    std::string first;
    for (const std::vector<std::string>& args : placements) {
        const RunResult run = runOnExample(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const std::string report = withoutTimings(run.out);
        if (first.empty()) first = report;
        EXPECT_EQ(report, first);
        EXPECT_EQ(countLines(run.out, ""), countLines(plain.out, "") + 1 + estimatedIterations(run.out));
    }
    EXPECT_EQ(withoutEstimates(first), withoutTimings(plain.out));
}

TEST(CommandLine, WithoutPathsTheDefaultFilesAreOpened) {
    const RunResult run = runOnExample({"--estimates"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Opening pedfile3.dat\nOpening datafile3.dat\n", 0), 0u);
    EXPECT_GE(estimatedIterations(run.out), 1);
}

TEST(CommandLine, DoubleDashEndsTheOptions) {
    const RunResult run = runOnExample({"--estimates", "--", "--odd.dat", "p.dat"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Opening p.dat\nOpening --odd.dat\n", 0), 0u) << run.out;
    EXPECT_GE(estimatedIterations(run.out), 1);
}

// The option reports the bucket-tree mode only: the LOD-score mode's report
// stays as it is.
TEST(CommandLine, EstimatesLeaveTheLodScoreReportAlone) {
    const std::string locus = readFile(examplePath("datafile3.dat"));
    const std::string pedigree = readFile(examplePath("pedfile3.dat"));
    const RunResult plain = runWithFiles({{"d.dat", locus}, {"p.dat", pedigree}}, {"d.dat", "p.dat"});
    const RunResult with = runWithFiles({{"d.dat", locus}, {"p.dat", pedigree}}, {"d.dat", "--estimates", "p.dat"});
    ASSERT_EQ(plain.status, 0);
    ASSERT_EQ(with.status, 0);
    EXPECT_EQ(withoutTimings(with.out), withoutTimings(plain.out));
}

}  // namespace
}  // namespace pedlik::testing
