#pragma once

#include <memory>
#include <string>

#include "product/product.hpp"

namespace pedlik::testing {

// Reads both files, eliminates genotypes and creates every pedigree's
// network nodes, as a run does before its mode.
void loadNetwork(const std::string& locusText, const std::string& pedigreeText);

// The same steps after reading: genotype elimination and network nodes for
// the problem in the run parameters.
void buildNetwork();

// The first pedigree's product as the network assembly fills it; the
// assembly's three report lines go to `report`, its log constant to
// `logConstant`.
struct AssembledProduct {
    std::unique_ptr<Product> product;
    double logConstant = 0.0;
    std::string report;
};
AssembledProduct assembleFirstPedigree();

}  // namespace pedlik::testing
