// Runs of the binary: default and missing files, empty files, the command line's options, and the bundled examples'
// committed reports.
#include <gtest/gtest.h>

#include <regex>

#include "support/golden_outputs.hpp"

namespace pedlik::testing {
namespace {

const std::string noComputation =
    "2 0 0 6 << no computation\n0 0.0 0.0 0\n1 2\n1 2 << affection\n0.99 0.01\n1\n0.0 0.0 1.0\n3 2\n0.5 0.5\n0 0\n0.1\n";

RunResult runOnFiles(const std::vector<std::string>& args, const std::string& input = "") {
    return runWithFiles({{"datafile3.dat", noComputation},
                         {"pedfile3.dat", "1 1 0 0 3 0 0 1 0  1  1 2\n1 2 0 0 3 0 0 2 0  1  1 1\n"
                                          "1 3 1 2 0 0 0 1 0  2  1 2\n"},
                         {"--odd.dat", noComputation},
                         {"empty.dat", ""},
                         // The second line starts with a number that must not be taken as the trait table ordinal.
                         {"one.dat", "1 0 0 6\n7 0.0 0.0 0\n1\n3 4\n0.25 0.25 0.25 0.25\n0 0\n\n"},
                         {"onep.dat", "1 1 0 0 0 0 0 1 0  1 2\n"},
                         {"d.dat", readFile(examplePath("datafile_em.dat"))},
                         {"p.dat", readFile(examplePath("pedfile_em.dat"))},
                         {"l.dat", readFile(examplePath("datafile3.dat"))},
                         {"lp.dat", readFile(examplePath("pedfile3.dat"))}},
                        args, input);
}

const std::string prompt = "ERROR: File empty or nonexistent. Press <Enter> to continue or <Ctrl-C> to abort\n";

// A run that reads both files and computes nothing, its timings masked.
std::string reading(const std::string& pedigree, const std::string& locus, const std::string& afterOpening = "") {
    return "Opening " + pedigree + "\nOpening " + locus + "\n" + afterOpening + "\nAUTOSOMAL DATA\nReopening " + pedigree +
           "\nClosing " + pedigree + "\nClosing " + locus +
           "\n\nThe time needed for value-elimination is <time> sec.\n"
           "The time needed for calculating the likelihood of the pedigree is <time> sec.\n";
}

struct RunCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;  // timings masked
    std::string err = "";
};

class ProgramRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(ProgramRun, PrintsAndExitsSo) {
    const RunCase& c = GetParam();
    const RunResult run = runOnFiles(c.args, c.input);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(maskTimings(run.out), c.out);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ProgramRun,
    ::testing::ValuesIn(std::vector<RunCase>{
        {"DefaultFilesPedigreeFirstCodeSixOnlyTimed", {}, "", 0, reading("pedfile3.dat", "datafile3.dat")},
        {"OptionWithoutPathsOpensTheDefaultFiles", {"--estimates"}, "", 0, reading("pedfile3.dat", "datafile3.dat")},
        {"DoubleDashEndsTheOptions", {"--", "--odd.dat", "pedfile3.dat"}, "", 0, reading("pedfile3.dat", "--odd.dat")},
        {"FourNumberFirstLineLeavesTheSecondLineIntact", {"one.dat", "onep.dat"}, "", 0, reading("onep.dat", "one.dat")},
        {"MissingPedigreeFileStopsBeforeTheLocusFile", {"datafile3.dat", "absent.dat"}, "", 255,
         "Opening absent.dat\nERROR: File not found.\n"},
        {"MissingLocusFile", {"absent.dat", "pedfile3.dat"}, "", 255,
         "Opening pedfile3.dat\nOpening absent.dat\nERROR: File not found.\n"},
        {"EmptyPedigreeFilePromptsReadsOneLineAndGoesOn", {"datafile3.dat", "empty.dat"}, "\nleft unread\n", 0,
         reading("empty.dat", "datafile3.dat", prompt)},
        {"EmptyLocusFileIsAnInputErrorAfterThePrompt", {"empty.dat", "pedfile3.dat"}, "\n", 1,
         "Opening pedfile3.dat\nOpening empty.dat\n" + prompt,
         "\nAn input error has been found:\nExpected the number of loci in the locus data file, but found the end of the "
         "file.\n\n"},
        {"Version", {"--version"}, "", 0, "pedlik 1.0.0\n"},
        {"FirstUnknownOptionIsRefusedBeforeAnyFileIsOpened", {"d.dat", "--estimate", "p.dat", "--x"}, "", 1, "",
         "pedlik: unknown option --estimate\nTry 'pedlik --help'.\n"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, HelpDescribesUsageModesOptionsAndExitStatusesAndRunsNothing) {
    const RunResult run = runOnFiles({"d.dat", "--help", "p.dat"});
    EXPECT_TRUE(run.status == 0 && run.err.empty()) << run.err;
    EXPECT_EQ(run.out.rfind("Usage: pedlik [OPTION]... [LOCUS_FILE [PEDIGREE_FILE]]\n", 0), 0u) << run.out;
    EXPECT_EQ(run.out.find("Opening"), std::string::npos);
    for (const char* part : {"LOD-score mode", "bucket-tree mode", "--estimates", "--help", "--version",
                             "Exit status: 0 after a complete run, 1 after an input error"}) {
        EXPECT_NE(run.out.find(part), std::string::npos) << part;
    }
}

// The option adds its lines to the bucket-tree report wherever it stands, and leaves a LOD-score report alone.
TEST(CommandLine, EstimatesMayStandAnywhereAndOnlyAddTheirLines) {
    const std::string plain = maskTimings(runOnFiles({"d.dat", "p.dat"}).out);
    const std::string withEstimates = maskTimings(runOnFiles({"--estimates", "d.dat", "p.dat"}).out);
    EXPECT_NE(withEstimates.find("\nEM ITERATION 1: "), std::string::npos);
    EXPECT_NE(withEstimates.find("\nEM ESTIMATES AFTER "), std::string::npos);
    EXPECT_EQ(std::regex_replace(withEstimates, std::regex("\nEM (ITERATION|ESTIMATES)[^\n]*\n"), ""), plain);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"d.dat", "--estimates", "p.dat"},
                                                 {"d.dat", "p.dat", "--estimates"},
                                                 {"--estimates", "--", "d.dat", "p.dat"}}) {
        EXPECT_EQ(maskTimings(runOnFiles(args).out), withEstimates);
    }
    const std::string lodScores = maskTimings(runOnFiles({"l.dat", "lp.dat"}).out);
    EXPECT_EQ(maskTimings(runOnFiles({"l.dat", "--estimates", "lp.dat"}).out), lodScores);
}

class GoldenOutput : public ::testing::TestWithParam<ExampleRun> {};

TEST_P(GoldenOutput, RunPrintsTheCommittedReport) {
    const ExampleRun& example = GetParam();
    const RunResult run = runWithFiles({{example.locusFile, readFile(examplePath(example.locusFile))},
                                        {example.pedigreeFile, readFile(examplePath(example.pedigreeFile))}},
                                       example.args);
    EXPECT_TRUE(run.status == 0 && run.err.empty()) << run.err;
    EXPECT_EQ(maskTimings(run.out), goldenOutput(example));
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenOutput, ::testing::ValuesIn(exampleRuns()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
