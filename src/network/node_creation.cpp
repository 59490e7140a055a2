#include "network/node_creation.hpp"

#include "driver/allocation.hpp"

namespace pedlik {

std::unique_ptr<Node> newNode(int valueCount, int parentCount) {
    auto node = allocateOrDie("node", [] { return std::make_unique<Node>(); });
    node->valueCount = valueCount;
    node->parentCount = parentCount;
    if (parentCount > 0) allocateOrDie("Node->parents", [&] { node->parents.assign(parentCount, nullptr); });
    return node;
}

}  // namespace pedlik
