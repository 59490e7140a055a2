#pragma once

#include <span>
#include <vector>

#include "base/work_queue.hpp"
#include "product/elimination_settings.hpp"
#include "product/order_record.hpp"
#include "product/product.hpp"
#include "product/product_copy.hpp"
#include "product/progress_text.hpp"

namespace pedlik {

// One product's way through an elimination order: the next entry, and for
// every entry the product's variable standing for the entry's node (null
// when it has none). Each product being eliminated has its own, so a copy
// made for conditioning never consults, nor redirects, the shared nodes.
struct OrderWalk {
    const EliminationOrder* order = nullptr;
    int cursor = 0;
    std::vector<Variable*> variables;
};

// The walk of a product built from the order's nodes, from the first entry:
// the variables the nodes link to now.
OrderWalk startWalk(const EliminationOrder& order);

// startWalk for a product about to be eliminated from the start. Under a
// searched order the product first drops the variables that its tables
// ignore, which changes no likelihood but may change the conditioning, and
// so the progress lines: a greedy order's report stays as it was.
OrderWalk startElimination(Product& product, const EliminationOrder& order);

// What all the subproblems of one elimination share.
struct EliminationRun {
    const EliminationSettings& settings;
    WorkQueue& queue;     // runs the branches of a conditioned variable
    int branchWidth = 1;  // at most this many branches of one variable at once
};

// Sums out everything left in the product in the order's sequence from the
// walk's cursor on, conditioning where the order marks a variable whose
// sum-out would be too large. Returns the natural log of the product's
// total; `share` and `base` are the part of the whole problem this product
// stands for and the part solved before it, for the progress line.
double eliminateAll(Product& product, OrderWalk& walk, float share, float base, const EliminationRun& run,
                    ProgressSink progress);

// The first steps of eliminateAll: sums out variables in the order until
// the product is empty or the next variable is to be conditioned on, which
// is then `conditionedOn` (else null; the walk has passed its entry).
// Returns the natural log of the constants summed out.
double eliminateUntilConditioned(Product& product, OrderWalk& walk, const EliminationRun& run, ProgressSink progress,
                                 const Variable*& conditionedOn);

// What eliminateAll returns for a product conditioned after the first steps:
// the one addition a run and a merge of its parts both make.
double conditionedTotal(double branchesCombined, double beforeConditioning);

// The live variable of the walk's next entry that has one; `conditioned`
// says whether it is to be conditioned on.
Variable& nextOrderVariable(OrderWalk& walk, int& conditioned, const EliminationSettings& settings);

// Instantiates the variable to each of its values on copies of the product,
// solves each copy (side by side as the run allows), and combines their
// results in log space in value order. The product itself is only read.
double conditionOn(const Product& product, const Variable& variable, const OrderWalk& walk, float share, float base,
                   const EliminationRun& run, ProgressSink progress);

// A copy of the product with the variable fixed to `value` and trimmed,
// trimming's reports going to `progress`; `constant` is the natural log of
// what fixing and trimming took out, `possible` false when either left a
// variable without values or a table of a single 0.0. `entryVariables`
// and `firstEntry` as for copyProduct. The product is only read.
struct FixedBranch {
    ProductCopy copy;
    double constant = 0.0;
    bool possible = false;
};
FixedBranch fixedBranch(const Product& product, const Variable& variable, std::span<Variable* const> entryVariables,
                        int firstEntry, int value, ProgressSink progress);

// One branch of a conditioning: its fixed branch, eliminated; the product
// is only read.
double solveBranch(const Product& product, const Variable& variable, const OrderWalk& walk, int value, float share,
                   float base, const EliminationRun& run, ProgressSink progress);

// The branches' results (natural logs, by value) combined in log space, in
// value order; the impossible marker when every branch is impossible.
double combineBranches(const std::vector<double>& results);

}  // namespace pedlik
