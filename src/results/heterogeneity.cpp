#include "results/heterogeneity.hpp"

#include <cmath>

namespace pedlik {

namespace {

// d/dalpha of ln(alpha r + 1 - alpha) = (r - 1) / (alpha r + 1 - alpha),
// written so that neither r nor 1 / r overflows. A denominator that
// underflows to 0 does so only at alpha 0 for a gain (+infinity) or at
// alpha 1 for a loss (-infinity), never both at once.
double slope(std::span<const double> logRatios, double alpha) {
    double sum = 0.0;
    for (const double d : logRatios) {
        const double numerator = d > 0.0 ? -std::expm1(-d) : std::expm1(d);
        const double denominator = d > 0.0 ? alpha + (1.0 - alpha) * std::exp(-d) : 1.0 + alpha * numerator;
        sum += denominator > 0.0 ? numerator / denominator : std::copysign(INFINITY, numerator);
    }
    return sum;
}

// Sum of ln(alpha r + 1 - alpha), exact at both ends.
double logLikelihoodRatio(std::span<const double> logRatios, double alpha) {
    double sum = 0.0;
    for (const double d : logRatios) {
        if (alpha == 0.0) continue;
        if (alpha == 1.0) {
            sum += d;
        } else if (d > 0.0) {
            sum += d + std::log(alpha + (1.0 - alpha) * std::exp(-d));
        } else {
            sum += std::log1p(alpha * std::expm1(d));
        }
    }
    return sum;
}

}  // namespace

Admixture fitAdmixture(std::span<const double> logRatios) {
    double alpha = 0.0;
    if (slope(logRatios, 0.0) <= 0.0) {
        alpha = 0.0;
    } else if (slope(logRatios, 1.0) >= 0.0) {
        alpha = 1.0;
    } else {
        double low = 0.0, high = 1.0;
        while (high - low > 1e-12) {
            const double middle = 0.5 * (low + high);
            (slope(logRatios, middle) > 0.0 ? low : high) = middle;
        }
        alpha = 0.5 * (low + high);
    }
    return {logLikelihoodRatio(logRatios, alpha) / std::log(10.0), alpha};
}

}  // namespace pedlik
