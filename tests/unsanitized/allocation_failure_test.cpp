// A failed allocation ends the run with the two-line report naming what was being allocated. Plain build only: a
// sanitizer runtime would reserve address space and intercept the allocation.
#include <gtest/gtest.h>

#include "support/run_binary.hpp"

namespace pedlik::testing {
namespace {

TEST(AllocationFailure, HugeAlleleCountReportsGeneFrequencies) {
    ScratchDir dir;
    dir.write("pedfile.dat", "1 1 0 0 0 0 0 1 0  1 1\n");
    // 2e9 frequencies need 16 GB; the address space is limited to 512 MB.
    dir.write("datafile.dat", "1 0 0 6 << one locus\n0 0.0 0.0 0\n1\n3 2000000000 << numbered alleles\n0.5 0.5\n0 0\n\n");
    const RunResult run = runIn(dir.path(), {"datafile.dat", "pedfile.dat"}, "", "ulimit -v 524288;");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nProblem with malloc, probably not enough space.\nProblem occurred when allocating Gene Frequencies.\n");
}

}  // namespace
}  // namespace pedlik::testing
