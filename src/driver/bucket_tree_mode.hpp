#pragma once

#include "buckettree/branch_trees.hpp"
#include "buckettree/bte_settings.hpp"
#include "driver/em_report.hpp"
#include "input/records.hpp"
#include "ordering/elimination_order.hpp"
#include "product/likelihood.hpp"

namespace pedlik {

// Program code 4: with the varied fraction at 0.5 and the others as read,
// builds and trims every pedigree's product, organises it into a bucket
// tree (one per conditioning branch when one would not fit the memory or
// the branches cost much less), runs bucket-tree elimination and
// re-estimates every recombination fraction by expectation-maximisation
// while the mean relative change is 0.07 or more; the estimates stay in
// thetaVals. Its output is the stage reports; with `reportEstimates` also,
// after each elimination over all pedigrees, the iteration's
// log-likelihood and fractions, and at the end the estimates.
// The orders are made within `limits` as bucketTreeOrderLimits adapts them;
// the eliminations run with `settings`. With `ml` requested, EM runs to the
// maximum of the likelihood instead (estimateMaximumLikelihood), whose
// report is returned for the caller to print; otherwise it is not made.
MlReport runBucketTreeMode(PedigreeList& pedigrees, bool reportEstimates, OrderLimits limits = {},
                           const BteSettings& settings = {}, const MlSettings& ml = {});

// The limits of a bucket tree's order: no conditioning, the memory bounding
// every table the tree keeps, and a search paid for by the likely number of
// EM iterations.
OrderLimits bucketTreeOrderLimits(OrderLimits limits);

// The limits of the order of a pedigree run branch by branch: it
// conditions, and the memory bounds every table the tree of one
// conditioning branch keeps.
OrderLimits bucketTreeBranchLimits(OrderLimits limits);

// Every pedigree's tree order, made within bucketTreeOrderLimits; where
// its conditioning order in `branchOrders` (made within
// bucketTreeBranchLimits) conditions, the search for the tree spends its
// share of at most what planBranches would still prefer to the branches.
std::vector<EliminationOrder> makeTreeOrders(ProductArray& products, const PedigreeList& pedigrees,
                                            const OrderLimits& limits,
                                            const std::vector<EliminationOrder>& branchOrders);

// The pedigrees whose tree in `orders` would need more than
// limits.memoryEntries, or, among those whose order was predicted to cost
// limits.searchFrom multiply-adds or more, those for which their order in
// `branchOrders` conditions and is predicted to cost at most a quarter of
// the multiply-adds over all its branches: each with that order, their
// trees to be made branch by branch.
BranchedPedigrees planBranches(const std::vector<EliminationOrder>& orders, std::vector<EliminationOrder> branchOrders,
                               const OrderLimits& limits);

}  // namespace pedlik
