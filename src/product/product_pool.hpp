#pragma once

#include <memory>
#include <vector>

#include "product/product.hpp"

namespace pedlik {

// A product with room for the given numbers of live variables and functions,
// all slots free ("Product", "Product->variables", "Product->functions").
std::unique_ptr<Product> createProduct(int variableCapacity, int functionCapacity);

// Releases every live variable (unlinking its node), then every live
// function, then the slot arrays and the record.
void releaseProduct(std::unique_ptr<Product> product);

// Takes a free variable slot for the node, with no functions yet. The node's
// own link is left to the caller. A product whose variable slots are all in
// use ends the run with the "Product->variables" allocation report.
Variable& addVariable(Product& product, Node* node, int valueCount);

// The node's variable, created with the node's value count on first use
// (which also forgets the node's survivingValue).
Variable& variableForNode(Node& node, Product& product);

// Frees the slot. The node's link is cleared when it points at this variable;
// a copied product's variable never touches its node, which other copies
// may be reading at the same time.
void releaseVariable(Product& product, Variable& variable);

// Cuts the links between the product's variables and the nodes, both ways:
// from then on the product is eliminated without reading or writing a node,
// while the next products are built through the same nodes.
void detachFromNodes(Product& product);

// Gives the variable all its node's values back and no functions, ready
// for the node's tables to be built again. A slot that was freed is taken
// back for the same node, which points at it again and forgets its
// survivingValue; no other variable may have taken the slot meanwhile.
void restoreVariable(Product& product, Variable& variable);

// Takes a free function slot for a table over `vars` (taken over, in table
// order). The new function is not yet in any variable's funcs. A product
// whose function slots are all in use ends the run with the
// "Product->functions" allocation report.
Function& addFunction(Product& product, SharedTable table, double logScale, int ownsTable,
                      std::vector<Variable*> vars, int rescaleCountdown);

// Frees the slot, its variable list and its hold on the table. Callers first
// take the function out of its variables' funcs with removeFunction.
void releaseFunction(Product& product, Function& function);

// Slot positions, for side arrays indexed by slot.
int variableIndex(const Product& product, const Variable& variable);
int functionIndex(const Product& product, const Function& function);

}  // namespace pedlik
