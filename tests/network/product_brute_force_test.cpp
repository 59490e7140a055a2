// The key check of the network assembly: the product it hands over, summed
// over every combination of values and times e to its log constant, is the
// likelihood of the pedigree, on random tiny datasets of every shape.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "input/process_state.hpp"
#include "oracle/enumerator.hpp"
#include "oracle/file_writers.hpp"
#include "oracle/random_datasets.hpp"
#include "support/network_loading.hpp"
#include "support/product_total.hpp"

namespace pedlik::testing {
namespace {

constexpr int seedCount = 400;

TEST(ProductBruteForce, AssembledProductSumsToTheLikelihood) {
    int pedigrees = 0;
    int impossible = 0;
    for (std::uint64_t seed = 1; seed <= seedCount; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        oracle::TinyOptions options;
        options.geneDropped = seed % 4 != 1;
        oracle::Dataset data = oracle::randomTinyDataset(seed, options);
        // Many of these are impossible in ways no single locus or person shows.
        if (seed % 4 == 3) data = oracle::withRigidModel(data);
        loadProblem(oracle::toPedlikLocusFile(data), oracle::toPedlikPedigreeFile(data));
        // Inconsistent genotypes stop the run before any product is built.
        if (prepareNetwork().stopped) continue;
        int index = 0;
        for (Pedigree* pedigree = runParameters.pedigrees.head; pedigree != nullptr;
             pedigree = pedigree->next, ++index) {
            const AssembledProduct assembled = assemblePedigree(*pedigree);
            const double total = std::exp(logProductTotal(*assembled.product) + assembled.logConstant);
            const double expected = oracle::likelihood(data, index);
            EXPECT_LE(std::fabs(total - expected), 1e-12 * expected)
                << "pedigree " << index << ": product " << total << ", enumerator " << expected;
            ++pedigrees;
            impossible += expected == 0.0 ? 1 : 0;
        }
        if (HasFailure()) return;
    }
    // Both outcomes are reached (about 740 pedigrees, 23 of them impossible).
    EXPECT_GE(pedigrees, seedCount);
    EXPECT_GE(impossible, 15);
}

}  // namespace
}  // namespace pedlik::testing
