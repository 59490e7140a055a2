#include "driver/em_report.hpp"

#include <cmath>
#include <cstdio>

namespace pedlik {

namespace {

void printFractions(const char* format, const std::vector<double>& thetas) {
    for (const double theta : thetas) std::printf(format, theta);
}

}  // namespace

void printEmIteration(int iteration, double logLikelihood, const std::vector<double>& thetas, const char* note) {
    std::printf("\nEM ITERATION %d: LN(LIKE) = %lf  THETAS =", iteration, logLikelihood);
    printFractions(" %lf", thetas);
    if (note != nullptr) std::printf("  (%s)", note);
    std::printf("\n");
}

void printMlReport(const MlReport& report) {
    if (!report.made) return;
    std::printf("\nML ESTIMATES AFTER %d ITERATIONS: THETAS =", report.iterations);
    printFractions(" %.6f", report.thetas);
    std::printf("\nLN(LIKE) AT ESTIMATES = %.6f\n", report.logLikelihood);
    std::printf("LN(LIKE) WITH ALL THETAS 0.5 = %.6f\n", report.unlinkedLogLikelihood);
    // Equal likelihoods print as 0, not as a rounded-away negative.
    const double lod = (report.logLikelihood - report.unlinkedLogLikelihood) / std::log(10.0);
    std::printf("LOD = %.6f\n", std::fabs(lod) < 5e-7 ? 0.0 : lod);
    if (!report.notInformative.empty()) {
        std::printf("NOT INFORMATIVE:");
        for (const int interval : report.notInformative) std::printf(" %d", interval);
        std::printf("\n");
    }
    if (report.startLogLikelihoods.size() == 2) {
        std::printf("LOCAL MAXIMA: LN(LIKE) = %.6f FROM THE FILE'S THETAS, %.6f FROM ALL THETAS 0.1\n",
                    report.startLogLikelihoods[0], report.startLogLikelihoods[1]);
    }
}

}  // namespace pedlik
