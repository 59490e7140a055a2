#pragma once

#include <memory>
#include <vector>

#include "base/work_queue.hpp"
#include "input/records.hpp"
#include "product/elimination.hpp"
#include "product/elimination_settings.hpp"
#include "product/order_record.hpp"
#include "product/product.hpp"
#include "product/progress_text.hpp"

namespace pedlik {

using ProductArray = std::vector<std::unique_ptr<Product>>;

// A product per pedigree, in list order, with its network tables; sets
// logLikelihood to the sum of their folded constants, and each pedigree's
// share of it in pedigreeLogLikelihoods to its own. When a pedigree's
// tables make its likelihood 0, `failed` is set and nothing is returned.
ProductArray buildProducts(int& failed, PedigreeList& pedigrees, ProgressSink progress = {});

// Each product's walk from the start of its pedigree's order, resolved
// through the nodes' links as the products were built.
std::vector<OrderWalk> startEliminations(ProductArray& products, const std::vector<EliminationOrder>& orders);

// Eliminates every product along its walk and returns each pedigree's
// natural log-likelihood, in list order; those after the first impossible
// one may be left impossible. The pedigrees, their conditioning branches and
// large sum-outs share the queue's threads when settings.threads is more
// than one; what a single thread would print goes to `progress`, in its order.
std::vector<double> eliminateProducts(ProductArray& products, std::vector<OrderWalk>& walks,
                                      const std::vector<EliminationOrder>& orders,
                                      const EliminationSettings& settings, WorkQueue& queue, ProgressSink progress);

// Eliminates every product in its order and adds each pedigree's natural
// log-likelihood to logLikelihood and to its share, in list order, stopping at the first
// impossible one; then resets the nodes' links and releases the products.
// With several threads the pedigrees are eliminated side by side, and what
// a single thread would print is printed, in its order.
void computeLikelihoods(ProductArray& products, const std::vector<EliminationOrder>& orders,
                        PedigreeList& pedigrees, const EliminationSettings& settings = EliminationSettings{});

// Adds the pedigrees' elimination results, in list order, to the total and
// to each pedigree's share, stopping after the first impossible one: a run
// and a merge of its parts add them alike.
void addPedigreeResults(const std::vector<double>& results, double& total, std::vector<double>& shares);

// Clears every node's variable link and child count, ready for the products
// of the next recombination fraction.
void resetNodeLinks(PedigreeList& pedigrees);

}  // namespace pedlik
