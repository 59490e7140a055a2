#pragma once

namespace pedlik {

// What eliminating a product in one order will take, predicted on the
// tempProd while the order is made.
struct OrderCost {
    // Multiply-adds of every sum-out over every conditioning branch, plus
    // one per table entry that each branch's copy, fixing and trimming walk.
    double multiplyAdds = 0.0;
    // The most table entries alive at once along one branch: the tables of
    // the products that conditioning copied, and the current product's own.
    double peakEntries = 0.0;
    // The product's tables and every table a sum-out makes, none released:
    // what a bucket tree built on an order without conditioning holds, or
    // with conditioning, the tree of one branch.
    double keptEntries = 0.0;
};

// The running prediction while an order is made.
struct CostTracking {
    OrderCost cost;
    double branches = 1.0;       // copies made so far: the product of the conditioned value counts
    double heldEntries = 0.0;    // tables of the products that the current branch copies
    double productEntries = 0.0; // every table of the current product, held ones included
    double ownedEntries = 0.0;   // the tables the current product made itself
    // The order is for bucket trees, one per conditioning branch, each
    // built on the whole product with the conditioned variables fixed: the
    // work before a conditioning is done again in every branch.
    bool branchTrees = false;
    // Every table the order makes is kept (bucket trees): each one is memory
    // touched for the first time, where an elimination's tables reuse the
    // memory of those it released.
    bool tablesKept = false;
};

}  // namespace pedlik
