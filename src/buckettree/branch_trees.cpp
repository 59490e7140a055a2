#include "buckettree/branch_trees.hpp"

#include <cmath>
#include <iterator>
#include <span>
#include <string>

#include "base/allocation.hpp"
#include "buckettree/bte_run.hpp"
#include "buckettree/merging.hpp"
#include "buckettree/tree_construction.hpp"
#include "product/elimination.hpp"

namespace pedlik {

namespace {

// The branches summed as they come, in log space: the largest branch
// log-likelihood so far, every branch's likelihood relative to it, and the
// expected counts weighted alike, so that no likelihood underflows.
struct BranchSum {
    double largest = impossibleLogLikelihood;
    double total = 0.0;
    ExpectedCounts counts = noCounts();

    void add(double logLikelihood, const ExpectedCounts& branch) {
        if (logLikelihood == impossibleLogLikelihood || logLikelihood == -HUGE_VAL) return;
        if (logLikelihood > largest) {
            const double rescale = std::exp(largest - logLikelihood);
            total *= rescale;
            for (double& count : counts.recombinations) count *= rescale;
            largest = logLikelihood;
        }
        const double weight = std::exp(logLikelihood - largest);
        total += weight;
        for (std::size_t i = 0; i < counts.recombinations.size(); ++i) {
            counts.recombinations[i] += weight * branch.recombinations[i];
            if (branch.informed[i]) counts.informed[i] = true;
        }
    }
};

// What one branch's tree gave: its log-likelihood, the constants of its
// fixing and trimming included, and its expected counts.
struct LeafResult {
    double logLikelihood = impossibleLogLikelihood;
    ExpectedCounts counts;
};

using LeafResults = std::vector<LeafResult>;

struct BranchWalk {
    const Pedigree& pedigree;
    const BteSettings& settings;
    int mergeLimit;
    std::vector<std::size_t> conditioned;  // the order's entries marked for conditioning
};

// The branch's tree over what the conditioning left of the order, run; its
// result joins the leaves.
void runLeaf(const BranchWalk& walk, const EliminationOrder& order, Product& product,
             std::span<Variable* const> entryVariables, const FixedValues& fixedValues, double constants,
             LeafResults& leaves) {
    BranchSelectors branch;
    EliminationOrder rest;
    allocateOrDie("elimArr", [&] {
        branch.fixedValues = fixedValues;
        for (std::size_t e = 0; e < order.entries.size(); ++e) {
            const Variable* variable = entryVariables[e];
            if (variable != nullptr && variable->inUse) rest.entries.push_back({0, order.entries[e].node});
        }
    });
    noteLiveVariables(product, branch);
    BucketTreeArray trees;
    allocateOrDie("BucketProduct Array", [&] { trees.push_back(createBucketTree(product, rest)); });
    createVarArrays(trees);
    MergeBuckets(trees, walk.mergeLimit);
    RunBte(*trees.front(), walk.settings, &branch);
    ExpectedCounts counts = noCounts();
    AddExpectedRecombinations(walk.pedigree, counts, &branch);
    allocateOrDie("BucketProduct Array", [&] { leaves.push_back({constants + branch.logLikelihood, std::move(counts)}); });
}

// Every value of the next conditioned variable still live, each on its own
// copy of the product, fixed and trimmed, then the next level; past the
// last, the branch's tree. The leaves come in value order, depth first; the
// values of this level run `atOnce` at a time on the queue, if any.
void enumerateBranches(const BranchWalk& walk, const EliminationOrder& order, Product& product,
                       std::span<Variable* const> entryVariables, std::size_t level, const FixedValues& fixedValues,
                       double constants, LeafResults& leaves, int atOnce) {
    // Trimming in an earlier level may have left a marked variable a single value.
    while (level < walk.conditioned.size()) {
        const Variable* variable = entryVariables[walk.conditioned[level]];
        if (variable != nullptr && variable->inUse) break;
        ++level;
    }
    if (level == walk.conditioned.size()) {
        runLeaf(walk, order, product, entryVariables, fixedValues, constants, leaves);
        return;
    }
    const Variable& variable = *entryVariables[walk.conditioned[level]];
    std::vector<LeafResults> byValue;
    allocateOrDie("resArr", [&] { byValue.resize(static_cast<std::size_t>(variable.valueCount)); });
    const auto runValue = [&](int value) {
        // The branches' trimming reports would repeat for every branch.
        std::string unreported;
        FixedBranch branch = fixedBranch(product, variable, entryVariables, 0, value, ProgressSink(unreported));
        if (!branch.possible) return;
        FixedValues deeper = allocateOrDie("copyProduct data-structures", [&] { return fixedValues; });
        noteFixedValues(*branch.copy.product, deeper);
        enumerateBranches(walk, order, *branch.copy.product, branch.copy.entryVariables, level + 1, deeper,
                          constants + branch.constant, byValue[static_cast<std::size_t>(value)], 1);
    };
    if (walk.settings.queue != nullptr && atOnce > 1) {
        walk.settings.queue->runUnits(variable.valueCount, atOnce, runValue);
    } else {
        for (int value = 0; value < variable.valueCount; ++value) runValue(value);
    }
    allocateOrDie("resArr", [&] {
        for (LeafResults& results : byValue) std::move(results.begin(), results.end(), std::back_inserter(leaves));
    });
}

}  // namespace

double runBranchTrees(const Pedigree& pedigree, Product& product, BranchedPedigrees& branched, std::size_t k,
                      const BteSettings& settings) {
    const EliminationOrder& order = branched.orders[k];
    BranchWalk walk{pedigree, settings, branched.mergeLimit, {}};
    allocateOrDie("elimArr", [&] {
        for (std::size_t e = 0; e < order.entries.size(); ++e) {
            if (order.entries[e].conditioned == 1) walk.conditioned.push_back(e);
        }
    });
    const OrderWalk start = startWalk(order);
    LeafResults leaves;
    enumerateBranches(walk, order, product, start.variables, 0, {}, 0.0, leaves, branched.branchesAtOnce[k]);
    BranchSum sum;
    for (const LeafResult& leaf : leaves) sum.add(leaf.logLikelihood, leaf.counts);
    ExpectedCounts& counts = branched.counts[k];
    counts = std::move(sum.counts);
    if (sum.total == 0.0) return impossibleLogLikelihood;
    for (double& count : counts.recombinations) count /= sum.total;
    return sum.largest + std::log(sum.total);
}

}  // namespace pedlik
