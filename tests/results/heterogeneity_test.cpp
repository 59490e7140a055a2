// The admixture fit against a scan of alpha, and the textbook cases.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "results/heterogeneity.hpp"

namespace pedlik {
namespace {

struct TextbookCase {
    const char* name;
    std::vector<double> logRatios;  // ln L(theta) - ln L(1/2) per family
    double alpha;
};

class AdmixtureFit : public ::testing::TestWithParam<TextbookCase> {};

// Every family linked: the HLOD is the LOD. None: 0, at alpha 0.
TEST_P(AdmixtureFit, EndsAreTheLodAndZero) {
    const TextbookCase& c = GetParam();
    const Admixture fit = fitAdmixture(c.logRatios);
    double lod = 0.0;
    for (const double d : c.logRatios) lod += d / std::log(10.0);
    EXPECT_EQ(fit.alpha, c.alpha);
    EXPECT_NEAR(fit.hlod, c.alpha == 1.0 ? lod : 0.0, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Textbook, AdmixtureFit,
    ::testing::Values(TextbookCase{"AllLinked", {2.0, 0.7, 3.5}, 1.0}, TextbookCase{"OneWeakAmongLinked", {4.0, 5.0, -0.2}, 1.0},
                      TextbookCase{"NoneLinked", {-1.0, -0.3, -2.5}, 0.0}, TextbookCase{"NoFamilies", {}, 0.0},
                      TextbookCase{"HugeRatiosDoNotOverflow", {900.0, 1200.0}, 1.0},
                      TextbookCase{"NoInformation", {0.0, 0.0}, 0.0}),
    [](const auto& info) { return std::string(info.param.name); });

// The fit is never below a scan of alpha in steps of 1e-4, and its alpha is
// within a step of the scan's best, which brackets the concave maximum.
TEST(AdmixtureFitProperty, AtLeastTheBestOfAFineScanAndWithinAStepOfIt) {
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
        std::mt19937_64 engine(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::vector<double> logRatios(1 + engine() % 12);
        // Linked families gain, unlinked ones lose; now and then a large ratio.
        for (double& d : logRatios) d = unit(engine) < 0.4 ? 8.0 * unit(engine) : -6.0 * unit(engine) * (unit(engine) < 0.1 ? 50 : 1);
        const Admixture fit = fitAdmixture(logRatios);
        double best = -INFINITY, bestAlpha = 0.0;
        for (int step = 0; step <= 10000; ++step) {
            const double alpha = step * 1e-4;
            double sum = 0.0;
            for (const double d : logRatios) sum += std::log10(alpha * std::exp(d) + 1.0 - alpha);
            if (sum > best) best = sum, bestAlpha = alpha;
        }
        EXPECT_GE(fit.hlod, best - 1e-12) << "seed " << seed;
        EXPECT_LE(std::fabs(fit.alpha - bestAlpha), 1e-4 + 1e-12) << "seed " << seed;
        EXPECT_TRUE(fit.alpha >= 0.0 && fit.alpha <= 1.0) << "seed " << seed;
    }
}

}  // namespace
}  // namespace pedlik
