#include "support/network_loading.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

#include "genotype/genotype_elimination.hpp"
#include "input/process_state.hpp"
#include "network/assembly.hpp"
#include "network/network_nodes.hpp"
#include "product/product_pool.hpp"

namespace pedlik::testing {

StoppedRun prepareNetwork() {
    return runUntilStopped([] {
        PedigreeList& pedigrees = runParameters.pedigrees;
        if (runParameters.isSexLinked == 1) {
            eliminateGenotypesSexLinked(pedigrees);
            createNetworkNodesSexLinked(pedigrees);
        } else {
            eliminateGenotypes(pedigrees);
            createNetworkNodes(pedigrees);
        }
    });
}

void loadNetwork(const std::string& locusText, const std::string& pedigreeText) {
    loadProblem(locusText, pedigreeText);
    const StoppedRun run = prepareNetwork();
    if (run.stopped) throw std::runtime_error("the test's genotypes do not eliminate: " + run.err);
}

AssembledProduct assemblePedigree(Pedigree& pedigree) {
    AssembledProduct assembled;
    assembled.product = createProduct(pedigree.nodeCount + 1, pedigree.nodeCount + 1);
    ::testing::internal::CaptureStdout();
    assembled.logConstant = buildPedigreeTables(*assembled.product, pedigree, runParameters.isSexLinked);
    std::fflush(stdout);
    assembled.report = ::testing::internal::GetCapturedStdout();
    return assembled;
}

AssembledProduct assembleFirstPedigree() { return assemblePedigree(firstPedigree()); }

}  // namespace pedlik::testing
