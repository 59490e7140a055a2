#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "buckettree/bte_settings.hpp"
#include "buckettree/bucket_tree.hpp"
#include "oracle/dataset.hpp"
#include "product/likelihood.hpp"
#include "product/order_record.hpp"

// Runs pedlik's two engines on oracle datasets, in-process, with their
// progress lines swallowed.
namespace pedlik::testing {

// Reads the dataset's two files into the run parameters, eliminates
// genotypes and creates the network nodes. False when genotype elimination
// stops the run: the data are inconsistent.
bool loadDataset(const oracle::Dataset& data);

// The LOD-score mode's computation at the current fractions: ln L by
// elimination, or -infinity (or below) when the likelihood is 0. Leaves the
// nodes reset.
double eliminationLogLikelihood();

// What the bucket-tree mode keeps between its stages; the trees go before
// the products they point into.
struct BucketTreeStage {
    ProductArray products;
    std::vector<EliminationOrder> orders;
    BucketTreeArray trees;
    ~BucketTreeStage();
};

// The bucket-tree mode's first stages at the current fractions: products,
// trimming, orders, trees merged at most `mergeLimit` times each, meioses
// counted. Null when building or trimming finds a likelihood of 0.
std::unique_ptr<BucketTreeStage> prepareBucketTrees(int mergeLimit);

// RunBte on every tree: ln L of all pedigrees, table constants included.
double runBucketTrees(BucketTreeStage& stage, const BteSettings& settings = {});

// The bucket-tree mode's EM iteration, `iterations` eliminations over all
// pedigrees long whatever the change (the mode stops once it falls below
// 0.07), unless the change is not a number: ln L of each elimination, at
// the fractions it used.
std::vector<double> emLogLikelihoods(BucketTreeStage& stage, int iterations);

// The datasets the oracle suites check pedlik against: the brute-force
// suite's tiny ones and the FASTLINK suite's gene-dropped ones.
enum class DatasetSize {
    Small,  // a handful of persons
    Wide,   // up to 6 persons and 3 loci: merging makes buckets of most of the network
    Large,  // families of 30 to 60 persons
};
struct NamedDataset {
    std::string name;  // generator and seed, to replay a failure
    oracle::Dataset data;
    DatasetSize size = DatasetSize::Small;
};
std::vector<NamedDataset> oracleDatasets();

// Whether the two log-likelihoods agree within a relative 1e-9 (both
// impossible counts as agreeing).
bool sameLogLikelihood(double a, double b);

}  // namespace pedlik::testing
