#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "input/records.hpp"
#include "ordering/cost_tracking.hpp"
#include "ordering/order_product.hpp"
#include "product/order_record.hpp"
#include "product/product.hpp"

namespace pedlik {

// The run's ordering thresholds and the search's budget; tests lower the
// thresholds to reach both schemes and conditioning on small problems.
struct OrderLimits {
    // A step whose smallest cost reaches this many table entries conditions
    // on a variable instead of summing one out.
    double conditionThreshold = 2'000'000.0;
    // Pedigrees of more persons are ordered in one pass over the whole
    // product, smaller ones locus by locus.
    int locusGroupPersons = 15;
    // Table entries that may be alive at once along one conditioning
    // branch; an order that needs more conditions instead (--memory).
    double memoryEntries = 2.0 * 1024 * 1024 * 1024 / sizeof(double);
    // Orders predicted to cost fewer multiply-adds than this, and to fit
    // the memory, are taken as the greedy rule makes them: below it a
    // search costs more than it can save.
    double searchFrom = 5e7;
    // How many eliminations the order will serve (one per value of the
    // varied fraction, a cheap one counted as a share of one), and the
    // share of their predicted work the search may spend; the search's
    // unit (a variable looked at) is worth this many multiply-adds of
    // elimination time (measured on the bench's 47- to 58-person families:
    // about 6.5 ns a unit, 0.25 ns a predicted multiply-add of an
    // elimination that conditions, its copying and trimming included). A
    // fifth: over six seeds each, a tenth found orders up to twice as
    // slow, a third searched longer than it saved.
    double eliminations = 1.0;
    double searchShare = 0.2;
    // Multiply-adds of another plan for the same pedigree, which runs
    // instead of any order costlier than this: the search spends its share
    // of at most this much (a bucket tree whose branches will cost less).
    double worthAtMost = HUGE_VAL;
    double multiplyAddsPerSearchUnit = 25.0;
    int minSearchPasses = 8;
    int maxSearchPasses = 2000;
    std::uint64_t searchSeed = 20261208;
    // Threads that run search passes side by side; the order found is the
    // same for any count.
    int threads = 1;
    // False for the order of a bucket tree, which keeps every table the
    // order makes and cannot condition: no step conditions, and the memory
    // bounds all the tables kept rather than those of one branch.
    bool conditioning = true;
    // True for the order of the bucket trees of conditioning branches: the
    // memory bounds all the tables one branch keeps.
    bool keepsTables = false;

    bool boundsKeptTables() const { return keepsTables || !conditioning; }
};

// The product's tempProd, with its cost tracked as an order under these
// limits will be eliminated.
std::unique_ptr<TempProd> buildTrackedTempProd(const Product& product, const OrderLimits& limits);

// One order per pedigree, in list order, each made from the pedigree's
// product (products[k] for the k-th pedigree; every product must exist).
// Reads the sex-linked flag of the run parameters. ("elimOrderArrs")
std::vector<EliminationOrder> makeEliminationOrders(std::vector<std::unique_ptr<Product>>& products,
                                                    const PedigreeList& pedigrees, int lociCount,
                                                    OrderLimits limits = {});

// Releases the entries of the first `pedigreeCount` orders (at most all of
// them), then the array.
void releaseEliminationOrders(std::vector<EliminationOrder>& orders, int pedigreeCount);

// Fills `order` with one entry per live variable of the product ("elimArr"),
// chosen on a tempProd: locus by locus for pedigrees of at most
// limits.locusGroupPersons persons, in one greedy pass otherwise. When that
// order is predicted to be costly or to need more memory than the limits
// give, a search replaces it by a cheaper one. Its concurrentBranches lets
// only as many branches run at once as their predicted tables fit the
// memory. The product is not changed.
void makeEliminationOrder(const Product& product, EliminationOrder& order, const Pedigree& pedigree,
                          int lociCount, int sexLinked, OrderLimits limits = {});

// How many units of work that each hold `unitEntries` table entries (the
// branches of a conditioned variable, the values of the varied fraction)
// run side by side within `memoryEntries`: at least one, and never more
// than any thread count the program accepts.
int unitsFitting(double memoryEntries, double unitEntries);

// The order the greedy rule makes, and its predicted cost.
OrderCost makeGreedyOrder(const Product& product, EliminationOrder& order, const Pedigree& pedigree,
                          int lociCount, int sexLinked, OrderLimits limits = {});

void appendOrderEntry(EliminationOrder& order, OrderEntry entry);

// True when the order marks a variable for conditioning.
bool conditions(const EliminationOrder& order);

// Appends entries for the variables without functions, which no scan
// picks, last in slot order, summing them out of the tempProd.
void appendVariablesWithoutFunctions(TempProd& tempProd, EliminationOrder& order);

// Appends entries for every variable left in the tempProd, each step
// summing out the cheapest variable, or, when even that costs
// limits.conditionThreshold or more and limits.conditioning allows it,
// marking the most costly one for conditioning. Variables without
// functions, which no scan picks, follow last in slot order.
void greedyOrder(TempProd& tempProd, EliminationOrder& order, OrderLimits limits = {});

// Appends entries for the candidates by the greedy rule, the scan running
// over the candidate list from its start.
void orderGroup(std::span<OrderVariable* const> candidates, EliminationOrder& order, TempProd& tempProd,
                OrderLimits limits = {});

// Appends entries locus by locus from the last locus to the first: per
// locus the persons' phenotype and allele (or founder genotype) variables,
// then their selector variables, each group ordered by orderGroup.
void locusGroupOrder(EliminationOrder& order, TempProd& tempProd, const Pedigree& pedigree, int lociCount,
                     int sexLinked, OrderLimits limits = {});

}  // namespace pedlik
