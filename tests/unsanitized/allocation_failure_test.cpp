// A failed allocation ends the run with the report naming what was allocated (no sanitizer here to intercept it).
#include <gtest/gtest.h>

#include "support/run_binary.hpp"

namespace pedlik::testing {
namespace {

TEST(AllocationFailure, HugeAlleleCountReportsGeneFrequencies) {
    // 2e9 frequencies need 16 GB; the address space is limited to 512 MB.
    const RunResult run = runWithFiles(
        {{"d.dat", "1 0 0 6 << one locus\n0 0.0 0.0 0\n1\n3 2000000000 << numbered alleles\n0.5 0.5\n0 0\n\n"},
         {"p.dat", "1 1 0 0 0 0 0 1 0  1 1\n"}},
        {"d.dat", "p.dat"}, "", "ulimit -v 524288;");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nProblem with malloc, probably not enough space.\n"
                       "Problem occurred when allocating Gene Frequencies.\n");
}

}  // namespace
}  // namespace pedlik::testing
