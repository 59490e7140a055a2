#pragma once

#include <initializer_list>

#include "input/records.hpp"
#include "product/product.hpp"

namespace pedlik {

// Building blocks shared by the autosomal and the sex-linked assembly.

// The node in a person's node array at a locus; null where none exists.
inline Node* nodeAt(const NodeArray& nodes, int locus) { return nodes.empty() ? nullptr : nodes[locus].get(); }

// Wires the node's parents in order; each parent gains a child.
void wireParents(Node& node, std::initializer_list<Node*> parents);

// Hands a table of more than one entry to the product as the node's
// function; a one-entry table is folded into the log constant instead.
void keepOrFold(Node& node, Table table);

// Phenotype tables are always functions, whatever their size.
void addPhenotypeFunction(Node& phenotype, Table table);

// A barren allele or selector node (nothing depends on it, and it has more
// than one value) is released; returns whether that happened.
bool releaseIfBarren(NodeArray& nodes, int locus);

// Counts a node with a single value towards the constant nodes.
void countIfConstant(const Node& node);

}  // namespace pedlik
