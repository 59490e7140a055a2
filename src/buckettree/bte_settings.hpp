#pragma once

#include <cstddef>

namespace pedlik {

// The thresholds of bucket-tree elimination. The program always runs with
// the defaults; tests lower the block threshold so that block-wise tables
// appear on small problems.
struct BteSettings {
    // A result of this many entries or more is filled block by block.
    std::size_t blockThreshold = 8'000'000;
    // From this many result entries on, sum-outs step their table indexes
    // incrementally instead of recomputing them.
    std::size_t incrementalThreshold = 24;
    // Multiplication levels a table may go through before it is rescaled.
    int rescaleCountdown = 32;
};

}  // namespace pedlik
