#pragma once

#include <cstddef>

#include "base/work_queue.hpp"

namespace pedlik {

// The thresholds of bucket-tree elimination. The program always runs with
// the defaults; tests lower the block threshold so that block-wise tables
// appear on small problems, and move the one-pass threshold to take either
// way of reducing a list.
struct BteSettings {
    // A result of this many entries or more is filled block by block.
    std::size_t blockThreshold = 8'000'000;
    // From this many result entries on, sum-outs step their table indexes
    // incrementally instead of recomputing them.
    std::size_t incrementalThreshold = 24;
    // A work list whose whole product has at most this many entries is
    // reduced in one pass over that product instead of one variable at a
    // time: on small tables the steps cost more than the arithmetic.
    std::size_t onePassThreshold = 1024;
    // Multiplication levels a table may go through before it is rescaled.
    int rescaleCountdown = 32;
    // The threads that fill a large sum-out's entries, share by share (none:
    // the calling thread alone).
    WorkQueue* queue = nullptr;
};

}  // namespace pedlik
