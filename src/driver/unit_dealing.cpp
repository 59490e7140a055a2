#include "driver/unit_dealing.hpp"

#include <algorithm>
#include <numeric>

#include "base/allocation.hpp"

namespace pedlik {

namespace {

// Deals the slots [first, first + count) again among the parts the cut gave
// them to, each part keeping as many, but taking turns: branches next to
// each other tend to cost alike (the first few of a variable are often
// impossible and nearly free), so a run of them would load one part with
// the cheap ones. Each slot goes to the part furthest behind its share.
void interleave(std::vector<int>& owners, int first, int count) {
    const auto begin = owners.begin() + first, end = begin + count;
    if (*begin == *(end - 1)) return;
    std::vector<int> parts, shares, given;
    allocateOrDie("unit dealing", [&] {
        for (auto slot = begin; slot != end; ++slot) {
            if (parts.empty() || parts.back() != *slot) {
                parts.push_back(*slot);
                shares.push_back(0);
            }
            ++shares.back();
        }
        given.assign(parts.size(), 0);
    });
    for (int slot = 0; slot < count; ++slot) {
        std::size_t behind = 0;
        double furthest = -1.0;
        for (std::size_t k = 0; k < parts.size(); ++k) {
            const double lag = static_cast<double>(shares[k]) * (slot + 1) / count - given[k];
            if (lag > furthest) {
                furthest = lag;
                behind = k;
            }
        }
        ++given[behind];
        begin[slot] = parts[behind];
    }
}

}  // namespace

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
    for (int group = 0; group < valueCount * pedigreeCount; ++group) {
        interleave(owners, firstSlot[group], std::max(1, branches[group % pedigreeCount]));
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
