#include "product/likelihood.hpp"

#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "network/assembly.hpp"
#include "product/elimination.hpp"
#include "product/product_pool.hpp"

namespace pedlik {

namespace {

void resetNodes(NodeArray& nodes) {
    for (OwnedNode& node : nodes) {
        if (node == nullptr) continue;
        node->variable = nullptr;
        node->childCount = 0;
    }
}

}  // namespace

ProductArray buildProducts(int& failed, PedigreeList& pedigrees) {
    failed = 0;
    runParameters.logLikelihood = 0.0;
    ProductArray products;
    allocateOrDie("Product Array", [&] { products.reserve(static_cast<size_t>(pedigrees.count)); });
    for (Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        products.push_back(createProduct(pedigree->nodeCount + 1, pedigree->nodeCount + 1));
        const double constant = buildPedigreeTables(*products.back(), *pedigree, runParameters.isSexLinked);
        if (!(constant >= impossibleLogLikelihood)) {
            failed = 1;
            products.clear();
            return products;
        }
        runParameters.logLikelihood += constant;
    }
    return products;
}

int likelihoodOfPedigree(Product& product, EliminationOrder& order, const EliminationSettings& settings) {
    const double result = eliminateAll(product, order, 1.0f, 0.0f, settings);
    runParameters.logLikelihood += result;
    return result >= impossibleLogLikelihood ? 1 : 0;
}

void computeLikelihoods(ProductArray& products, std::vector<EliminationOrder>& orders, PedigreeList& pedigrees,
                        const EliminationSettings& settings) {
    for (size_t i = 0; i < products.size(); ++i) {
        orders[i].cursor = 0;
        if (likelihoodOfPedigree(*products[i], orders[i], settings) == 0) break;
    }
    resetNodeLinks(pedigrees);
    products.clear();
}

void resetNodeLinks(PedigreeList& pedigrees) {
    for (Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        for (Person& person : pedigree->persons) {
            for (NodeArray* nodes : {&person.paternalAlleleNodes, &person.maternalAlleleNodes,
                                     &person.paternalSelectorNodes, &person.maternalSelectorNodes,
                                     &person.phenotypeNodes}) {
                resetNodes(*nodes);
            }
            if (person.genotypeNode != nullptr) {
                person.genotypeNode->variable = nullptr;
                person.genotypeNode->childCount = 0;
            }
        }
    }
}

}  // namespace pedlik
