#pragma once

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
};

// A pedigree's elimination order, first to eliminate first.
struct EliminationOrder {
    std::vector<OrderEntry> entries;
    int cursor = 0;  // next entry to use; users set it to 0 before a walk

    int entryCount() const { return static_cast<int>(entries.size()); }
};

}  // namespace pedlik
