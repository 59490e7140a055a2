#pragma once

#include <memory>
#include <span>
#include <vector>

#include "product/product.hpp"

namespace pedlik {

struct ProductCopy {
    std::unique_ptr<Product> product;
    Variable* variable = nullptr;  // the copy of the variable asked for
    // The copy's variable for each order entry from the first entry asked
    // for on whose source variable is live; null for the others.
    std::vector<Variable*> entryVariables;
};

// Copies the source's live variables (with their original value numbers)
// and functions, in slot order, into a new product sized for them plus one.
// Every copied variable names its source in copiedFrom. The copy's functions
// read the source's tables (ownsTable 0) and never write them: the writes of
// later operations go to tables of their own. The source is only read, so
// several copies of it may be made and used at once. `entryVariables` holds
// the source's variable of each order entry (null: none). Scratch label
// "copyProduct data-structures".
ProductCopy copyProduct(const Product& source, const Variable& variable, std::span<Variable* const> entryVariables,
                        int firstEntry);

}  // namespace pedlik
