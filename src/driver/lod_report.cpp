#include "driver/lod_report.hpp"

#include <cmath>
#include <cstdio>

#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "product/elimination_settings.hpp"

namespace pedlik {

void printValueHeader(bool baseline, double theta) {
    if (baseline) {
        std::printf("\nVARIED THETA  = 0.5\n");
    } else {
        std::printf("\nVARIED THETA  = %lf\n", theta);
    }
    std::printf("---------------------------\n");
}

void printValueLines(double logLikelihood, double lodScore) {
    std::printf("LN(LIKE)    = %lf\n", logLikelihood);
    std::printf("LOG(LIKE)   = %lf\n", logLikelihood / std::log(10.0));
    std::printf("-2 LN(LIKE) = %lf\n", -2.0 * logLikelihood);
    std::printf("likelihood  = %lf\n", std::exp(logLikelihood));
    std::printf("LOD_SCORE   = %lf\n", lodScore);
}

double lodBase(double logLikelihoodAtHalf) { return logLikelihoodAtHalf / std::log(10.0); }

double lodScore(double logLikelihood, double base) { return logLikelihood / std::log(10.0) - base; }

bool likelihoodIsZero(double logLikelihood) { return !(logLikelihood > impossibleLogLikelihood); }

std::vector<double> variedFractionValues(double start) {
    std::vector<double> values;
    allocateOrDie("thetaVals", [&] {
        values.push_back(0.5);
        if (start == 0.5) return;
        ThetaPair pair;
        setTheta(pair, start);
        // The count is bounded for an increment too small to move the value.
        do {
            values.push_back(pair.theta);
            setTheta(pair, pair.theta + runParameters.thetaIncrement);
        } while (pair.theta < runParameters.thetaStop && values.size() < 1000000);
    });
    return values;
}

double eliminationsServed(const std::vector<double>& values) {
    double served = 0.0;
    for (double theta : values) served += theta == 0.5 ? 0.25 : 1.0;
    return served;
}

}  // namespace pedlik
