#include "driver/unit_dealing.hpp"

#include <algorithm>
#include <numeric>

#include "base/allocation.hpp"

namespace pedlik {

UnitDealing::UnitDealing(int parts, int valueCount, const std::vector<double>& costs, const std::vector<int>& branches)
    : pedigreeCount(static_cast<int>(costs.size())), branches(branches) {
    std::vector<double> slotCosts, loads;
    std::vector<int> order;
    allocateOrDie("unit dealing", [&] {
        for (int value = 0; value < valueCount; ++value) {
            for (int pedigree = 0; pedigree < pedigreeCount; ++pedigree) {
                firstSlot.push_back(static_cast<int>(slotCosts.size()));
                const int count = std::max(1, branches[pedigree]);
                // Every unit costs something, however small its prediction.
                const double cost = std::max(costs[pedigree], 1.0) / count;
                slotCosts.insert(slotCosts.end(), static_cast<std::size_t>(count), cost);
            }
        }
        owners.assign(slotCosts.size(), 0);
        order.resize(slotCosts.size());
        loads.assign(static_cast<std::size_t>(std::max(parts, 1)), 0.0);
    });
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return slotCosts[a] > slotCosts[b]; });
    for (int slot : order) {
        const auto least = std::min_element(loads.begin(), loads.end());
        *least += slotCosts[slot];
        owners[slot] = static_cast<int>(least - loads.begin());
    }
}

int UnitDealing::owner(int value, int pedigree, int branch) const {
    const int count = std::max(1, branches[pedigree]);
    return owners[firstSlot[value * pedigreeCount + pedigree] + std::max(branch, 0) % count];
}

bool UnitDealing::ownsAny(int part, int value, int pedigree) const {
    const int count = std::max(1, branches[pedigree]);
    const int first = firstSlot[value * pedigreeCount + pedigree];
    return std::find(owners.begin() + first, owners.begin() + first + count, part) != owners.begin() + first + count;
}

}  // namespace pedlik
