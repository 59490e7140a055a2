#pragma once

#include <unordered_map>

#include "network/node.hpp"
#include "product/product.hpp"

namespace pedlik {

// The value, in the node's own numbering, of each node whose variable a
// branch fixed or trimmed down to one value.
using FixedValues = std::unordered_map<const Node*, int>;

// What one conditioning branch's tree run sees and leaves of the selectors.
// Every branch works on its own copy of the pedigree's product while the
// nodes stay linked to the pedigree's product and are shared by all
// branches, so a branch never reads a node's variable link nor writes its
// beliefs: it looks both up here.
struct BranchSelectors {
    // The branch's live variable of each node that has one.
    std::unordered_map<const Node*, Variable*> variables;
    FixedValues fixedValues;
    std::unordered_map<const Node*, SelectorBeliefs> beliefs;
    // The natural log-likelihood of the branch's tree, its run adds to it.
    double logLikelihood = 0.0;
};

// The variable standing for the node in the pedigree's own tree (no
// branch) or in the branch's; null when it has none there.
Variable* selectorVariable(const Node& node, const BranchSelectors* branch);

// Where the beliefs over the node go: on the node, or in the branch.
SelectorBeliefs& beliefsOf(Node& node, BranchSelectors* branch);

// Records the value left to every variable of the copy that fixing or
// trimming released.
void noteFixedValues(const Product& copy, FixedValues& fixedValues);

// Records the copy's live variables, the ones its tree eliminates.
void noteLiveVariables(Product& copy, BranchSelectors& branch);

}  // namespace pedlik
