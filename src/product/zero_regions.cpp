#include "product/zero_regions.hpp"

#include <algorithm>
#include <atomic>

#include "base/allocation.hpp"

namespace pedlik {

namespace {

// Regions looked at by one thread at a time.
constexpr std::size_t regionsPerShare = std::size_t{1} << 12;

// Whether any of `count` entries, the e-th read by entry(e), is not 0.0.
// The entries are compared eight at a time without a branch, and the loop
// stops at the first eight holding one: a region of a dense table stops at
// once, one of only 0.0 is read through.
template <typename Entry>
bool anyNonzero(std::size_t count, const Entry& entry) {
    std::size_t e = 0;
    for (; e + 8 <= count; e += 8) {
        bool any = false;
        for (std::size_t j = 0; j < 8; ++j) any |= entry(e + j) != 0.0;
        if (any) return true;
    }
    for (; e < count; ++e) {
        if (entry(e) != 0.0) return true;
    }
    return false;
}

// Whether the region at `first` holds a nonzero entry; one whose entries
// follow one another is read without its offsets.
bool holdsNonzero(const double* first, std::span<const std::ptrdiff_t> offsets, bool adjacent) {
    if (adjacent) return anyNonzero(offsets.size(), [first](std::size_t e) { return first[e]; });
    return anyNonzero(offsets.size(), [first, offsets](std::size_t e) { return first[offsets[e]]; });
}

}  // namespace

ZeroRegions zeroRegions(const Function& input, std::span<Variable* const> regionVariables, WorkQueue* queue) {
    // The input's positions split into the region's and the others, with
    // their strides in the input; the others' last first.
    std::vector<std::ptrdiff_t> regionOffsets, otherStrides;
    std::vector<std::size_t> otherCounts;
    allocateOrDie("incDecArr", [&] {
        regionOffsets.assign(1, 0);
        std::ptrdiff_t stride = 1;
        for (std::size_t position = input.vars.size(); position-- > 0;) {
            const Variable* variable = input.vars[position];
            const int count = variable->valueCount;
            if (std::find(regionVariables.begin(), regionVariables.end(), variable) != regionVariables.end()) {
                const std::size_t before = regionOffsets.size();
                for (int value = 1; value < count; ++value) {
                    for (std::size_t e = 0; e < before; ++e) regionOffsets.push_back(regionOffsets[e] + value * stride);
                }
            } else {
                otherStrides.push_back(stride);
                otherCounts.push_back(static_cast<std::size_t>(count));
            }
            stride *= count;
        }
    });
    bool adjacent = true;
    for (std::size_t e = 0; e < regionOffsets.size(); ++e) adjacent = adjacent && regionOffsets[e] == static_cast<std::ptrdiff_t>(e);
    ZeroRegions map;
    map.entries = input.probablist.data();
    allocateOrDie("incDecArr", [&] { map.nonzero.assign((input.probablist.size() + 63) / 64, 0); });
    const std::size_t regions = input.probablist.empty() ? 0 : input.probablist.size() / regionOffsets.size();
    const std::size_t shares = (regions + regionsPerShare - 1) / regionsPerShare;
    std::atomic<std::size_t> zeros{0};
    runShares(queue, static_cast<int>(shares), [&](int share) {
        // The share's first region, then an odometer over the other
        // positions, the input's last fastest. Regions follow one another in
        // the input's order, so a share sets bits of its own words but for
        // the two at its ends, which its neighbours may set too.
        std::size_t region = static_cast<std::size_t>(share) * regionsPerShare;
        const std::size_t last = std::min(regions, region + regionsPerShare);
        std::vector<std::size_t> digits;
        allocateOrDie("incDecArr", [&] { digits.assign(otherCounts.size(), 0); });
        std::ptrdiff_t start = 0;
        for (std::size_t p = 0, rest = region; p < digits.size(); ++p) {
            digits[p] = rest % otherCounts[p];
            rest /= otherCounts[p];
            start += static_cast<std::ptrdiff_t>(digits[p]) * otherStrides[p];
        }
        std::size_t shareZeros = 0;
        for (; region < last; ++region) {
            if (holdsNonzero(map.entries + start, regionOffsets, adjacent)) {
                const auto at = static_cast<std::size_t>(start);
                std::atomic_ref(map.nonzero[at / 64]).fetch_or(std::uint64_t{1} << (at % 64), std::memory_order_relaxed);
            } else {
                ++shareZeros;
            }
            for (std::size_t p = 0; p < digits.size(); ++p) {
                if (++digits[p] < otherCounts[p]) {
                    start += otherStrides[p];
                    break;
                }
                start -= static_cast<std::ptrdiff_t>(otherCounts[p] - 1) * otherStrides[p];
                digits[p] = 0;
            }
        }
        zeros += shareZeros;
    });
    map.zeroCount = zeros;
    return map;
}

}  // namespace pedlik
