#include <gtest/gtest.h>

#include "support/run_binary.hpp"
#include "support/named_cases.hpp"

namespace pedlik::testing {
namespace {

using pedlik::testing::PrintTo;  // cases print as their names

// The first description belongs to internal locus 1, the second to 0.
const char* const reorderedMarkers =
    "2 0 0 6 << loci\n"
    "0 0.0 0.0 0\n"
    "2 1\n"
    "3 3 << marker\n"
    "0.3 0.3 0.4\n"
    "3 4 << marker\n"
    "0.25 0.25 0.25 0.25\n"
    "0 0\n"
    "0.1\n";

const char* const sexLinkedMarker =
    "1 0 1 6 << loci\n"
    "0 0.0 0.0 0\n"
    "1\n"
    "3 4 << marker\n"
    "0.25 0.25 0.25 0.25\n"
    "0 0\n"
    "\n";

struct StopCase {
    const char* name;
    const char* locusFile;
    const char* pedigreeFile;
    const char* kindOfData;
    const char* message;
};

class IncompatibleChild : public ::testing::TestWithParam<StopCase> {};

TEST_P(IncompatibleChild, StopsAfterReadingWithTheInvalidValueMessage) {
    const StopCase& c = GetParam();
    const RunResult run = runWithFiles({{"d.dat", c.locusFile}, {"p.dat", c.pedigreeFile}}, {"d.dat", "p.dat"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string("\nAn input error has been found:\n") + c.message + "\n");
    EXPECT_EQ(run.out, std::string("Opening p.dat\nOpening d.dat\n") + c.kindOfData +
                           "Reopening p.dat\nClosing p.dat\nClosing d.dat\n");
}

INSTANTIATE_TEST_SUITE_P(
    Runs, IncompatibleChild,
    ::testing::Values(StopCase{"AutosomalMarkerOfTheSecondPedigree", reorderedMarkers,
                               "1 1 0 0 3 0 0 1 0  1 2  1 2\n"
                               "1 2 0 0 3 0 0 2 0  1 2  1 2\n"
                               "1 3 1 2 0 0 0 1 0  1 2  1 2\n"
                               "2 1 0 0 3 0 0 1 0  1 2  4 4\n"
                               "2 2 0 0 3 0 0 2 0  1 2  1 2\n"
                               "2 17 1 2 0 0 0 2 0  1 2  1 2\n",
                               "\nAUTOSOMAL DATA\n", "Invalid value in locus no. 0 of person no. 17, pedigree no. 1.\n"},
                      StopCase{"SexLinkedDaughter", sexLinkedMarker,
                               "5 1 0 0 3 0 0 1 0  3 0\n"
                               "5 2 0 0 3 0 0 2 0  0 0\n"
                               "5 3 1 2 0 0 0 2 0  1 2\n",
                               "\nSEXLINKED DATA\n", "Invalid value in locus no. 0 of person no. 3, pedigree no. 0.\n"}),
    [](const auto& info) { return info.param.name; });

TEST(GenotypeEliminationRun, ConsistentExampleRunsToTheTimings) {
    for (const auto& [locus, pedigree] : {std::pair{"datafile3.dat", "pedfile3.dat"},
                                          std::pair{"datafile_xlinked.dat", "pedfile_xlinked.dat"}}) {
        ScratchDir dir;
        const RunResult run = runIn(dir.path(), {examplePath(locus), examplePath(pedigree)});
        EXPECT_EQ(run.status, 0) << locus << "\n" << run.err;
        EXPECT_NE(run.out.find("The time needed for calculating the likelihood of the pedigree is "), std::string::npos);
    }
}

}  // namespace
}  // namespace pedlik::testing
