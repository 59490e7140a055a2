#include "driver/pedigrees_alone.hpp"

#include <string>

#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "network/assembly.hpp"
#include "product/elimination.hpp"
#include "product/likelihood.hpp"
#include "product/product_pool.hpp"
#include "product/trimming.hpp"

namespace pedlik {

namespace {

double logLikelihoodAlone(Pedigree& pedigree, const EliminationOrder& order, WorkQueue& queue,
                          const EliminationSettings& settings) {
    std::string discarded;
    const ProgressSink silent(discarded);
    const std::unique_ptr<Product> product = createProduct(pedigree.nodeCount + 1, pedigree.nodeCount + 1);
    const double constant = buildPedigreeTables(*product, pedigree, runParameters.isSexLinked, silent);
    if (!(constant >= impossibleLogLikelihood)) return impossibleLogLikelihood;
    int failed = 0;
    const double trimmed = trimValues(*product, failed, silent);
    if (failed != 0) return impossibleLogLikelihood;
    OrderWalk walk = startElimination(*product, order);
    const EliminationRun run{settings, queue, order.concurrentBranches > 0 ? order.concurrentBranches : queue.threadCount()};
    const double eliminated = eliminateAll(*product, walk, 1.0f, 0.0f, run, silent);
    // Trimming may also leave a constant 0 (minus infinity) without failing.
    const double total = constant + trimmed + eliminated;
    return eliminated >= impossibleLogLikelihood && total >= impossibleLogLikelihood ? total : impossibleLogLikelihood;
}

}  // namespace

std::vector<double> logLikelihoodsAlone(PedigreeList& pedigrees, const std::vector<EliminationOrder>& orders,
                                        const EliminationSettings& settings) {
    std::vector<double> values;
    WorkQueue queue(settings.threads);
    // A stopped run leaves the links and child counts of the products it
    // had built: each pedigree's tables are built as after a complete run.
    resetNodeLinks(pedigrees);
    std::size_t at = 0;
    for (Pedigree* pedigree = pedigrees.head; pedigree != nullptr; pedigree = pedigree->next, ++at) {
        const double value = logLikelihoodAlone(*pedigree, orders[at], queue, settings);
        allocateOrDie("pedigree log-likelihoods", [&] { values.push_back(value); });
    }
    resetNodeLinks(pedigrees);
    return values;
}

}  // namespace pedlik
