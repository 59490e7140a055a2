#include "network/node_creation.hpp"

#include "base/allocation.hpp"

namespace pedlik {

void NodeDelete::operator()(Node* node) const { delete node; }

OwnedNode newNode(int valueCount, int parentCount) {
    auto node = allocateOrDie("node", [] { return OwnedNode(new Node()); });
    node->valueCount = valueCount;
    node->parentCount = parentCount;
    if (parentCount > 0) allocateOrDie("Node->parents", [&] { node->parents.assign(parentCount, nullptr); });
    return node;
}

}  // namespace pedlik
