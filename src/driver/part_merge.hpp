#pragma once

#include <string>
#include <vector>

#include "results/lod_curve.hpp"
#include "results/part_file.hpp"

namespace pedlik {

// The parts of a split run combined into what the whole run measures.
struct MergedRun {
    // Why the parts do not make a whole run: parts of different problems,
    // units missing or computed twice (named). Empty when they do.
    std::string problem;
    bool builtAtHalf = false;  // false: the run stops before its first block
    // The report's values as the run measures them for the results options;
    // none when the likelihood at 0.5 is 0.
    LodCurve curve;
};

// `names` name the records in messages (the files they were read from).
MergedRun mergeParts(const std::vector<PartRecord>& records, const std::vector<std::string>& names);

// What the LOD-score mode prints of its results for the merged run: the
// blocks, with the zero-likelihood lines, without progress or timings.
void printMergedReport(const MergedRun& merged);

}  // namespace pedlik
