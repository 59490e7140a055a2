#pragma once

#include <vector>

#include "buckettree/branch_trees.hpp"
#include "buckettree/bucket_tree.hpp"
#include "product/likelihood.hpp"
#include "product/order_record.hpp"

namespace pedlik {

// One bucket tree per pedigree, in list order, from its trimmed product and
// its elimination order ("BucketProduct Array"); none (null) for a
// pedigree run branch by branch.
BucketTreeArray createBucketTrees(ProductArray& products, const std::vector<EliminationOrder>& orders,
                                  const BranchedPedigrees& branched = {});

// A bucket per live variable, positioned by the order; every table placed in
// the bucket of its variable with the highest position; every bucket but
// the roots attached to the bucket, earlier in the order, of the latest
// variable of its scope; the buckets sorted by sharing count.
std::unique_ptr<BucketTree> createBucketTree(Product& product, const EliminationOrder& order);

// Resets every bucket's otherVars (of every tree there is) to the variables of its own tables, less
// its own variables, in order of first appearance.
void createVarArrays(BucketTreeArray& trees);
void createvararr(Bucket& bucket);

}  // namespace pedlik
