#include "product/product_copy.hpp"

#include "base/allocation.hpp"
#include "product/function_index.hpp"
#include "product/product_pool.hpp"
#include "product/variable_lists.hpp"

namespace pedlik {

ProductCopy copyProduct(const Product& source, const Variable& variable, std::span<Variable* const> entryVariables,
                        int firstEntry) {
    ProductCopy copy;
    copy.product = createProduct(source.variableCount + 1, source.functionCount + 1);
    Product& target = *copy.product;

    // Source slot index -> the copy's variable.
    std::vector<Variable*> copyOf;
    allocateOrDie("copyProduct data-structures", [&] {
        copyOf.assign(source.variables.size(), nullptr);
        copy.entryVariables.assign(entryVariables.size(), nullptr);
    });
    for (const Variable& original : source.variables) {
        if (!original.inUse) continue;
        Variable& copied = addVariable(target, original.node, original.valueCount);
        copied.originalValues = allocateOrDie("originalValues", [&] { return original.originalValues; });
        copied.copiedFrom = &original;
        copyOf[variableIndex(source, original)] = &copied;
    }
    for (std::size_t entry = static_cast<std::size_t>(firstEntry); entry < entryVariables.size(); ++entry) {
        const Variable* original = entryVariables[entry];
        if (original != nullptr && original->inUse) copy.entryVariables[entry] = copyOf[variableIndex(source, *original)];
    }

    for (const Function& original : source.functions) {
        if (!original.inUse) continue;
        std::vector<Variable*> vars = copyVarList(original.vars);
        for (Variable*& listed : vars) listed = copyOf[variableIndex(source, *listed)];
        Function& copied =
            addFunction(target, original.storage, original.logScale, 0, std::move(vars), freshRescaleCountdown);
        copied.supportChecked = original.supportChecked;
    }

    buildFunctionIndex(target);
    copy.variable = copyOf[variableIndex(source, variable)];
    return copy;
}

}  // namespace pedlik
