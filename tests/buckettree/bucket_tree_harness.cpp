#include "buckettree/bucket_tree_harness.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "buckettree/bte_run.hpp"
#include "buckettree/expected_values.hpp"
#include "buckettree/merging.hpp"
#include "buckettree/reestimation.hpp"
#include "buckettree/tree_construction.hpp"
#include "input/process_state.hpp"
#include "oracle/file_writers.hpp"
#include "oracle/random_datasets.hpp"
#include "product/elimination_order.hpp"
#include "product/trimming.hpp"
#include "support/network_loading.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {

namespace {

// Runs `step` with standard output captured and dropped.
template <typename Step>
auto quietly(Step&& step) {
    ::testing::internal::CaptureStdout();
    struct Release {
        ~Release() {
            std::fflush(stdout);
            ::testing::internal::GetCapturedStdout();
        }
    } release;
    return step();
}

}  // namespace

bool loadDataset(const oracle::Dataset& data) {
    loadProblem(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data));
    return !prepareNetwork().stopped;
}

double eliminationLogLikelihood() {
    return quietly([] {
        PedigreeList& pedigrees = runParameters.pedigrees;
        resetNodeLinks(pedigrees);
        int failed = 0;
        ProductArray products = buildProducts(failed, pedigrees);
        if (failed == 1) return -HUGE_VAL;
        runParameters.logLikelihood += trimProducts(products, pedigrees, failed);
        if (failed == 1) {
            products.clear();
            resetNodeLinks(pedigrees);
            return -HUGE_VAL;
        }
        std::vector<EliminationOrder> orders = makeEliminationOrders(products, pedigrees, runParameters.lociCount);
        computeLikelihoods(products, orders, pedigrees);
        return runParameters.logLikelihood;
    });
}

BucketTreeStage::~BucketTreeStage() {
    trees.clear();
    products.clear();
    resetNodeLinks(runParameters.pedigrees);
}

std::unique_ptr<BucketTreeStage> prepareBucketTrees(int limit) {
    return quietly([limit] {
        PedigreeList& pedigrees = runParameters.pedigrees;
        resetNodeLinks(pedigrees);
        auto stage = std::make_unique<BucketTreeStage>();
        int failed = 0;
        stage->products = buildProducts(failed, pedigrees);
        if (failed == 1) return std::unique_ptr<BucketTreeStage>();
        runParameters.logLikelihood += trimProducts(stage->products, pedigrees, failed);
        if (failed == 1) return std::unique_ptr<BucketTreeStage>();
        stage->orders = makeEliminationOrders(stage->products, pedigrees, runParameters.lociCount);
        stage->trees = createBucketTrees(stage->products, stage->orders);
        createVarArrays(stage->trees);
        MergeBuckets(stage->trees, limit);
        CountMeioses(pedigrees);
        return stage;
    });
}

double runBucketTrees(BucketTreeStage& stage, const BteSettings& settings) {
    return quietly([&] {
        bteLogLikelihood = 0.0;
        for (std::unique_ptr<BucketTree>& tree : stage.trees) RunBte(*tree, settings);
        return runParameters.logLikelihood + bteLogLikelihood;
    });
}

std::vector<double> emLogLikelihoods(BucketTreeStage& stage, int iterations) {
    std::vector<double> logLikelihoods{runBucketTrees(stage)};
    quietly([&] {
        double change = ExpectedValues(runParameters.pedigrees);
        while (!std::isnan(change) && static_cast<int>(logLikelihoods.size()) < iterations) {
            double logLikelihood = 0.0;
            change = Reestimate(runParameters.pedigrees, stage.products, stage.trees, runParameters.isSexLinked,
                                logLikelihood);
            logLikelihoods.push_back(logLikelihood);
        }
        return 0;
    });
    return logLikelihoods;
}

std::vector<NamedDataset> oracleDatasets() {
    std::vector<NamedDataset> datasets;
    const auto add = [&](const std::string& name, oracle::Dataset data, DatasetSize size) {
        datasets.push_back({name, std::move(data), size});
    };
    // The brute-force suite's configurations: small persons and loci counts,
    // gene-dropped or drawn at random.
    struct Tiny {
        int maxPersons, minLoci, maxLoci;
    };
    for (const Tiny tiny : {Tiny{4, 1, 2}, Tiny{3, 3, 3}, Tiny{6, 1, 3}}) {
        for (std::uint64_t seed = 1; seed <= 100; ++seed) {
            oracle::TinyOptions options;
            options.maxPersons = tiny.maxPersons;
            options.minLoci = tiny.minLoci;
            options.maxLoci = tiny.maxLoci;
            options.geneDropped = seed % 3 != 0;
            add("randomTinyDataset(" + std::to_string(seed) + ", persons " + std::to_string(tiny.maxPersons) +
                    ", loci " + std::to_string(tiny.minLoci) + "-" + std::to_string(tiny.maxLoci) + ")",
                oracle::randomTinyDataset(seed, options), tiny.maxPersons > 4 ? DatasetSize::Wide : DatasetSize::Small);
        }
    }
    // The FASTLINK suite's gene-dropped families.
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        oracle::GeneDropOptions options;
        options.maxPersons = 6;
        options.maxPedigrees = 2;
        options.maxMarkers = 2;
        options.maxAlleles = 4;
        add("geneDroppedDataset(" + std::to_string(seed) + ", small)", oracle::geneDroppedDataset(seed, options),
            DatasetSize::Small);
    }
    for (std::uint64_t seed = 1; seed <= 3; ++seed) {
        add("geneDroppedDataset(" + std::to_string(seed) + ")", oracle::geneDroppedDataset(seed), DatasetSize::Large);
    }
    return datasets;
}

bool sameLogLikelihood(double a, double b) {
    const bool aImpossible = !(a > -1.7976931348623157e308);
    const bool bImpossible = !(b > -1.7976931348623157e308);
    if (aImpossible || bImpossible) return aImpossible == bImpossible;
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

}  // namespace pedlik::testing
