#include "driver/part_run.hpp"

#include <ctime>

#include "base/allocation.hpp"
#include "driver/lod_report.hpp"
#include "driver/pedigrees_alone.hpp"
#include "driver/trimmed_products.hpp"
#include "driver/unit_dealing.hpp"
#include "input/process_state.hpp"
#include "product/elimination.hpp"
#include "product/trimming.hpp"

namespace pedlik {

namespace {

struct PartWork {
    PartRecord& record;
    int part;  // from 0
    const UnitDealing& dealing;
    const std::vector<EliminationOrder>& orders;
    const EliminationSettings& settings;
    WorkQueue& queue;
};

void recordValue(PartRecord& record, double theta, bool built) {
    allocateOrDie("part record", [&] {
        record.values.push_back({theta, built, built ? runParameters.logLikelihood : 0.0,
                                 built ? runParameters.pedigreeLogLikelihoods : std::vector<double>{}});
    });
}

double secondsSince(std::clock_t started) { return static_cast<double>(std::clock() - started) / CLOCKS_PER_SEC; }

void recordUnit(PartRecord& record, PartUnit unit, std::clock_t started) {
    unit.seconds = secondsSince(started);
    allocateOrDie("part record", [&] { record.units.push_back(unit); });
}

// The branch count each pedigree's first marked entry would give, read from
// the products as built and trimmed at 0.5; 1 for an order that marks none.
std::vector<int> predictedBranches(const std::vector<EliminationOrder>& orders) {
    std::vector<int> branches;
    for (const EliminationOrder& order : orders) {
        int count = 1;
        for (const OrderEntry& entry : order.entries) {
            if (entry.conditioned != 1) continue;
            if (entry.node->variable != nullptr) count = entry.node->variable->valueCount;
            break;
        }
        allocateOrDie("unit dealing", [&] { branches.push_back(count); });
    }
    return branches;
}

// The part's units of a pedigree at a value whose products are built.
void computePedigreeUnits(PartWork& work, Product& product, int value, int pedigree) {
    const EliminationOrder& order = work.orders[static_cast<std::size_t>(pedigree)];
    OrderWalk walk = startElimination(product, order);
    const EliminationRun run{work.settings, work.queue,
                             order.concurrentBranches > 0 ? order.concurrentBranches : work.queue.threadCount()};
    const ProgressSink out;
    std::clock_t started = std::clock();
    const Variable* conditioned = nullptr;
    const double before = eliminateUntilConditioned(product, walk, run, out, conditioned);
    const int branches = conditioned == nullptr ? 0 : conditioned->valueCount;
    allocateOrDie("part record", [&] {
        work.record.groups.push_back({value, pedigree, before, branches, secondsSince(started)});
    });
    if (conditioned == nullptr) {
        if (work.dealing.owner(value, pedigree, -1) == work.part) recordUnit(work.record, {value, pedigree, -1, before}, started);
        return;
    }
    markWhollySupported(product, *conditioned);
    const float share = 1.0f / static_cast<float>(branches);
    for (int branch = 0; branch < branches; ++branch) {
        if (work.dealing.owner(value, pedigree, branch) != work.part) continue;
        started = std::clock();
        const double result = solveBranch(product, *conditioned, walk, branch, share,
                                          share * static_cast<float>(branch), run, out);
        recordUnit(work.record, {value, pedigree, branch, result}, started);
    }
}

// A value whose products cannot all be built or trimmed: each pedigree the
// part owns is computed alone, as a run measures it for the results.
void computeUnitsAlone(PartWork& work, PedigreeList& pedigrees, int value) {
    bool owns = false;
    for (int pedigree = 0; pedigree < pedigrees.count; ++pedigree) owns = owns || work.dealing.owner(value, pedigree, -1) == work.part;
    if (!owns) return;
    const std::clock_t started = std::clock();
    const std::vector<double> alone = logLikelihoodsAlone(pedigrees, work.orders, work.settings);
    for (int pedigree = 0; pedigree < pedigrees.count; ++pedigree) {
        if (work.dealing.owner(value, pedigree, -1) != work.part) continue;
        recordUnit(work.record, {value, pedigree, -1, alone[static_cast<std::size_t>(pedigree)]}, started);
    }
}

}  // namespace

PartRecord runPart(PedigreeList& pedigrees, int parts, int part, OrderLimits limits, const EliminationSettings& settings) {
    ThetaPair& varied = runParameters.thetaVals[static_cast<size_t>(runParameters.variedThetaIndex - 1)];
    const std::vector<double> thetas = variedFractionValues(varied.theta);
    PartRecord record;
    record.parts = parts;
    record.part = part;
    allocateOrDie("part record", [&] {
        for (const Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
            record.pedigreeIds.push_back(pedigree->pedigreeId);
        }
    });
    const std::clock_t started = std::clock();
    setTheta(varied, 0.5);
    ProductArray products;
    bool built = buildTrimmedProducts(pedigrees, products);
    recordValue(record, 0.5, built);
    // A run whose likelihood at 0.5 is 0 stops there.
    if (!built) return record;
    limits.eliminations = eliminationsServed(thetas);
    limits.threads = settings.threads;
    std::vector<EliminationOrder> orders = makeEliminationOrders(products, pedigrees, runParameters.lociCount, limits);
    record.setupSeconds = secondsSince(started);
    std::vector<double> costs;
    allocateOrDie("unit dealing", [&] {
        for (const EliminationOrder& order : orders) costs.push_back(order.predictedMultiplyAdds);
    });
    const UnitDealing dealing(parts, static_cast<int>(thetas.size()), costs, predictedBranches(orders));
    WorkQueue queue(settings.threads);
    PartWork work{record, part - 1, dealing, orders, settings, queue};
    for (int value = 0; value < static_cast<int>(thetas.size()); ++value) {
        if (value > 0) {
            setTheta(varied, thetas[static_cast<std::size_t>(value)]);
            built = buildTrimmedProducts(pedigrees, products);
            recordValue(record, varied.theta, built);
        }
        if (!built) {
            computeUnitsAlone(work, pedigrees, value);
            continue;
        }
        for (int pedigree = 0; pedigree < pedigrees.count; ++pedigree) {
            if (!dealing.ownsAny(work.part, value, pedigree)) continue;
            computePedigreeUnits(work, *products[static_cast<std::size_t>(pedigree)], value, pedigree);
        }
        resetNodeLinks(pedigrees);
        products.clear();
    }
    releaseEliminationOrders(orders, pedigrees.count);
    return record;
}

}  // namespace pedlik
