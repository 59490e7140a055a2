#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "base/uninitialised_allocator.hpp"
#include "network/node.hpp"

namespace pedlik {

struct Function;

// Multiplication levels a fresh table may go through before it is rescaled.
constexpr int freshRescaleCountdown = 32;

// A probability table's entries, row-major over its function's variables,
// the last variable running fastest.
using Table = std::vector<double, UninitialisedAllocator<double>>;

// Tables are held through shared handles because the functions of a copied
// product read the source's tables instead of duplicating them; the handle
// keeps a table alive for as long as any function still reads it.
using SharedTable = std::shared_ptr<Table>;

// One variable slot of a product: a network node with at least two values.
struct Variable {
    int inUse = 0;
    int degree = 0;                // live functions listing the variable, counted by buildFunctionIndex
    std::vector<Function*> funcs;  // the functions listing the variable, in the order they were added
    Node* node = nullptr;          // the network node the variable stands for (not owned)
    int valueCount = 0;            // values still possible: 0 .. valueCount - 1
    // The node's own number of each current value, once trimming or fixing
    // renumbered the values; empty while they are still the node's numbers
    // (so code that gives a variable back all its node's values clears it).
    std::vector<int> originalValues;
    int currentValue = 0;          // the variable's digit in a table walk
    int mark = 0;                  // scratch mark for collecting neighbours
    // In a copied product: the source variable this one copies. Such a
    // variable stands for one conditioned case, not for the pedigree, and
    // never writes its node.
    const Variable* copiedFrom = nullptr;

    int funcCount() const { return static_cast<int>(funcs.size()); }
};

// A probability table over an ordered list of variables, either a slot of a
// product or a free-standing record of the bucket-tree code. Its true value
// at an entry is entry * e^logScale.
struct Function {
    int inUse = 0;
    int placed = 0;        // put into a bucket's function list
    int standalone = 0;    // allocated by itself, not a product slot
    int intermediate = 0;  // temporary result of one bucket-tree elimination step
    std::vector<Variable*> vars;  // table order (not owned)
    // Read-only view of the entries. Writers go through writableTable, which
    // never lets a function write a table that another function reads.
    std::span<const double> probablist;
    SharedTable storage;   // keeps probablist alive; set together with it by setTable
    int ownsTable = 0;     // 1: the function made its table; 0: it reads a table of another function
    int stride = 0;        // scratch: stride of the variable being summed out
    int tableIndex = 0;    // scratch: table position matching the current digits
    double logScale = 0.0;
    int rescaleCountdown = freshRescaleCountdown;  // multiplication levels left before rescaling
    // 1 once trimming found a non-zero entry for every value of the
    // variables: until the table is written (or the function replaced,
    // which trimming does whenever one of its variables loses a value) it
    // cannot make a value unsupported, and trimming passes it by.
    int supportChecked = 0;

    Function() = default;
    Function(const Function&) = delete;
    Function& operator=(const Function&) = delete;
    Function(Function&&) = default;
    Function& operator=(Function&&) = default;

    int varCount() const { return static_cast<int>(vars.size()); }
    std::size_t tableSize() const { return probablist.size(); }
};

// One pedigree's network as a product of functions over variables. The slot
// arrays are sized once and never move: functions, variables and nodes point
// into them, so a Product is neither copied nor moved.
struct Product {
    int variableCount = 0;          // slots in use
    std::vector<Variable> variables;
    int nextVariableSlot = 0;       // where the next free-slot search starts
    int functionCount = 0;          // slots in use
    std::vector<Function> functions;
    int nextFunctionSlot = 0;

    Product() = default;
    Product(const Product&) = delete;
    Product& operator=(const Product&) = delete;
    // Releases every live variable, which unlinks its node (a copy's nodes
    // never point into it), then every live function; a dropped product thus
    // never leaves a node pointing into it.
    // The nodes belong to the network and must outlive the product.
    ~Product();

    int variableCapacity() const { return static_cast<int>(variables.size()); }
    int functionCapacity() const { return static_cast<int>(functions.size()); }
};

}  // namespace pedlik
