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

const std::vector<Mixture> mixtures = {
    {{4.0, 0.2, 3.0, 0.3, 0.2}, {1.0, 2.0, 1.0, 1.5, 2.0}},
    {{0.2, 1.0, 3.0, 0.5, 0.1}, {1.0, 0.3, 1.0, 2.0, 1.5}},
};

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

}  // namespace
}  // namespace pedlik::testing
