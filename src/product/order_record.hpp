#pragma once

#include <limits>
#include <vector>

#include "network/node.hpp"

namespace pedlik {

// One step of an elimination order. Entries name nodes rather than
// variables, so one order serves every product built for the pedigree, and
// the copies made while conditioning: the node's variable link gives the
// variable of whichever product is current.
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
    int cursor = 0;  // next entry to use; users set it to 0 before a walk

    int entryCount() const { return static_cast<int>(entries.size()); }
};

}  // namespace pedlik
