#pragma once

#include "buckettree/bte_settings.hpp"
#include "buckettree/branch_selectors.hpp"
#include "buckettree/bucket_tree.hpp"

namespace pedlik {

// Bucket-tree elimination over one pedigree's tree: lambda messages from
// the leaves to the roots, pi messages back, then the selector beliefs that
// re-estimation reads are stored on the network's nodes, and the pedigree's
// natural log-likelihood is added to bteLogLikelihood.
//
// Beliefs stored, for every selector whose variable the tree eliminates:
// its pair belief, over it and the next locus's selector of the same parent
// when that one has a variable too, formed in the bucket that holds the
// table linking the two; else, when a next locus's selector exists, its
// single belief; and its first belief when the previous locus's selector has
// no variable.
// With `branch`, the tree is a conditioning branch's: the selectors'
// variables are looked up there, and the beliefs and the log-likelihood go
// there instead.
void RunBte(BucketTree& tree, const BteSettings& settings = {}, BranchSelectors* branch = nullptr);

// The belief over `variable` alone, formed in the bucket.
OwnedFunction SelectorBelief(const Bucket& bucket, Variable* variable, const BteSettings& settings = {});

// Adds to bteLogLikelihood (with `branch`, to the branch's), for every
// root, the log of the total of a belief formed in its part of the tree:
// the probability of the observations there.
void AddLogLikelihood(const BucketTree& tree, const BteSettings& settings = {}, BranchSelectors* branch = nullptr);

// Empties every bucket's function list before the next run: messages are
// released, placed product tables only unlinked.
void ClearFunctionLists(BucketTree& tree);

}  // namespace pedlik
