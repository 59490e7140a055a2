// A split run as users run it: parts written by separate processes, merged
// by another; a merge refuses what is not one whole run.
#include <gtest/gtest.h>

#include "support/oracle_runs.hpp"

namespace pedlik::testing {
namespace {

// `command` run in the folder by the shell, $P standing for pedlik.
RunResult inFolder(const ScratchDir& dir, const std::string& command) {
    const std::string line = "cd '" + dir.path().string() + "' && P='" PEDLIK_BINARY "' && { " + command + "; } >.stdout 2>.stderr";
    const int raw = std::system(line.c_str());
    return {readFile(dir.path() / ".stdout"), readFile(dir.path() / ".stderr"), WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
}

class SplitExample : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"datafile3.dat", "pedfile3.dat"}) dir.write(name, readFile(examplePath(name)));
        ASSERT_EQ(inFolder(dir, "for k in 1 2 3; do $P --parts 3 --part $k --out p$k *3.dat >/dev/null || exit 1; done; "
                                "$P --memory 1G --parts 3 --part 3 --out q3 *3.dat >/dev/null && head -c 200 p3 >cut3").status, 0);
    }
    ScratchDir dir;
};

TEST_F(SplitExample, MergeReportsWhatTheRunReportsWithTheSameSummaryAndTable) {
    const RunResult run = inFolder(dir, "$P --threads 3 --summary --table - *3.dat");
    const RunResult merged = inFolder(dir, "$P --merge p2 p3 p1 --summary --table -");
    ASSERT_TRUE(run.status == 0 && merged.status == 0 && merged.err.empty()) << merged.err;
    const std::size_t timings = run.out.find("\nThe time needed");
    ASSERT_NE(timings, std::string::npos);
    EXPECT_EQ(reportResultLines(merged.out), reportResultLines(run.out.substr(0, timings)));
    const std::size_t after = run.out.find('\n', run.out.find("The time needed for calculating")) + 1;
    EXPECT_TRUE(merged.out.ends_with(run.out.substr(after))) << merged.out;
}

struct Refusal {
    const char* name;
    const char* files;
    const char* says;
};

class RefusedMerge : public SplitExample, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedMerge, NamesTheFaultAndPrintsNoReport) {
    const RunResult merged = inFolder(dir, std::string("$P --merge ") + GetParam().files);
    EXPECT_EQ(merged.status, 1);
    EXPECT_EQ(merged.out, "");
    EXPECT_NE(merged.err.find(GetParam().says), std::string::npos) << merged.err;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusedMerge,
    ::testing::Values(Refusal{"MissingPart", "p1 p3", "missing units: theta 0."},
                      Refusal{"PartTwice", "p1 p2 p3 p2", "duplicated unit"},
                      Refusal{"PartOfAnotherProblem", "p1 p2 q3", "p1 and q3 are parts of different problems"},
                      Refusal{"TruncatedPart", "p1 p2 cut3", "cut3 is incomplete"},
                      Refusal{"NoSuchFile", "p1 p2 p4", "cannot read part file p4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitRunBinary, BucketTreeModeRefusesParts) {
    const RunResult run = runWithFiles({{"d", readFile(examplePath("datafile_em.dat"))}, {"p", readFile(examplePath("pedfile_em.dat"))}},
                                       {"--parts", "2", "--part", "1", "d", "p"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("--parts needs the LOD-score mode"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace pedlik::testing
