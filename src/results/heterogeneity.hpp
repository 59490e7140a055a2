#pragma once

#include <span>

namespace pedlik {

// The admixture model at one value of the varied fraction: a proportion
// alpha of the families is linked there, the rest unlinked.
struct Admixture {
    double hlod = 0.0;   // max over alpha in [0, 1] of the sum over families of log10(alpha r + 1 - alpha)
    double alpha = 0.0;  // where it is reached (0 when every alpha gives 0)
};

// The best alpha and its HLOD, from each family's ln r = ln L(theta) - ln L(1/2).
// Exact to rounding: the sum is concave in alpha, so its slope has at most
// one root, which bisection finds to 1e-12.
Admixture fitAdmixture(std::span<const double> logRatios);

}  // namespace pedlik
