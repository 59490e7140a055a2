#include "driver/lod_score_mode.hpp"

#include "base/allocation.hpp"
#include "base/unit_turns.hpp"
#include "base/work_queue.hpp"
#include "driver/lod_report.hpp"
#include "driver/pedigrees_alone.hpp"
#include "driver/trimmed_products.hpp"
#include "input/process_state.hpp"
#include "product/likelihood.hpp"
#include "product/product_pool.hpp"

namespace pedlik {

namespace {

double predictedMultiplyAdds(const std::vector<EliminationOrder>& orders) {
    double multiplyAdds = 0.0;
    for (const EliminationOrder& order : orders) multiplyAdds += order.predictedMultiplyAdds;
    return multiplyAdds;
}

// Starting workers for a few milliseconds of work costs more than they
// save (on the bench's small cases one thread was as fast as two or up to a
// fifth faster). A value predicted under threadedFrom is eliminated on one
// thread; the values run side by side unless all of them together are
// predicted under it.
EliminationSettings valueSettings(const EliminationSettings& settings, const std::vector<EliminationOrder>& orders) {
    EliminationSettings chosen = settings;
    if (predictedMultiplyAdds(orders) < settings.threadedFrom) chosen.threads = 1;
    return chosen;
}

int runThreads(const EliminationSettings& settings, const std::vector<EliminationOrder>& orders, std::size_t valueCount) {
    const double multiplyAdds = predictedMultiplyAdds(orders) * static_cast<double>(valueCount);
    return multiplyAdds < settings.threadedFrom ? 1 : settings.threads;
}

// Each value side by side holds its own tables: no more of them run at
// once than the memory holds.
int valuesAtOnce(const std::vector<EliminationOrder>& orders, double memoryEntries) {
    double entries = 0.0;
    for (const EliminationOrder& order : orders) entries += order.predictedEntries;
    return unitsFitting(memoryEntries, entries);
}

// One value of the varied fraction, from its products to its result: the
// unit of work that runs side by side with the other values.
struct ValueRun {
    double theta = 0.5;
    bool built = false;  // products built and trimmed; false: likelihood 0
    ProductArray products;
    std::vector<OrderWalk> walks;
    double total = impossibleLogLikelihood;  // all pedigrees' natural log-likelihood
    std::vector<double> shares;              // each pedigree's
};

bool isZero(const ValueRun& value) { return !value.built || likelihoodIsZero(value.total); }

// Builds and trims the value's products; the constants they fold start its
// log-likelihoods.
void buildValue(ValueRun& value, PedigreeList& pedigrees, ThetaPair& varied, ProgressSink progress) {
    setTheta(varied, value.theta);
    value.built = buildTrimmedProducts(pedigrees, value.products, progress);
    if (!value.built) return;
    value.total = runParameters.logLikelihood;
    allocateOrDie("LOD curve", [&] { value.shares = runParameters.pedigreeLogLikelihoods; });
}

// Resolves the value's walks through the nodes' links, then cuts its
// products loose from the nodes, which are left ready for the next value's.
void detachValue(ValueRun& value, PedigreeList& pedigrees, const std::vector<EliminationOrder>& orders) {
    if (value.built) {
        value.walks = startEliminations(value.products, orders);
        for (const std::unique_ptr<Product>& product : value.products) detachFromNodes(*product);
    }
    resetNodeLinks(pedigrees);
}

void eliminateValue(ValueRun& value, const std::vector<EliminationOrder>& orders, const EliminationSettings& settings,
                    WorkQueue& queue, ProgressSink progress) {
    if (!value.built) return;
    const std::vector<double> results = eliminateProducts(value.products, value.walks, orders, settings, queue, progress);
    addPedigreeResults(results, value.total, value.shares);
    value.walks = {};
    value.products.clear();
}

// The value's block of the report. The baseline's log-likelihood sets the
// base of the other values' LOD scores.
void printValueBlock(const ValueRun& value, bool baseline, double& base, ProgressSink out) {
    printValueHeader(baseline, value.theta, out);
    if (isZero(value)) {
        printZeroLikelihood(out);
        return;
    }
    if (baseline) base = lodBase(value.total);
    printValueLines(value.total, baseline ? 0.0 : lodScore(value.total, base), out);
}

// Computes every value, the baseline's products already built and
// detached. The values run side by side on the threads, each building its
// products in its turn (they go through the shared nodes) and then
// eliminating them; the report comes out in value order as a single thread
// would print it, ending after the baseline when its likelihood is 0.
void runValues(std::vector<ValueRun>& values, PedigreeList& pedigrees, ThetaPair& varied,
               const std::vector<EliminationOrder>& orders, const EliminationSettings& settings, int threads,
               int atOnce) {
    WorkQueue queue(threads);
    const int count = static_cast<int>(values.size());
    OrderedProgress texts(ProgressSink{}, count);
    UnitTurns builds(1);
    double base = 0.0;
    queue.runUnits(count, atOnce, [&](int i) {
        ValueRun& value = values[static_cast<std::size_t>(i)];
        const ProgressSink out = texts.start(i);
        bool stopped = false;
        if (i > 0) {
            builds.take(i, [&] {
                stopped = texts.cutOff(i);
                if (stopped) return;
                buildValue(value, pedigrees, varied, out);
                detachValue(value, pedigrees, orders);
            });
        }
        if (stopped) return;
        eliminateValue(value, orders, settings, queue, out);
        texts.finish(i, i == 0 && isZero(value), [&values, &base, i](ProgressSink sink) {
            printValueBlock(values[static_cast<std::size_t>(i)], i == 0, base, sink);
        });
    });
}

// Each pedigree's log-likelihood at this value: the run's own shares, or
// where it stopped at a pedigree of likelihood 0, each one computed alone.
void measureValue(LodCurve& curve, const ValueRun& value, PedigreeList& pedigrees, ThetaPair& varied,
                  const std::vector<EliminationOrder>& orders, const EliminationSettings& settings) {
    const bool zero = isZero(value);
    std::vector<double> logLikelihoods;
    if (zero) {
        setTheta(varied, value.theta);
        logLikelihoods = logLikelihoodsAlone(pedigrees, orders, settings);
    }
    allocateOrDie("LOD curve", [&] {
        if (!zero) logLikelihoods = value.shares;
        curve.thetas.push_back(value.theta);
        curve.totals.push_back(value.total);
        curve.logLikelihoods.push_back(std::move(logLikelihoods));
    });
}

}  // namespace

LodCurve runLodScoreMode(PedigreeList& pedigrees, OrderLimits limits, const EliminationSettings& runSettings,
                         bool measurePedigrees) {
    ThetaPair& varied = runParameters.thetaVals[static_cast<size_t>(runParameters.variedThetaIndex - 1)];
    const std::vector<double> thetas = variedFractionValues(varied.theta);
    LodCurve curve;
    std::vector<ValueRun> values;
    allocateOrDie("LOD curve", [&] {
        if (measurePedigrees) {
            for (const Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
                curve.pedigreeIds.push_back(pedigree->pedigreeId);
            }
        }
        values.resize(thetas.size());
        for (std::size_t at = 0; at < thetas.size(); ++at) values[at].theta = thetas[at];
    });

    ValueRun& baseline = values.front();
    buildValue(baseline, pedigrees, varied, ProgressSink{});
    if (!baseline.built) {
        printZeroLikelihood();
        return curve;
    }
    limits.eliminations = eliminationsServed(thetas);
    limits.threads = runSettings.threads;
    std::vector<EliminationOrder> orders = makeEliminationOrders(baseline.products, pedigrees, runParameters.lociCount, limits);
    const EliminationSettings settings = valueSettings(runSettings, orders);
    detachValue(baseline, pedigrees, orders);
    runValues(values, pedigrees, varied, orders, settings, runThreads(runSettings, orders, values.size()),
              valuesAtOnce(orders, limits.memoryEntries));
    if (isZero(baseline)) return curve;
    if (measurePedigrees) {
        for (const ValueRun& value : values) measureValue(curve, value, pedigrees, varied, orders, settings);
    }
    releaseEliminationOrders(orders, pedigrees.count);
    return curve;
}

}  // namespace pedlik
