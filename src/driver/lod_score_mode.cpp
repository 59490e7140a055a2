#include "driver/lod_score_mode.hpp"

#include <cmath>
#include <cstdio>

#include "base/allocation.hpp"
#include "driver/pedigrees_alone.hpp"
#include "driver/trimmed_products.hpp"
#include "input/process_state.hpp"
#include "product/likelihood.hpp"

namespace pedlik {

namespace {

bool likelihoodIsZero() { return !(runParameters.logLikelihood > impossibleLogLikelihood); }

void printBlock(double lodScore) {
    const double logLikelihood = runParameters.logLikelihood;
    std::printf("LN(LIKE)    = %lf\n", logLikelihood);
    std::printf("LOG(LIKE)   = %lf\n", logLikelihood / std::log(10.0));
    std::printf("-2 LN(LIKE) = %lf\n", -2.0 * logLikelihood);
    std::printf("likelihood  = %lf\n", std::exp(logLikelihood));
    std::printf("LOD_SCORE   = %lf\n", lodScore);
}

// How many blocks the run prints: 0.5, then the file's value upward by the
// increment while below the stop value, stepped as the run steps it.
int valuesOfVariedFraction(double start) {
    if (start == 0.5) return 1;
    int count = 1;
    double theta = start;
    do {
        ++count;
        theta += runParameters.thetaIncrement;
    } while (theta < runParameters.thetaStop && count < 1000000);
    return count;
}

// Each pedigree's log-likelihood at this value: the run's own shares, or
// where it stopped at a pedigree of likelihood 0, each one computed alone.
void measureValue(LodCurve& curve, double theta, bool zero, PedigreeList& pedigrees,
                  const std::vector<EliminationOrder>& orders, const EliminationSettings& settings) {
    std::vector<double> values;
    if (zero) values = logLikelihoodsAlone(pedigrees, orders, settings);
    allocateOrDie("LOD curve", [&] {
        if (!zero) values = runParameters.pedigreeLogLikelihoods;
        curve.thetas.push_back(theta);
        curve.totals.push_back(runParameters.logLikelihood);
        curve.logLikelihoods.push_back(std::move(values));
    });
}

}  // namespace

LodCurve runLodScoreMode(PedigreeList& pedigrees, OrderLimits limits, const EliminationSettings& settings,
                         bool measurePedigrees) {
    ThetaPair& varied = runParameters.thetaVals[static_cast<size_t>(runParameters.variedThetaIndex - 1)];
    const double start = varied.theta;
    setTheta(varied, 0.5);
    LodCurve curve;
    if (measurePedigrees) {
        allocateOrDie("LOD curve", [&] {
            for (const Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
                curve.pedigreeIds.push_back(pedigree->pedigreeId);
            }
        });
    }

    ProductArray products;
    if (!buildTrimmedProducts(pedigrees, products)) {
        printZeroLikelihood();
        return curve;
    }
    limits.eliminations = static_cast<double>(valuesOfVariedFraction(start));
    limits.threads = settings.threads;
    std::vector<EliminationOrder> orders = makeEliminationOrders(products, pedigrees, runParameters.lociCount, limits);
    computeLikelihoods(products, orders, pedigrees, settings);

    const double ln10 = std::log(10.0);
    const double base = runParameters.logLikelihood / ln10;
    std::printf("\nVARIED THETA  = 0.5\n");
    std::printf("---------------------------\n");
    if (likelihoodIsZero()) {
        printZeroLikelihood();
        return curve;
    }
    printBlock(0.0);
    if (measurePedigrees) measureValue(curve, 0.5, false, pedigrees, orders, settings);

    if (start != 0.5) {
        setTheta(varied, start);
        do {
            // A value whose products cannot be built or trimmed has
            // likelihood 0; the next value is tried all the same.
            const bool impossible = !buildTrimmedProducts(pedigrees, products);
            if (!impossible) computeLikelihoods(products, orders, pedigrees, settings);
            std::printf("\nVARIED THETA  = %lf\n", varied.theta);
            std::printf("---------------------------\n");
            if (impossible || likelihoodIsZero()) {
                printZeroLikelihood();
            } else {
                printBlock(runParameters.logLikelihood / ln10 - base);
            }
            if (measurePedigrees) {
                measureValue(curve, varied.theta, impossible || likelihoodIsZero(), pedigrees, orders, settings);
            }
            setTheta(varied, varied.theta + runParameters.thetaIncrement);
        } while (varied.theta < runParameters.thetaStop);
    }
    releaseEliminationOrders(orders, pedigrees.count);
    return curve;
}

}  // namespace pedlik
