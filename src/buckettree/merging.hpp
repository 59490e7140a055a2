#pragma once

#include "buckettree/bucket_tree.hpp"

namespace pedlik {

// Merges up to `limit` times per tree (a pedigree run branch by branch has
// none) the bucket that shares most of its
// scope with its parent (the first of `buckets`) into that parent.
void MergeBuckets(BucketTreeArray& trees, int limit);

// One merge; false, with the tree unchanged, when the leading bucket shares
// nothing with a parent (no later step could change that).
bool mergeStep(BucketTree& tree);

}  // namespace pedlik
