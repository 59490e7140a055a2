// Rescaling keeps a table's true values (entry * e^logScale) while moving its
// largest entry to 1.
#include <gtest/gtest.h>

#include <cmath>

#include "product_test_support.hpp"

namespace pedlik::testing {
namespace {

struct RescaleCase {
    std::vector<double> entries;
    double logScale;
    std::vector<double> expected;
    double expectedLogScale;
};

class Rescale : public ::testing::TestWithParam<RescaleCase> {};

TEST_P(Rescale, DividesByTheLargestEntryAndAddsItsLogarithm) {
    ProductBench bench;
    Function& f = bench.table({}, GetParam().entries, GetParam().logScale);
    rescale(f);
    EXPECT_EQ(entriesOf(f), GetParam().expected);
    EXPECT_DOUBLE_EQ(f.logScale, GetParam().expectedLogScale);
}

INSTANTIATE_TEST_SUITE_P(Tables, Rescale,
                         ::testing::Values(RescaleCase{{0.25, 0.5}, 0.0, {0.5, 1.0}, std::log(0.5)},
                                           RescaleCase{{0.0, 0.5, 0.125}, 2.0, {0.0, 1.0, 0.25}, 2.0 + std::log(0.5)},
                                           RescaleCase{{8.0, 2.0}, -1.0, {1.0, 0.25}, -1.0 + std::log(8.0)},
                                           RescaleCase{{0.0, 0.0}, 1.25, {0.0, 0.0}, 1.25}));

}  // namespace
}  // namespace pedlik::testing
