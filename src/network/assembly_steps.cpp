#include "network/assembly_steps.hpp"

#include <cmath>

#include "base/allocation.hpp"
#include "input/process_state.hpp"
#include "product/product_pool.hpp"
#include "product/variable_lists.hpp"

namespace pedlik {

namespace {

void addNodeFunction(Node& node, Table table) {
    SharedTable shared = allocateOrDie("probability table", [&] { return std::make_shared<Table>(std::move(table)); });
    Product& product = *assembly.currentProduct;
    addFunction(product, std::move(shared), 0.0, 1, nodeVariableList(product, node), freshRescaleCountdown);
}

}  // namespace

void wireParents(Node& node, std::initializer_list<Node*> parents) {
    size_t k = 0;
    for (Node* parent : parents) {
        node.parents[k++] = parent;
        ++parent->childCount;
    }
}

void keepOrFold(Node& node, Table table) {
    if (table.size() > 1) {
        addNodeFunction(node, std::move(table));
        return;
    }
    assembly.logConstant += std::log(table[0]);
}

void addPhenotypeFunction(Node& phenotype, Table table) {
    addNodeFunction(phenotype, std::move(table));
    ++assembly.constantCount;
}

bool releaseIfBarren(NodeArray& nodes, int locus) {
    const Node& node = *nodes[locus];
    if (node.childCount > 0 || node.valueCount == 1) return false;
    nodes[locus].reset();
    ++assembly.eliminatedCount;
    return true;
}

void countIfConstant(const Node& node) {
    if (node.valueCount == 1) ++assembly.constantCount;
}

}  // namespace pedlik
