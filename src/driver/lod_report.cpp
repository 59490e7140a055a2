#include "driver/lod_report.hpp"

#include <cmath>

#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "product/elimination_settings.hpp"

namespace pedlik {

void printValueHeader(bool baseline, double theta, ProgressSink out) {
    if (baseline) {
        out.print("\nVARIED THETA  = 0.5\n");
    } else {
        out.print("\nVARIED THETA  = %lf\n", theta);
    }
    out.print("---------------------------\n");
}

void printValueLines(double logLikelihood, double lodScore, ProgressSink out) {
    out.print("LN(LIKE)    = %lf\n", logLikelihood);
    out.print("LOG(LIKE)   = %lf\n", logLikelihood / std::log(10.0));
    out.print("-2 LN(LIKE) = %lf\n", -2.0 * logLikelihood);
    out.print("likelihood  = %lf\n", std::exp(logLikelihood));
    out.print("LOD_SCORE   = %lf\n", lodScore);
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
