#pragma once

#include "buckettree/bte_settings.hpp"
#include "buckettree/branch_trees.hpp"
#include "buckettree/bucket_tree.hpp"
#include "driver/em_report.hpp"
#include "input/records.hpp"
#include "product/likelihood.hpp"

namespace pedlik {

// The bucket-tree mode's trees, ready for EM passes: bucket-tree
// elimination has just run on every tree at the current fractions, whose
// ln L is `logLikelihood`, and the beliefs wait for ExpectedValues.
struct EmProblem {
    PedigreeList& pedigrees;
    ProductArray& products;
    BucketTreeArray& trees;
    BranchedPedigrees& branched;  // the pedigrees without a tree
    const BteSettings& settings;
    double logLikelihood;
};

// Maximum-likelihood estimates of every fraction within [0, 0.5] by
// accelerated EM from two starts, the current fractions and 0.1
// everywhere, the better end point kept; then one pass with every fraction
// at 0.5. A fraction that no meiosis informed in any pass keeps its start.
// With `reportEstimates` every pass prints its iteration line. thetaVals
// holds the estimates on return.
MlReport estimateMaximumLikelihood(const EmProblem& problem, const MlSettings& ml, bool reportEstimates);

}  // namespace pedlik
