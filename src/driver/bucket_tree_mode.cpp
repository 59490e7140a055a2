#include "driver/bucket_tree_mode.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/allocation.hpp"
#include "buckettree/bte_run.hpp"
#include "buckettree/expected_values.hpp"
#include "buckettree/merging.hpp"
#include "buckettree/reestimation.hpp"
#include "buckettree/tree_construction.hpp"
#include "driver/ml_estimation.hpp"
#include "driver/trimmed_products.hpp"
#include "input/process_state.hpp"
#include "ordering/elimination_order.hpp"

namespace pedlik {

namespace {

// Iteration goes on while the mean relative change of the fractions is at
// least this; a change that is not a number stops it.
constexpr double changeThreshold = 0.07;
constexpr int mergesPerTree = 85;
// The search for the trees' orders spends its share against this many
// iterations, a guess; each runs bucket-tree elimination, which on one
// order takes about this many times one likelihood by elimination.
constexpr double expectedIterations = 5.0;
constexpr double bucketTreeRunPerElimination = 3.0;
// A tree of at most this many entries (8 MiB) is built whole whatever the
// memory limit: every branch rebuilds a tree, so under a limit of a few
// kilobytes a small pedigree would branch on nearly every variable and
// take exponential time to save memory no machine lacks.
constexpr double wholeTreeEntries = 1024.0 * 1024.0;
// A tree that fits is split into branches only when they are predicted to
// cost at most this share of its multiply-adds: every pass rebuilds each
// branch's product and tree, which the prediction leaves out, and a branch
// tree's actual time per predicted multiply-add varies more. On the bench
// the splits that paid were predicted to cost a twelfth to a twentieth of
// the tree, those that did not over half.
constexpr double branchingShare = 0.25;

std::vector<double> fractions(const std::vector<ThetaPair>& pairs) {
    std::vector<double> thetas;
    for (const ThetaPair& pair : pairs) thetas.push_back(pair.theta);
    return thetas;
}

void printIteration(int iteration, double logLikelihood, const std::vector<ThetaPair>& pairs) {
    printEmIteration(iteration, logLikelihood, fractions(pairs));
}

void printEstimates(int iterations) {
    std::printf("\nEM ESTIMATES AFTER %d ITERATIONS: THETAS =", iterations);
    for (const ThetaPair& pair : runParameters.thetaVals) std::printf(" %lf", pair.theta);
    std::printf("\n");
}

}  // namespace

OrderLimits bucketTreeOrderLimits(OrderLimits limits) {
    limits.conditioning = false;
    limits.eliminations = expectedIterations * bucketTreeRunPerElimination;
    return limits;
}

OrderLimits bucketTreeBranchLimits(OrderLimits limits) {
    limits.memoryEntries = std::max(limits.memoryEntries, wholeTreeEntries);
    limits.conditioning = true;
    limits.keepsTables = true;
    limits.eliminations = expectedIterations * bucketTreeRunPerElimination;
    return limits;
}

std::vector<EliminationOrder> makeTreeOrders(ProductArray& products, const PedigreeList& pedigrees,
                                            const OrderLimits& limits,
                                            const std::vector<EliminationOrder>& branchOrders) {
    std::vector<EliminationOrder> orders;
    allocateOrDie("elimOrderArrs", [&] { orders.resize(branchOrders.size()); });
    std::size_t k = 0;
    for (const Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++k) {
        OrderLimits treeLimits = bucketTreeOrderLimits(limits);
        // A tree predicted to cost more than this runs branch by branch
        // instead, so a search for it spends no more than such a tree is worth.
        if (conditions(branchOrders[k])) treeLimits.worthAtMost = branchOrders[k].predictedMultiplyAdds / branchingShare;
        makeEliminationOrder(*products[k], orders[k], *pedigree, runParameters.lociCount, runParameters.isSexLinked,
                             treeLimits);
    }
    return orders;
}

BranchedPedigrees planBranches(const std::vector<EliminationOrder>& orders, std::vector<EliminationOrder> branchOrders,
                               const OrderLimits& limits) {
    BranchedPedigrees branched;
    branched.mergeLimit = mergesPerTree;
    allocateOrDie("elimOrderArrs", [&] {
        branched.orders.resize(orders.size());
        branched.counts.resize(orders.size());
        branched.branchesAtOnce.assign(orders.size(), 1);
    });
    for (std::size_t k = 0; k < orders.size(); ++k) {
        const bool fits = orders[k].predictedEntries <= std::max(limits.memoryEntries, wholeTreeEntries);
        // A tree cheap enough that its order was not searched for stays one
        // tree: a conditioning order could save little on it.
        if (fits && orders[k].predictedMultiplyAdds < limits.searchFrom) continue;
        // A tree that fits is split only when its branches, whose trees
        // trimming has made small, are predicted to cost much less together:
        // the tree cannot condition, and without the trimming that
        // conditioning brings about its tables can be many times larger.
        const EliminationOrder& conditioning = branchOrders[k];
        if (fits && (!conditions(conditioning) ||
                     conditioning.predictedMultiplyAdds > branchingShare * orders[k].predictedMultiplyAdds)) {
            continue;
        }
        branched.branchesAtOnce[k] =
            unitsFitting(std::max(limits.memoryEntries, wholeTreeEntries), conditioning.predictedEntries);
        branched.orders[k] = std::move(branchOrders[k]);
    }
    return branched;
}

MlReport runBucketTreeMode(PedigreeList& pedigrees, bool reportEstimates, OrderLimits limits, const BteSettings& settings,
                           const MlSettings& ml) {
    setTheta(runParameters.thetaVals[static_cast<std::size_t>(runParameters.variedThetaIndex - 1)], 0.5);
    ProductArray products;
    if (!buildTrimmedProducts(pedigrees, products)) {
        printZeroLikelihood();
        return {};
    }
    std::vector<EliminationOrder> branchOrders =
        makeEliminationOrders(products, pedigrees, runParameters.lociCount, bucketTreeBranchLimits(limits));
    const std::vector<EliminationOrder> orders = makeTreeOrders(products, pedigrees, limits, branchOrders);
    BranchedPedigrees branched = planBranches(orders, std::move(branchOrders), limits);
    // Declared after the products, so released before them: the trees hold
    // the products' tables.
    BucketTreeArray trees = createBucketTrees(products, orders, branched);
    createVarArrays(trees);
    mergeLimit = mergesPerTree;
    MergeBuckets(trees, mergeLimit);
    CountMeioses(pedigrees);

    RunAllTrees(pedigrees, products, trees, &branched, settings);
    int iterations = 1;
    double logLikelihood = runParameters.logLikelihood + bteLogLikelihood;
    if (ml.requested) {
        return estimateMaximumLikelihood({pedigrees, products, trees, branched, settings, logLikelihood}, ml,
                                         reportEstimates);
    }
    if (reportEstimates) printIteration(iterations, logLikelihood, runParameters.thetaVals);
    double change = ExpectedValues(pedigrees, nullptr, &branched.counts);
    // A likelihood that is not a number (probabilities outside 0..1 make
    // one) gives estimates that never settle: the iteration stops.
    while (change >= changeThreshold && !std::isnan(logLikelihood)) {
        const std::vector<ThetaPair> used = runParameters.thetaVals;
        change = Reestimate(pedigrees, products, trees, runParameters.isSexLinked, logLikelihood, settings, &branched);
        ++iterations;
        if (reportEstimates) printIteration(iterations, logLikelihood, used);
    }
    if (reportEstimates) printEstimates(iterations);
    return {};
}

}  // namespace pedlik
