#pragma once

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
// the step ran with, the constants of their tables included.
double Reestimate(PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees, int isSexLinked,
                  double& logLikelihood, const BteSettings& settings = {});

// RebuildAndRun over every pedigree in list order, the beliefs left on the
// nodes: the natural log-likelihood of all pedigrees at the current
// fractions, the constants of their tables included.
double RebuildAndRunAll(PedigreeList& pedigrees, ProductArray& products, BucketTreeArray& trees, int isSexLinked,
                        const BteSettings& settings = {});

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
