#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/work_queue.hpp"
#include "product/product.hpp"

namespace pedlik {

// Where an input of a sum-out holds only 0.0 over a region: the entries
// reached from one entry by varying the region's variables (those of a
// tile of the result that the input lists). Most entries of a pedigree's
// tables are 0.0, often whole regions at a time, and a tile reading such a
// region makes only +0.0 terms.
struct ZeroRegions {
    const double* entries = nullptr;     // the input's first entry
    std::vector<std::uint64_t> nonzero;  // per entry with every region variable at 0: its region holds a nonzero entry
    std::size_t zeroCount = 0;           // the regions that hold only 0.0

    // Whether the region that starts at `start` (an entry of the input with
    // every region variable at 0) holds a nonzero entry.
    bool holdsNonzero(const double* start) const {
        const auto at = static_cast<std::size_t>(start - entries);
        return (nonzero[at / 64] >> (at % 64) & 1) != 0;
    }
};

// The map of `input` over the regions of `regionVariables` (those the input
// does not list are left out); one walk over the input, which stops in a
// region at its first nonzero entry, shared among the queue's threads when
// there is one.
ZeroRegions zeroRegions(const Function& input, std::span<Variable* const> regionVariables, WorkQueue* queue = nullptr);

}  // namespace pedlik
