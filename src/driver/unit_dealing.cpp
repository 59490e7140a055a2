#include "driver/unit_dealing.hpp"

#include <algorithm>
#include <numeric>

#include "base/allocation.hpp"

namespace pedlik {

UnitDealing::UnitDealing(int parts, int valueCount, const std::vector<double>& costs, const std::vector<int>& branches)
    : pedigreeCount(static_cast<int>(costs.size())), branches(branches) {
    std::vector<double> slotCosts;
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
    });
    // Cut into runs of equal predicted cost, each slot to the run its middle
    // falls in: a pedigree's branches at one value mostly stay together, and
    // every part they are spread over repeats the pedigree's first steps.
    const double total = std::accumulate(slotCosts.begin(), slotCosts.end(), 0.0);
    double before = 0.0;
    for (std::size_t slot = 0; slot < slotCosts.size(); ++slot) {
        const double middle = (before + slotCosts[slot] / 2.0) / total * parts;
        owners[slot] = std::min(parts - 1, static_cast<int>(middle));
        before += slotCosts[slot];
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
