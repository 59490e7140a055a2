#include "support/network_loading.hpp"

#include <gtest/gtest.h>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/assembly.hpp"
#include "network/network_nodes.hpp"
#include "product/product_pool.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {

void loadNetwork(const std::string& locusText, const std::string& pedigreeText) {
    loadProblem(locusText, pedigreeText);
    buildNetwork();
}

void buildNetwork() {
    PedigreeList& pedigrees = runParameters.pedigrees;
    if (runParameters.isSexLinked == 1) {
        eliminateGenotypesSexLinked(pedigrees);
        createNetworkNodesSexLinked(pedigrees);
    } else {
        eliminateGenotypes(pedigrees);
        createNetworkNodes(pedigrees);
    }
}

AssembledProduct assembleFirstPedigree() {
    Pedigree& pedigree = firstPedigree();
    AssembledProduct assembled;
    assembled.product = createProduct(pedigree.nodeCount + 1, pedigree.nodeCount + 1);
    ::testing::internal::CaptureStdout();
    assembled.logConstant = buildPedigreeTables(*assembled.product, pedigree, runParameters.isSexLinked);
    std::fflush(stdout);
    assembled.report = ::testing::internal::GetCapturedStdout();
    return assembled;
}

}  // namespace pedlik::testing
