#include "driver/lod_score_mode.hpp"

#include <cstdio>

#include "base/allocation.hpp"
#include "driver/lod_report.hpp"
#include "driver/pedigrees_alone.hpp"
#include "driver/trimmed_products.hpp"
#include "input/process_state.hpp"
#include "product/likelihood.hpp"

namespace pedlik {

namespace {

// The settings of the eliminations: one thread for problems too small to
// share (on the bench's small cases one thread was as fast as two or up to
// a fifth faster).
EliminationSettings valueSettings(const EliminationSettings& settings, const std::vector<EliminationOrder>& orders) {
    double multiplyAdds = 0.0;
    for (const EliminationOrder& order : orders) multiplyAdds += order.predictedMultiplyAdds;
    EliminationSettings chosen = settings;
    if (multiplyAdds < settings.threadedFrom) chosen.threads = 1;
    return chosen;
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

LodCurve runLodScoreMode(PedigreeList& pedigrees, OrderLimits limits, const EliminationSettings& runSettings,
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
    limits.eliminations = eliminationsServed(variedFractionValues(start));
    limits.threads = runSettings.threads;
    std::vector<EliminationOrder> orders = makeEliminationOrders(products, pedigrees, runParameters.lociCount, limits);
    const EliminationSettings settings = valueSettings(runSettings, orders);
    computeLikelihoods(products, orders, pedigrees, settings);

    const double base = lodBase(runParameters.logLikelihood);
    printValueHeader(true, 0.5);
    if (likelihoodIsZero(runParameters.logLikelihood)) {
        printZeroLikelihood();
        return curve;
    }
    printValueLines(runParameters.logLikelihood, 0.0);
    if (measurePedigrees) measureValue(curve, 0.5, false, pedigrees, orders, settings);

    if (start != 0.5) {
        setTheta(varied, start);
        do {
            // A value whose products cannot be built or trimmed has
            // likelihood 0; the next value is tried all the same.
            const bool impossible = !buildTrimmedProducts(pedigrees, products);
            if (!impossible) computeLikelihoods(products, orders, pedigrees, settings);
            const bool zero = impossible || likelihoodIsZero(runParameters.logLikelihood);
            printValueHeader(false, varied.theta);
            if (zero) {
                printZeroLikelihood();
            } else {
                printValueLines(runParameters.logLikelihood, lodScore(runParameters.logLikelihood, base));
            }
            if (measurePedigrees) measureValue(curve, varied.theta, zero, pedigrees, orders, settings);
            setTheta(varied, varied.theta + runParameters.thetaIncrement);
        } while (varied.theta < runParameters.thetaStop);
    }
    releaseEliminationOrders(orders, pedigrees.count);
    return curve;
}

}  // namespace pedlik
