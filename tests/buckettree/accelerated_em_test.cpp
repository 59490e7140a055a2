// The --ml search on a map whose maximum is known in closed form.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>

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

// Where ln L is a parabola, the step after the first that shows its
// curvature is Newton's, and lands on the maximum; stretched further, steps
// overshoot it again and again.
TEST(AcceleratedEm, OnAParabolaTheStepAfterTheEmStepLandsOnTheMaximum) {
    constexpr double top = 0.2, bending = 40.0, meioses = 10.0;
    EmSearch search;
    search.meioses = meioses;
    search.map = [](const std::vector<double>& t) {
        const double slope = -bending * (t[0] - top);
        return EmPass{-0.5 * bending * (t[0] - top) * (t[0] - top), {t[0] + t[0] * (1.0 - t[0]) * slope / meioses}};
    };
    std::vector<double> kept;
    search.observe = [&kept](const std::vector<double>& at, double, PassVerdict verdict) {
        if (verdict == PassVerdict::Kept) kept.push_back(at[0]);
    };
    const EmMaximum found = maximiseByEm({0.1}, search);
    ASSERT_GE(kept.size(), 3u);
    EXPECT_NEAR(kept[2], top, 1e-9);
    EXPECT_NEAR(found.point[0], top, 1e-9);
}

// Eight observations, each from four parts, one per pair of recombination
// states in two intervals, with densities drawn at random (a third of them
// nearly 0): ln L of the two fractions is no longer a sum over them.
struct Pairs {
    std::vector<std::array<double, 4>> densities;  // per observation: neither, second, first, both recombine
};

Pairs drawnPairs(std::uint64_t seed) {
    std::mt19937_64 random(seed);
    const auto uniform = [&random] { return static_cast<double>(random() >> 11) * 0x1.0p-53; };
    Pairs pairs;
    pairs.densities.resize(8);
    for (std::array<double, 4>& observation : pairs.densities) {
        for (double& density : observation) density = uniform() < 0.3 ? 0.02 * uniform() : uniform();
    }
    return pairs;
}

EmPass pairsMap(const Pairs& pairs, const std::vector<double>& t) {
    EmPass pass;
    double first = 0.0, second = 0.0;
    for (const std::array<double, 4>& c : pairs.densities) {
        std::array<double, 4> w{};
        double whole = 0.0;
        for (int k = 0; k < 4; ++k) {
            w[k] = c[k] * (k & 2 ? t[0] : 1.0 - t[0]) * (k & 1 ? t[1] : 1.0 - t[1]);
            whole += w[k];
        }
        pass.logLikelihood += std::log(whole);
        first += (w[2] + w[3]) / whole;
        second += (w[1] + w[3]) / whole;
    }
    const auto n = static_cast<double>(pairs.densities.size());
    pass.next = {first / n, second / n};
    return pass;
}

// Three draws whose maximum lies on the upper bound for one fraction and
// inside for the other, where the climb from 0.1 ends with both a little
// short of it: putting both on the bound lowers ln L, the near one alone
// does not. The end is no lower than the best point of a fine grid.
TEST(AcceleratedEm, AClimbEndingShortOfTheUpperBoundIsPutOnItWhereThatGains) {
    for (const std::uint64_t seed : {3, 43, 273}) {
        const Pairs pairs = drawnPairs(seed);
        const auto map = [&pairs](const std::vector<double>& t) { return pairsMap(pairs, t); };
        double grid = -INFINITY;
        for (int a = 0; a <= 200; ++a) {
            for (int b = 0; b <= 200; ++b) grid = std::max(grid, map({a * 0.0025, b * 0.0025}).logLikelihood);
        }
        EmSearch search;
        search.meioses = 8.0;
        search.map = map;
        EXPECT_GE(maximiseByEm({0.1, 0.1}, search).logLikelihood, grid - search.tolerance) << "seed " << seed;
    }
}

}  // namespace
}  // namespace pedlik::testing
