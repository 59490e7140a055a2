#include "input/locus_order.hpp"

#include "base/allocation.hpp"

namespace pedlik {

bool isOwnInverse(const std::vector<int>& order) {
    for (size_t k = 0; k < order.size(); ++k) {
        if (order[static_cast<size_t>(order[k] - 1)] != static_cast<int>(k) + 1) return false;
    }
    return true;
}

std::vector<int> inverseOrder(const std::vector<int>& order) {
    std::vector<int> inverse;
    allocateOrDie("lociOrder", [&] { inverse.assign(order.size(), 0); });
    for (size_t k = 0; k < order.size(); ++k) inverse[static_cast<size_t>(order[k] - 1)] = static_cast<int>(k) + 1;
    return inverse;
}

std::string orderText(const std::vector<int>& order) {
    std::string text;
    allocateOrDie("lociOrder", [&] {
        for (const int entry : order) text.append(text.empty() ? "" : " ").append(std::to_string(entry));
    });
    return text;
}

}  // namespace pedlik
