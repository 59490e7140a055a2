#include "product/product_pool.hpp"

#include "base/allocation.hpp"
#include "product/slot_search.hpp"
#include "product/tables.hpp"

namespace pedlik {

std::unique_ptr<Product> createProduct(int variableCapacity, int functionCapacity) {
    auto product = allocateOrDie("Product", [] { return std::make_unique<Product>(); });
    allocateOrDie("Product->variables", [&] { product->variables = std::vector<Variable>(variableCapacity); });
    allocateOrDie("Product->functions", [&] { product->functions = std::vector<Function>(functionCapacity); });
    return product;
}

Product::~Product() {
    for (Variable& variable : variables) {
        if (variable.inUse) releaseVariable(*this, variable);
    }
    for (Function& function : functions) {
        if (function.inUse) releaseFunction(*this, function);
    }
}

void releaseProduct(std::unique_ptr<Product> product) {
    // The destructor runs the release in its order; taking the product by
    // value makes the caller's handle empty.
    product.reset();
}

Variable& addVariable(Product& product, Node* node, int valueCount) {
    Variable* slot = takeFreeSlot(product.variables, product.nextVariableSlot, product.variableCount);
    // Every creator sizes the pools for what they will hold live at once, so
    // a full pool means that promise was broken; end the run like any other
    // allocation that cannot be satisfied.
    if (slot == nullptr) fatalAllocError("Product->variables");
    *slot = Variable{};
    slot->inUse = 1;
    slot->node = node;
    slot->valueCount = valueCount;
    return *slot;
}

Variable& variableForNode(Node& node, Product& product) {
    if (node.variable != nullptr) return *node.variable;
    node.variable = &addVariable(product, &node, node.valueCount);
    // A fresh variable has all the node's values again; whatever an earlier
    // product's trimming left of them no longer holds.
    node.survivingValue = -1;
    return *node.variable;
}

void releaseVariable(Product& product, Variable& variable) {
    variable.funcs = {};
    const bool linked = variable.copiedFrom == nullptr && variable.node != nullptr;
    if (linked && variable.node->variable == &variable) variable.node->variable = nullptr;
    variable.inUse = 0;
    --product.variableCount;
}

void detachFromNodes(Product& product) {
    for (Variable& variable : product.variables) {
        if (!variable.inUse || variable.node == nullptr) continue;
        if (variable.node->variable == &variable) variable.node->variable = nullptr;
        variable.node = nullptr;
    }
}

void restoreVariable(Product& product, Variable& variable) {
    Node& node = *variable.node;
    if (!variable.inUse) {
        variable.inUse = 1;
        ++product.variableCount;
        node.variable = &variable;
        node.survivingValue = -1;
    }
    variable.degree = 0;
    variable.funcs = {};
    variable.valueCount = node.valueCount;
    variable.originalValues = {};
}

Function& addFunction(Product& product, SharedTable table, double logScale, int ownsTable,
                      std::vector<Variable*> vars, int rescaleCountdown) {
    Function* slot = takeFreeSlot(product.functions, product.nextFunctionSlot, product.functionCount);
    if (slot == nullptr) fatalAllocError("Product->functions");
    Function fresh;
    fresh.inUse = 1;
    fresh.vars = std::move(vars);
    setTable(fresh, std::move(table), ownsTable);
    fresh.logScale = logScale;
    fresh.rescaleCountdown = rescaleCountdown;
    *slot = std::move(fresh);
    return *slot;
}

void releaseFunction(Product& product, Function& function) {
    function.vars = {};
    setTable(function, nullptr, 0);
    function.inUse = 0;
    --product.functionCount;
}

int variableIndex(const Product& product, const Variable& variable) {
    return static_cast<int>(&variable - product.variables.data());
}

int functionIndex(const Product& product, const Function& function) {
    return static_cast<int>(&function - product.functions.data());
}

}  // namespace pedlik
