#pragma once

#include "buckettree/branch_trees.hpp"
#include "buckettree/bte_settings.hpp"
#include "buckettree/bucket_tree.hpp"
#include "input/records.hpp"
#include "product/likelihood.hpp"

namespace pedlik {

// One re-estimation step: every pedigree's tables are rebuilt with the
// current fractions, trimmed, put back into the pedigree's unchanged tree
// and run again (the k-th product and tree belong to the k-th pedigree);
// then ExpectedValues. Returns the mean relative change. `logLikelihood`
// receives the natural log-likelihood of all pedigrees at the fractions
// the step ran with, the constants of their tables included. A pedigree
// without a tree (null) is one of `branched`.
double Reestimate(PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees, int isSexLinked,
                  double& logLikelihood, const BteSettings& settings = {}, BranchedPedigrees* branched = nullptr);

// RebuildAndRun over every pedigree in list order, the beliefs left on the
// nodes: the natural log-likelihood of all pedigrees at the current
// fractions, the constants of their tables included. A pedigree without a
// tree has its tables rebuilt and its branches run (runBranchTrees).
double RebuildAndRunAll(PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees, int isSexLinked,
                        const BteSettings& settings = {}, BranchedPedigrees* branched = nullptr);

// The first pass, on the tables as built: RunBte on every tree, and the
// branches of every pedigree without one, their log-likelihoods summed into
// bteLogLikelihood.
void RunAllTrees(const PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees,
                 BranchedPedigrees* branched, const BteSettings& settings = {});

// Rebuilds one pedigree's tables inside its product at the current
// fractions and trims them; the variables `tree` (when given) eliminates
// keep their slots. Returns the log constants of the rebuilt tables.
double rebuildTables(Pedigree& pedigree, Product& product, int isSexLinked, const BucketTree* tree);

// Rebuilds one pedigree's tables inside its product and runs RunBte on its
// tree. The variables the tree eliminates keep their slots, also those
// that the last trimming released, so that the tree's records stay valid.
// Returns the log constants of the rebuilt tables: the folded one-entry
// tables and what trimming turned into constants.
double RebuildAndRun(Pedigree& pedigree, Product& product, BucketTree& tree, int isSexLinked,
                     const BteSettings& settings = {});

// Places every table not yet placed in the bucket that holds its variable
// with the highest position, walking the location records from the last
// position to the first, as the first placement did. A table that trimming
// cut down may land in a bucket whose scope lacked some of its variables;
// they join the bucket's otherVars.
void ReplaceFunctions(BucketTree& tree);

}  // namespace pedlik
