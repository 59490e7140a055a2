#include <gtest/gtest.h>

#include "support/run_binary.hpp"

namespace pedlik::testing {
namespace {

const char* const sixCodeLocusFile =
    "2 0 0 6 << no computation\n"
    "0 0.0 0.0 0\n"
    "1 2\n"
    "1 2 << affection\n"
    "0.99 0.01\n"
    "1\n"
    "0.0 0.0 1.0 << penetrances\n"
    "3 2\n"
    "0.5 0.5\n"
    "0 0\n"
    "0.1\n";
const char* const trioPedigreeFile =
    "1 1 0 0 3 0 0 1 0  1  1 2\n"
    "1 2 0 0 3 0 0 2 0  1  1 1\n"
    "1 3 1 2 0 0 0 1 0  2  1 2\n";

TEST(Driver, NoArgumentsOpensTheDefaultFilesPedigreeFirst) {
    ScratchDir dir;
    dir.write("datafile3.dat", sixCodeLocusFile);
    dir.write("pedfile3.dat", trioPedigreeFile);
    const RunResult run = runIn(dir.path(), {});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Opening pedfile3.dat\nOpening datafile3.dat\n\nAUTOSOMAL DATA\n"
                            "Reopening pedfile3.dat\nClosing pedfile3.dat\nClosing datafile3.dat\n",
                            0),
              0u)
        << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(Driver, ProgramCodeSixPrintsOnlyTheTimings) {
    const RunResult run = runWithFiles({{"d.dat", sixCodeLocusFile}, {"p.dat", trioPedigreeFile}}, {"d.dat", "p.dat"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string head =
        "Opening p.dat\nOpening d.dat\n\nAUTOSOMAL DATA\nReopening p.dat\nClosing p.dat\nClosing d.dat\n"
        "\nThe time needed for value-elimination is ";
    ASSERT_EQ(run.out.rfind(head, 0), 0u) << run.out;
    const std::string rest = run.out.substr(head.size());
    const size_t secondLine = rest.find(" sec.\nThe time needed for calculating the likelihood of the pedigree is ");
    ASSERT_NE(secondLine, std::string::npos) << run.out;
    EXPECT_EQ(rest.substr(rest.size() - 6), " sec.\n");
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 10);
}

TEST(Driver, MissingPedigreeFileStopsBeforeTheLocusFileIsOpened) {
    const RunResult run = runWithFiles({{"d.dat", sixCodeLocusFile}}, {"d.dat", "absent.dat"});
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.out, "Opening absent.dat\nERROR: File not found.\n");
    EXPECT_EQ(run.err, "");
}

TEST(Driver, MissingLocusFileIsReportedAfterOpeningThePedigreeFile) {
    const RunResult run = runWithFiles({{"p.dat", trioPedigreeFile}}, {"absent.dat", "p.dat"});
    EXPECT_EQ(run.status, 255);
    EXPECT_EQ(run.out, "Opening p.dat\nOpening absent.dat\nERROR: File not found.\n");
}

TEST(Driver, EmptyPedigreeFilePromptsReadsOneLineAndGoesOn) {
    const RunResult run =
        runWithFiles({{"d.dat", sixCodeLocusFile}, {"p.dat", ""}}, {"d.dat", "p.dat"}, "\nleft unread\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Opening p.dat\nOpening d.dat\n"
                            "ERROR: File empty or nonexistent. Press <Enter> to continue or <Ctrl-C> to abort\n"
                            "\nAUTOSOMAL DATA\nReopening p.dat\n",
                            0),
              0u)
        << run.out;
}

TEST(Driver, EmptyLocusFileIsAnInputErrorAfterThePrompt) {
    const RunResult run = runWithFiles({{"d.dat", ""}, {"p.dat", trioPedigreeFile}}, {"d.dat", "p.dat"}, "\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("ERROR: File empty or nonexistent."), std::string::npos);
    EXPECT_EQ(run.err,
              "\nAn input error has been found:\n"
              "Expected the number of loci in the locus data file, but found the end of the file.\n\n");
}

}  // namespace
}  // namespace pedlik::testing
