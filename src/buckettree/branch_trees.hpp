#pragma once

#include <vector>

#include "buckettree/bte_settings.hpp"
#include "buckettree/expected_values.hpp"
#include "input/records.hpp"
#include "product/order_record.hpp"
#include "product/product.hpp"

namespace pedlik {

// A pedigree whose one bucket tree would not fit the memory is run one
// conditioning branch at a time: a branch is a joint value of the variables
// its order marks for conditioning, nested ones included. Each branch holds
// a copy of the pedigree's trimmed product with those variables fixed and
// the copy trimmed (a branch that trimming finds impossible drops out), and
// a bucket tree built on it from the rest of the order.

// The pedigrees run branch by branch, by list position, and what their last
// pass gave.
struct BranchedPedigrees {
    // The conditioning order of each; no entries for a pedigree with its
    // one tree.
    std::vector<EliminationOrder> orders;
    // Their last pass's expected recombinations, combined over the branches.
    std::vector<ExpectedCounts> counts;
    // How many of each one's first-level branches may run side by side:
    // each holds its own tree, and no more of them than the memory holds.
    std::vector<int> branchesAtOnce;
    int mergeLimit = 0;  // merges per branch tree

    bool isBranched(std::size_t k) const { return !orders.empty() && !orders[k].entries.empty(); }
};

// One pass over every branch of the pedigree's product (its nodes linked to
// it) at the current fractions. The values of the first conditioned
// variable run side by side on the settings' queue, each with the branches
// below it one after the other; their results are combined in the order's
// value order, the same for any thread count. Stores the pedigree's expected recombinations, the branches'
// weighted by their likelihoods, in `branched.counts[k]` and returns its
// natural log-likelihood, the constants that fixing and trimming made in
// the branches included, not those of the product itself; the impossible
// marker when no branch is possible.
double runBranchTrees(const Pedigree& pedigree, Product& product, BranchedPedigrees& branched, std::size_t k,
                      const BteSettings& settings);

}  // namespace pedlik
