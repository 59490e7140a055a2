#include <gtest/gtest.h>

#include "support/problem_loading.hpp"
#include "support/run_binary.hpp"

namespace pedlik::testing {
namespace {

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

struct StopCase {
    const char* name;
    std::string locusFile;
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
                      StopCase{"SexLinkedDaughter", markerLocusFile({4}, true),
                               "5 1 0 0 3 0 0 1 0  3 0\n"
                               "5 2 0 0 3 0 0 2 0  0 0\n"
                               "5 3 1 2 0 0 0 2 0  1 2\n",
                               "\nSEXLINKED DATA\n", "Invalid value in locus no. 0 of person no. 3, pedigree no. 0.\n"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pedlik::testing
