#include <gtest/gtest.h>

#include <cmath>

#include "support/network_loading.hpp"
#include "support/product_total.hpp"

namespace pedlik::testing {
namespace {

// One marker, alleles 1..4 with frequencies 0.1 .. 0.4.
const std::string fourAlleleMarker =
    "1 0 0 6\n0 0.0 0.0 0\n1\n3 4\n0.1 0.2 0.3 0.4\n0 0\n\n";

std::string reportLines(int eliminated, int constant, int variables) {
    return "\n\nEliminated " + std::to_string(eliminated) + " nodes.\n" + std::to_string(constant) +
           " nodes are constant.\nNumber of nodes " + std::to_string(variables) + ".\n";
}

TEST(Assembly, UntypedTrioKeepsOnlyTheSelectorPriors) {
    loadNetwork(fourAlleleMarker,
                "1 1 0 0 3 0 0 1 0  0 0\n"
                "1 2 0 0 3 0 0 2 0  0 0\n"
                "1 3 1 2 0 0 0 1 0  0 0\n");
    const AssembledProduct assembled = assembleFirstPedigree();
    EXPECT_EQ(assembled.report, reportLines(6, 0, 2));
    EXPECT_EQ(assembled.product->functionCount, 2);
    EXPECT_DOUBLE_EQ(logProductTotal(*assembled.product) + assembled.logConstant, 0.0);
}

TEST(Assembly, TypedHomozygousFounderFoldsItsGenotypeFrequency) {
    loadNetwork(fourAlleleMarker,
                "1 1 0 0 3 0 0 1 0  3 3\n"
                "1 2 0 0 3 0 0 2 0  0 0\n"
                "1 3 1 2 0 0 0 1 0  0 0\n");
    const AssembledProduct assembled = assembleFirstPedigree();
    // Constant: the father's pl_0 and ml_0, and the child's pl, which can
    // only be allele 3. Barren: the child's ml and so the mother's pair.
    EXPECT_EQ(assembled.report, reportLines(3, 3, 2));
    EXPECT_NEAR(assembled.logConstant, std::log(0.3 * 0.3), 1e-12);
    EXPECT_NEAR(logProductTotal(*assembled.product) + assembled.logConstant, std::log(0.09), 1e-12);
}

}  // namespace
}  // namespace pedlik::testing
