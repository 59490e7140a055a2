#pragma once

#include <limits>
#include <vector>

#include "network/node.hpp"

namespace pedlik {

// One step of an elimination order. Entries name nodes rather than
// variables, so one order serves every product built for the pedigree, and
// the copies made while conditioning: each elimination resolves the entries
// to its own product's variables once (an OrderWalk).
struct OrderEntry {
    int conditioned = 0;  // 0: sum the variable out; 1: candidate for conditioning
    Node* node = nullptr;
    // A marked entry is conditioned on once summing its variable out would
    // make a table of this many entries, or of the run's threshold if that
    // is smaller. A searched order gives 0: its later steps count on it.
    double conditionFrom = std::numeric_limits<double>::infinity();
};

// A pedigree's elimination order, first to eliminate first.
struct EliminationOrder {
    std::vector<OrderEntry> entries;
    // Conditioning branches of one variable that may be solved at once, each
    // holding a copy of the product: 0 for as many as there are threads.
    int concurrentBranches = 0;
    // Multiply-adds one elimination in this order is predicted to take:
    // what a split run weighs its work units by.
    double predictedMultiplyAdds = 0.0;
    // Table entries it is predicted to need within the memory: along one
    // branch, or all those a bucket tree keeps.
    double predictedEntries = 0.0;
    // The greedy rule's order was predicted too costly and a search replaced
    // it: progress lines may then differ from the greedy order's anyway.
    bool searched = false;

    int entryCount() const { return static_cast<int>(entries.size()); }
};

}  // namespace pedlik
