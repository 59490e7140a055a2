// The --ml search on a map whose maximum is known in closed form.
#include <gtest/gtest.h>

#include <cmath>

#include "buckettree/accelerated_em.hpp"

namespace pedlik::testing {
namespace {

// Each fraction t has its own five observations, each from a two-part
// mixture with densities a and b: ln L adds ln(a t + b (1 - t)), and the
// EM map averages the posterior share of the first part. Its slope read as
// the search reads it, N (next - t) / (t (1 - t)), is the derivative of ln L.
struct Mixture {
    std::vector<double> a, b;
};

// Each ln L is concave in its fraction. The first two have their maximum
// inside [0, 0.5]; the third falls from 0 and the fourth rises to 0.5.
const std::vector<Mixture> mixtures = {
    {{4.0, 0.2, 3.0, 0.3, 0.2}, {1.0, 2.0, 1.0, 1.5, 2.0}},
    {{0.2, 1.0, 3.0, 0.5, 0.1}, {1.0, 0.3, 1.0, 2.0, 1.5}},
    {{0.5, 0.2, 1.0, 0.3, 0.6}, {1.0, 1.0, 1.0, 1.0, 1.0}},
    {{3.0, 2.0, 4.0, 1.0, 2.0}, {1.0, 1.0, 1.0, 1.0, 1.0}},
};

// The map over the first `t.size()` mixtures.
EmPass mixtureMap(const std::vector<double>& t) {
    EmPass pass;
    for (std::size_t k = 0; k < t.size(); ++k) {
        double share = 0.0;
        for (std::size_t i = 0; i < mixtures[k].a.size(); ++i) {
            const double first = mixtures[k].a[i] * t[k], whole = first + mixtures[k].b[i] * (1.0 - t[k]);
            pass.logLikelihood += std::log(whole);
            share += first / whole;
        }
        pass.next.push_back(share / static_cast<double>(mixtures[k].a.size()));
    }
    return pass;
}

TEST(AcceleratedEm, ASecondStartEndsWhereItComesToTheFirstsMaximumAgain) {
    EmSearch search;
    search.meioses = 5.0;
    search.map = mixtureMap;
    const EmMaximum first = maximiseByEm({0.4, 0.45}, search);
    const EmMaximum alone = maximiseByEm({0.1, 0.1}, search);
    ASSERT_EQ(first.point.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) ASSERT_NEAR(alone.point[k], first.point[k], foundWithin / 2);

    const EmMaximum again = maximiseByEm({0.1, 0.1}, search, nullptr, &first);
    EXPECT_LT(again.passes, alone.passes);
    EXPECT_NEAR(again.logLikelihood, first.logLikelihood, search.tolerance);
    for (std::size_t k = 0; k < 2; ++k) EXPECT_NEAR(again.point[k], first.point[k], foundWithin);

    // Neither another place of the same height nor the same place at
    // another height is the maximum found: the climb goes on as alone.
    EmMaximum elsewhere = first;
    elsewhere.point[1] += 2 * foundWithin;
    EmMaximum lower = first;
    lower.logLikelihood -= 10 * search.tolerance;
    for (const EmMaximum* other : {&elsewhere, &lower}) {
        const EmMaximum climbed = maximiseByEm({0.1, 0.1}, search, nullptr, other);
        EXPECT_EQ(climbed.passes, alone.passes);
        EXPECT_EQ(climbed.point, alone.point);
    }
}

// Where a fraction's slope crosses 0, found by halving; 0 or 0.5 where it
// keeps its sign.
double fractionMaximum(std::size_t k) {
    const auto slope = [k](double t) {
        double sum = 0.0;
        for (std::size_t i = 0; i < mixtures[k].a.size(); ++i) {
            sum += (mixtures[k].a[i] - mixtures[k].b[i]) / (mixtures[k].a[i] * t + mixtures[k].b[i] * (1.0 - t));
        }
        return sum;
    };
    double low = 0.0, high = 0.5;
    if (slope(low) <= 0.0) return low;
    if (slope(high) >= 0.0) return high;
    for (int halving = 0; halving < 60; ++halving) (slope((low + high) / 2) > 0.0 ? low : high) = (low + high) / 2;
    return low;
}

TEST(AcceleratedEm, ReachesTheMaximumOnTheBoundsAsWellAsInside) {
    std::vector<double> best;
    for (std::size_t k = 0; k < mixtures.size(); ++k) best.push_back(fractionMaximum(k));
    ASSERT_EQ(best[2], 0.0);
    ASSERT_EQ(best[3], 0.5);
    const double highest = mixtureMap(best).logLikelihood;
    EmSearch search;
    search.meioses = 5.0;
    search.map = mixtureMap;
    for (const std::vector<double>& start : {std::vector<double>{0.4, 0.45, 0.3, 0.05}, std::vector<double>(4, 0.1),
                                             std::vector<double>{0.02, 0.3, 0.49, 0.3}}) {
        const EmMaximum end = maximiseByEm(start, search);
        EXPECT_GE(end.logLikelihood, highest - search.tolerance) << start[0];
        for (std::size_t k = 0; k < best.size(); ++k) EXPECT_NEAR(end.point[k], best[k], 1e-3) << start[0] << " fraction " << k;
    }
}

}  // namespace
}  // namespace pedlik::testing
