#pragma once

#include <memory>
#include <span>

#include "product/order_record.hpp"
#include "product/product.hpp"

namespace pedlik {

// What copyProduct did to the node of one order entry: whether it pointed
// the node at a variable of the copy, and the source variable it pointed at
// before.
struct NodeRedirect {
    int transformed = 0;
    Variable* sourceVariable = nullptr;
};

struct ProductCopy {
    std::unique_ptr<Product> product;
    Variable* variable = nullptr;  // the copy of the variable asked for
};

// Copies the source's live variables (with their original value numbers)
// and functions, in slot order, into a new product sized for them plus one.
// The copy's functions read the source's tables (ownsTable 0) and never
// write them: the writes of later operations go to tables of their own.
// Every node of an order entry from the cursor on whose variable is live in
// the source is pointed at its copy; `redirects` (one per entry from the
// cursor on) records which, for restoreRedirectedNodes. Scratch label
// "copyProduct data-structures".
ProductCopy copyProduct(const Product& source, const Variable& variable, const EliminationOrder& order,
                        std::span<NodeRedirect> redirects);

// Points the nodes that copyProduct redirected back at their source
// variables, whatever became of the copy's variables meanwhile. `firstEntry`
// is the order's cursor at the time of the copy.
void restoreRedirectedNodes(const EliminationOrder& order, int firstEntry, std::span<const NodeRedirect> redirects);

}  // namespace pedlik
