#pragma once

#include <memory>
#include <string>

#include "product/product.hpp"
#include "support/problem_loading.hpp"

namespace pedlik::testing {

// Eliminates genotypes and creates every pedigree's network nodes for the
// problem read last, as a run does before its mode; a stop (inconsistent
// genotypes) comes back instead of ending the process.
StoppedRun prepareNetwork();

// Reads both files, then prepareNetwork; files whose genotypes do not
// eliminate throw std::runtime_error.
void loadNetwork(const std::string& locusText, const std::string& pedigreeText);

// A pedigree's product as the network assembly fills it; the assembly's
// three report lines go to `report`, its log constant to `logConstant`.
struct AssembledProduct {
    std::unique_ptr<Product> product;
    double logConstant = 0.0;
    std::string report;
};
AssembledProduct assemblePedigree(Pedigree& pedigree);
AssembledProduct assembleFirstPedigree();

}  // namespace pedlik::testing
