// The quasi-Newton pieces of --ml on hand-checked 2 x 2 cases.
#include <gtest/gtest.h>

#include <cmath>

#include "buckettree/curvature.hpp"

namespace pedlik::testing {
namespace {

TEST(Curvature, FirstDirectionIsTheEmStepAndUpdatesMeetTheSecantCondition) {
    Curvature curvature;
    curvature.reset({0.1, 0.4});
    // Slope g = (next - t) / (t (1 - t)): the first direction is next - t.
    EXPECT_NEAR(curvature.direction({2.0, -1.0}, {false, false})[0], 0.18, 1e-15);
    EXPECT_NEAR(curvature.direction({2.0, -1.0}, {false, false})[1], -0.24, 1e-15);
    EXPECT_EQ(curvature.direction({2.0, -1.0}, {true, false})[0], 0.0);
    // After a step s whose slope fell by y, H y = s.
    const std::vector<double> s{0.05, -0.02}, y{0.7, 0.1};
    curvature.update(s, y);
    const std::vector<double> hy = curvature.direction(y, {false, false});
    EXPECT_NEAR(hy[0], s[0], 1e-12);
    EXPECT_NEAR(hy[1], s[1], 1e-12);
    // A step along which the slope rose teaches nothing.
    curvature.update({0.05, 0.0}, {-1.0, 0.0});
    EXPECT_NEAR(curvature.direction(y, {false, false})[0], s[0], 1e-12);
}

TEST(Curvature, LargestEigenvalueAndItsVector) {
    const auto [rising, along] = largestEigenvalue({-1.0, 2.0, 2.0, -1.0}, 2);  // eigenvalues 1 and -3
    EXPECT_NEAR(rising, 1.0, 1e-9);
    EXPECT_NEAR(std::fabs(along[0] + along[1]), std::sqrt(2.0), 1e-6);
    EXPECT_NEAR(largestEigenvalue({-2.0, 0.5, 0.5, -3.0}, 2).first, -2.5 + std::sqrt(0.5), 1e-9);
}

}  // namespace
}  // namespace pedlik::testing
