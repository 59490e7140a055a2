// The bundled examples print their committed reports, line for line, up to
// the processor times.
#include <gtest/gtest.h>

#include <string>

#include "support/golden_outputs.hpp"

namespace pedlik::testing {
namespace {

class GoldenOutput : public ::testing::TestWithParam<ExampleRun> {};

TEST_P(GoldenOutput, RunPrintsTheCommittedReport) {
    const ExampleRun& example = GetParam();
    ScratchDir dir;
    dir.write(example.locusFile, readFile(examplePath(example.locusFile)));
    dir.write(example.pedigreeFile, readFile(examplePath(example.pedigreeFile)));
    const RunResult run = runIn(dir.path(), example.args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(maskTimings(run.out), goldenOutput(example));
}

INSTANTIATE_TEST_SUITE_P(Examples, GoldenOutput, ::testing::ValuesIn(exampleRuns()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pedlik::testing
