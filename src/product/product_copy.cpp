#include "product/product_copy.hpp"

#include <functional>
#include <vector>

#include "base/allocation.hpp"
#include "product/function_index.hpp"
#include "product/product_pool.hpp"
#include "product/variable_lists.hpp"

namespace pedlik {

namespace {

bool isLiveVariableOf(const Product& product, const Variable* variable) {
    if (variable == nullptr || product.variables.empty()) return false;
    const std::less<const Variable*> before;
    const Variable* first = product.variables.data();
    const Variable* end = first + product.variables.size();
    return !before(variable, first) && before(variable, end) && variable->inUse;
}

}  // namespace

ProductCopy copyProduct(const Product& source, const Variable& variable, const EliminationOrder& order,
                        std::span<NodeRedirect> redirects) {
    ProductCopy copy;
    copy.product = createProduct(source.variableCount + 1, source.functionCount + 1);
    Product& target = *copy.product;

    // Source slot index -> the copy's variable.
    std::vector<Variable*> copyOf;
    allocateOrDie("copyProduct data-structures", [&] { copyOf.assign(source.variables.size(), nullptr); });
    for (const Variable& original : source.variables) {
        if (!original.inUse) continue;
        Variable& copied = addVariable(target, original.node, original.valueCount);
        copied.originalValues = allocateOrDie("originalValues", [&] { return original.originalValues; });
        copyOf[variableIndex(source, original)] = &copied;
    }

    for (int entry = order.cursor; entry < order.entryCount(); ++entry) {
        Node* node = order.entries[entry].node;
        NodeRedirect& redirect = redirects[entry - order.cursor];
        if (!isLiveVariableOf(source, node->variable)) {
            redirect = NodeRedirect{};
            continue;
        }
        Variable* copied = copyOf[variableIndex(source, *node->variable)];
        copied->copiedFrom = node->variable;
        redirect = NodeRedirect{1, node->variable};
        node->variable = copied;
    }

    for (const Function& original : source.functions) {
        if (!original.inUse) continue;
        std::vector<Variable*> vars = copyVarList(original.vars);
        for (Variable*& listed : vars) listed = copyOf[variableIndex(source, *listed)];
        addFunction(target, original.storage, original.logScale, 0, std::move(vars), freshRescaleCountdown);
    }

    buildFunctionIndex(target);
    copy.variable = copyOf[variableIndex(source, variable)];
    return copy;
}

void restoreRedirectedNodes(const EliminationOrder& order, int firstEntry, std::span<const NodeRedirect> redirects) {
    for (std::size_t i = 0; i < redirects.size(); ++i) {
        if (redirects[i].transformed) order.entries[firstEntry + i].node->variable = redirects[i].sourceVariable;
    }
}

}  // namespace pedlik
