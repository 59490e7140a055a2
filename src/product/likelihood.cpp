#include "product/likelihood.hpp"

#include <algorithm>

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

ProductArray buildProducts(int& failed, PedigreeList& pedigrees, ProgressSink progress) {
    failed = 0;
    runParameters.logLikelihood = 0.0;
    ProductArray products;
    std::vector<double>& shares = runParameters.pedigreeLogLikelihoods;
    allocateOrDie("Product Array", [&] {
        products.reserve(static_cast<size_t>(pedigrees.count));
        shares.assign(static_cast<size_t>(pedigrees.count), 0.0);
    });
    for (Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next) {
        products.push_back(createProduct(pedigree->nodeCount + 1, pedigree->nodeCount + 1));
        const double constant = buildPedigreeTables(*products.back(), *pedigree, runParameters.isSexLinked, progress);
        if (!(constant >= impossibleLogLikelihood)) {
            failed = 1;
            products.clear();
            return products;
        }
        runParameters.logLikelihood += constant;
        shares[products.size() - 1] = constant;
    }
    return products;
}

std::vector<OrderWalk> startEliminations(ProductArray& products, const std::vector<EliminationOrder>& orders) {
    std::vector<OrderWalk> walks;
    allocateOrDie("Product Array", [&] {
        for (size_t at = 0; at < products.size(); ++at) walks.push_back(startElimination(*products[at], orders[at]));
    });
    return walks;
}

std::vector<double> eliminateProducts(ProductArray& products, std::vector<OrderWalk>& walks,
                                      const std::vector<EliminationOrder>& orders,
                                      const EliminationSettings& settings, WorkQueue& queue, ProgressSink progress) {
    const int count = static_cast<int>(products.size());
    std::vector<double> results;
    allocateOrDie("Product Array", [&] { results.assign(static_cast<size_t>(count), impossibleLogLikelihood); });
    const int width = settings.threads > 1 ? queue.threadCount() : 1;
    OrderedProgress texts(progress, count);
    queue.runUnits(count, width, [&](int i) {
        // After an impossible pedigree a single thread would stop.
        if (texts.cutOff(i)) return;
        const size_t at = static_cast<size_t>(i);
        const int cap = orders[at].concurrentBranches;
        const EliminationRun run{settings, queue, cap > 0 ? std::min(cap, width) : width};
        results[at] = eliminateAll(*products[at], walks[at], 1.0f, 0.0f, run, texts.start(i));
        texts.finish(i, !(results[at] >= impossibleLogLikelihood));
    });
    return results;
}

void computeLikelihoods(ProductArray& products, const std::vector<EliminationOrder>& orders,
                        PedigreeList& pedigrees, const EliminationSettings& settings) {
    // Resolved before any elimination starts: from then on the nodes' links
    // are written only by their own pedigree's elimination.
    std::vector<OrderWalk> walks = startEliminations(products, orders);
    WorkQueue queue(settings.threads);
    const std::vector<double> results = eliminateProducts(products, walks, orders, settings, queue, ProgressSink{});
    addPedigreeResults(results, runParameters.logLikelihood, runParameters.pedigreeLogLikelihoods);
    resetNodeLinks(pedigrees);
    products.clear();
}

void addPedigreeResults(const std::vector<double>& results, double& total, std::vector<double>& shares) {
    for (size_t at = 0; at < results.size(); ++at) {
        total += results[at];
        shares[at] += results[at];
        if (!(results[at] >= impossibleLogLikelihood)) break;
    }
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
